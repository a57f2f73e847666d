// Free space of the device's storage. A test can fix the number the device reports, so
// a full volume can be simulated without filling the host's disk.
#include "DeviceControl.h"
#include "DeviceFiles.h"
#include "DeviceStateStore.h"

#include <cstdint>

namespace {
const wchar_t kRecordName[] = L"disk";

struct DiskRecord {
    uint32_t fixed;  // nonzero: freeBytes is reported in place of the host's
    uint32_t reserved;
    uint64_t freeBytes;
};
static_assert(sizeof(DiskRecord) == 16, "disk record is stored");

DiskRecord Load() {
    DiskRecord r = {};
    if (!DeviceStateStore::Current()->Read(kRecordName, &r, sizeof r)) r = DiskRecord{};
    return r;
}
}  // namespace

BOOL Device_GetDiskFreeSpaceExW(const wchar_t* path, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                                ULARGE_INTEGER* totalFree) {
    wchar_t mapped[MAX_PATH];
    if (!path || !*path) path = L"\\";
    if (!Device_MapPath(path, mapped, MAX_PATH)) return FALSE;
    const DiskRecord record = Load();
    if (!record.fixed) return GetDiskFreeSpaceExW(mapped, freeToCaller, total, totalFree);
    // The folder must still exist, as on the device.
    if (GetFileAttributesW(mapped) == INVALID_FILE_ATTRIBUTES) return FALSE;
    if (freeToCaller) freeToCaller->QuadPart = record.freeBytes;
    if (totalFree) totalFree->QuadPart = record.freeBytes;
    if (total) total->QuadPart = record.freeBytes + (64ull << 20);
    return TRUE;
}

BOOL DeviceControl_SetDiskFreeBytes(ULONGLONG freeBytes) {
    const DiskRecord record = {freeBytes == DEVICE_DISK_FREE_HOST ? 0u : 1u, 0, freeBytes};
    return DeviceStateStore::Current()->Write(kRecordName, &record, sizeof record) ? TRUE : FALSE;
}
