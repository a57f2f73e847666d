#include "TimeServers.h"

namespace {
const wchar_t* const kTimeServers[kTimeServerCount] = {
    L"pool.ntp.org",      L"europe.pool.ntp.org", L"north-america.pool.ntp.org",
    L"asia.pool.ntp.org", L"time.nist.gov",       L"ptbtime1.ptb.de",
};
}  // namespace

const wchar_t* TimeServer_Host(int index) {
    return kTimeServers[index >= 0 && index < kTimeServerCount ? index : 0];
}
