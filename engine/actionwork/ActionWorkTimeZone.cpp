// The time-zone action.
#include "ActionWork.h"

#include "ChangeTimeZoneAction.h"
#include "DeviceClock.h"
#include "TimeZoneList.h"

#include <cwchar>

namespace {
constexpr size_t kZoneNameField = 32;

void CopyName(wchar_t (&field)[kZoneNameField], const wchar_t* name) {
    wcsncpy(field, name ? name : L"", kZoneNameField - 1);
    field[kZoneNameField - 1] = 0;
}
}  // namespace

bool ActionWork::Run(ChangeTimeZoneAction& action) {
    if (action.ZoneIndex < 0) return false;
    SYSTEMTIME utc;
    DeviceClock_GetSystemTime(&utc);
    FILETIME remembered;
    if (!SystemTimeToFileTime(&utc, &remembered)) return false;

    TimeZoneList zones;
    const CITYDB_TIMEZONE* zone = zones.Zone(action.ZoneIndex);
    if (!zone) return false;
    TIME_ZONE_INFORMATION info = {};
    info.Bias = zone->Bias;
    info.DaylightBias = zone->DaylightBias;
    CopyName(info.StandardName, zone->standardName);
    CopyName(info.DaylightName, zone->daylightName);
    info.StandardDate = zone->StandardDate;
    info.DaylightDate = zone->DaylightDate;
    if (!DeviceClock_SetTimeZoneInformation(&info)) return false;
    // The same absolute time again: the local clock moves by the zones' difference.
    if (FileTimeToSystemTime(&remembered, &utc)) DeviceClock_SetSystemTime(&utc);
    // The new zone survives a reset.
    RegFlushKey(HKEY_LOCAL_MACHINE);
    return true;
}
