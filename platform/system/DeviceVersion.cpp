#include "DeviceVersion.h"

#include "DeviceStateStore.h"

namespace {

constexpr wchar_t kVersionRecord[] = L"osversion";

struct VersionRecord {
    DWORD major;  // 0: the host's version
    DWORD minor;
};

}  // namespace

BOOL Device_GetVersionEx(OSVERSIONINFOW* info) {
    if (!info || info->dwOSVersionInfoSize < sizeof *info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(info)) return FALSE;
#pragma GCC diagnostic pop
    VersionRecord record = {};
    if (DeviceStateStore::Current()->Read(kVersionRecord, &record, sizeof record) && record.major != 0) {
        info->dwMajorVersion = record.major;
        info->dwMinorVersion = record.minor;
    }
    return TRUE;
}

BOOL DeviceControl_SetOsVersion(DWORD major, DWORD minor) {
    const VersionRecord record = {major, major ? minor : 0};
    return DeviceStateStore::Current()->Write(kVersionRecord, &record, sizeof record) ? TRUE : FALSE;
}
