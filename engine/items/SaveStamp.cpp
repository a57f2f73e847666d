#include "SaveStamp.h"

#include "DateFunctions.h"
#include "RegKeyRefTyped.h"

#include <cmath>

namespace {

constexpr double kMinutesPerDay = 1440.0;

// The local value as written, then the same moment in UTC.
struct UtcStamp {
    OleDate local;
    OleDate utc;
};

}  // namespace

void SaveStamp::Write(const RegKeyRef& productKey) {
    UtcStamp stamp = {Time_NowAsDate(false), Time_NowAsDate(true)};
    RegKeyRef_SetDate(productKey, stamp.local, kLocalValue);
    RegKeyRef_SetBinary(productKey, &stamp, sizeof stamp, kUtcValue);
}

int64_t SaveStamp::MsSinceSave(const RegKeyRef& productKey, OleDate localNow) {
    OleDate local = 0.0;
    RegKeyRef_QueryDate(productKey, &local, kLocalValue);
    if (local == 0.0) return 0;
    UtcStamp stamp = {};
    if (RegKeyRef_QueryBinary(productKey, &stamp, sizeof stamp, kUtcValue) != ERROR_SUCCESS || stamp.local != local)
        return Time_ElapsedMilliseconds(local, localNow);
    // The zone's offset now, in whole minutes as zones have it: local now less it is UTC now.
    const OleDate offset = std::round((Time_NowAsDate(false) - Time_NowAsDate(true)) * kMinutesPerDay) / kMinutesPerDay;
    return Time_ElapsedMilliseconds(stamp.utc, localNow - offset);
}
