#include "DevicePower.h"

#include "DeviceRecord.h"
#include "ScopedHandle.h"

#include <cstdint>
#include <cwchar>

namespace {
const wchar_t kRecordName[] = L"devicepower";
const wchar_t* const kBuiltInDevices[] = {L"BKL1:", L"WAV1:"};
constexpr size_t kMaxName = 96;
constexpr size_t kMaxDevices = 16;

struct PowerDevice {
    wchar_t name[kMaxName];  // empty: free slot
    int32_t power;
    uint32_t sets;
    uint32_t notifies;
};
struct Record {
    PowerDevice devices[kMaxDevices];
};
static_assert(sizeof(Record) == kMaxDevices * (kMaxName * 2 + 12), "device power record is stored");

Record Defaults() {
    Record r = {};
    for (size_t i = 0; i < sizeof kBuiltInDevices / sizeof *kBuiltInDevices; ++i)
        wcscpy(r.devices[i].name, kBuiltInDevices[i]);
    return r;
}

Record Load() {
    Record r = DeviceRecord_Load(kRecordName, Defaults());
    for (PowerDevice& d : r.devices) d.name[kMaxName - 1] = 0;
    return r;
}

PowerDevice* Find(Record& r, const wchar_t* name) {
    if (!name || !*name) return nullptr;
    for (PowerDevice& d : r.devices)
        if (d.name[0] && wcscmp(d.name, name) == 0) return &d;
    return nullptr;
}

// Runs change on the named device; ERROR_FILE_NOT_FOUND when there is none.
template <typename Change>
DWORD UpdateDevice(const wchar_t* name, Change change) {
    DWORD result = ERROR_FILE_NOT_FOUND;
    bool written = DeviceRecord_Update(kRecordName, Defaults(), [&](Record& r) {
        PowerDevice* device = Find(r, name);
        if (!device) return false;
        change(*device);
        result = ERROR_SUCCESS;
        return true;
    });
    return written || result != ERROR_SUCCESS ? result : ERROR_WRITE_FAULT;
}

bool ByName(DWORD flags) { return (flags & POWER_NAME) && !(flags & ~(POWER_NAME | POWER_FORCE)); }
}  // namespace

DWORD SetDevicePower(PVOID device, DWORD flags, CEDEVICE_POWER_STATE state) {
    if (!device || !ByName(flags) || state < PwrDeviceUnspecified || state > D4) return ERROR_INVALID_PARAMETER;
    return UpdateDevice(static_cast<const wchar_t*>(device), [&](PowerDevice& d) {
        d.power = state == PwrDeviceUnspecified ? D0 : state;
        ++d.sets;
    });
}

DWORD GetDevicePower(PVOID device, DWORD flags, CEDEVICE_POWER_STATE* state) {
    if (!device || !state || !ByName(flags)) return ERROR_INVALID_PARAMETER;
    Record r = Load();
    const PowerDevice* d = Find(r, static_cast<const wchar_t*>(device));
    if (!d) return ERROR_FILE_NOT_FOUND;
    *state = static_cast<CEDEVICE_POWER_STATE>(d->power);
    return ERROR_SUCCESS;
}

DWORD DevicePowerNotify(PVOID device, CEDEVICE_POWER_STATE state, DWORD flags) {
    if (!device || !ByName(flags) || state < PwrDeviceUnspecified || state > D4) return ERROR_INVALID_PARAMETER;
    return UpdateDevice(static_cast<const wchar_t*>(device), [](PowerDevice& d) { ++d.notifies; });
}

BOOL DeviceControl_AddPowerDevice(const wchar_t* name) {
    if (!name || !*name || wcslen(name) >= kMaxName) return FALSE;
    bool added = DeviceRecord_Update(kRecordName, Defaults(), [&](Record& r) {
        if (Find(r, name)) return true;
        for (PowerDevice& d : r.devices) {
            if (d.name[0]) continue;
            d = PowerDevice{};
            wcscpy(d.name, name);
            return true;
        }
        return false;
    });
    if (!added) return FALSE;
    ScopedKey key;
    DWORD full = D0;
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, PM_DEVICE_STATE_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                           key.Receive(), nullptr) == ERROR_SUCCESS &&
           RegSetValueExW(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&full), sizeof full) ==
               ERROR_SUCCESS;
}

LONG DeviceControl_GetDevicePower(const wchar_t* name) {
    Record r = Load();
    const PowerDevice* d = Find(r, name);
    return d ? d->power : PwrDeviceMaximum;
}

DWORD DeviceControl_GetDevicePowerSets(const wchar_t* name) {
    Record r = Load();
    const PowerDevice* d = Find(r, name);
    return d ? d->sets : 0;
}

DWORD DeviceControl_GetDevicePowerNotifies(const wchar_t* name) {
    Record r = Load();
    const PowerDevice* d = Find(r, name);
    return d ? d->notifies : 0;
}
