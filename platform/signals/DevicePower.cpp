// Device power of the simulated device: power requirements and forced states of named
// devices such as the backlight "BKL1:", the audio codec "WAV1:" and WLAN adapters, and
// the power manager's list of the devices it manages.
#include <cwchar>

#include "DeviceCallLog.h"
#include "DeviceSignals.h"
#include "DeviceStateStore.h"
#include "PowerState.h"
#include "ScopedHandle.h"
#include "pm.h"

namespace {
const wchar_t kRecordName[] = L"devicepower";
constexpr uint32_t kMaxRequirements = 32;
constexpr uint32_t kMaxForced = 16;
constexpr size_t kNameChars = 8;
// Adapters have long names ("{GUID}\\TNETW12511"); requirements are only for short ones.
constexpr size_t kForcedNameChars = 96;

struct Requirement {
    uint32_t number;  // 0: a free slot
    uint32_t processId;
    uint64_t creationTime;
    int32_t state;
    wchar_t device[kNameChars];
    uint32_t reserved;
};
struct Forced {
    wchar_t device[kForcedNameChars];
    int32_t state;
};
struct DevicePowerRecord {
    uint32_t lastNumber;
    uint32_t reserved;
    Requirement requirements[kMaxRequirements];
    Forced forced[kMaxForced];
};
static_assert(sizeof(Requirement) == 40, "requirement is stored");

// The device name of a call, when it names one that fits; null otherwise.
const wchar_t* NameOf(PVOID device, DWORD flags, size_t maxChars = kNameChars) {
    if (!(flags & POWER_NAME) || !device) return nullptr;
    const wchar_t* name = static_cast<const wchar_t*>(device);
    const size_t length = wcsnlen(name, maxChars);
    return length > 0 && length < maxChars ? name : nullptr;
}

bool KnownState(LONG state) { return state >= PwrDeviceUnspecified && state < PwrDeviceMaximum; }

template <typename Change>
bool Update(Change change) {
    return DeviceStateStore::Current()->Update(kRecordName, DevicePowerRecord{}, [&](DevicePowerRecord& r) {
        // What ended processes held is given back for them.
        for (Requirement& q : r.requirements)
            if (q.number && !PowerState::ProcessRuns(q.processId, q.creationTime)) q = Requirement{};
        return change(r);
    }, nullptr, DeviceStateStore::Lifetime::Running);
}

DevicePowerRecord Load() {
    DevicePowerRecord r = {};
    Update([&](DevicePowerRecord& now) {
        r = now;
        return true;
    });
    return r;
}

// Requirement handles are small numbers above this base, never kernel handles.
constexpr uintptr_t kHandleBase = 0x5EA00000;
}  // namespace

HANDLE SetPowerRequirement(PVOID pvDevice, CEDEVICE_POWER_STATE DeviceState, ULONG DeviceFlags, PVOID, ULONG) {
    const wchar_t* name = NameOf(pvDevice, DeviceFlags);
    uint32_t number = 0;
    DWORD error = ERROR_INVALID_PARAMETER;
    if (name && KnownState(DeviceState) && DeviceState != PwrDeviceUnspecified)
        Update([&](DevicePowerRecord& r) {
            for (Requirement& q : r.requirements) {
                if (q.number) continue;
                q = Requirement{};
                if (++r.lastNumber == 0) ++r.lastNumber;
                q.number = number = r.lastNumber;
                q.processId = GetCurrentProcessId();
                q.creationTime = PowerState::CurrentProcessCreationTime();
                q.state = DeviceState;
                wcsncpy(q.device, name, kNameChars - 1);
                return true;
            }
            error = ERROR_OUTOFMEMORY;
            return false;
        });
    DeviceCallLog::Add(DEVICE_CALL_REQUIREMENT, DeviceState, 0, LONG(number), name);
    if (!number) {
        SetLastError(error);
        return nullptr;
    }
    return reinterpret_cast<HANDLE>(kHandleBase + number);
}

DWORD ReleasePowerRequirement(HANDLE h) {
    const uintptr_t value = reinterpret_cast<uintptr_t>(h);
    const uint32_t number = value > kHandleBase ? uint32_t(value - kHandleBase) : 0;
    wchar_t device[kNameChars] = {};
    DWORD result = ERROR_INVALID_HANDLE;
    if (number)
        Update([&](DevicePowerRecord& r) {
            for (Requirement& q : r.requirements) {
                if (q.number != number) continue;
                wcsncpy(device, q.device, kNameChars - 1);
                q = Requirement{};
                result = ERROR_SUCCESS;
                return true;
            }
            return false;
        });
    DeviceCallLog::Add(DEVICE_CALL_RELEASE, LONG(number), 0, LONG(result), device);
    return result;
}

DWORD SetDevicePower(PVOID pvDevice, DWORD dwDeviceFlags, CEDEVICE_POWER_STATE dwState) {
    const wchar_t* name = NameOf(pvDevice, dwDeviceFlags, kForcedNameChars);
    DWORD result = ERROR_INVALID_PARAMETER;
    if (name && KnownState(dwState))
        Update([&](DevicePowerRecord& r) {
            Forced* slot = nullptr;
            for (Forced& f : r.forced) {
                if (wcsncmp(f.device, name, kForcedNameChars) == 0) {
                    slot = &f;
                    break;
                }
                if (!slot && !f.device[0]) slot = &f;
            }
            if (!slot) return false;
            wcsncpy(slot->device, name, kForcedNameChars - 1);
            slot->state = dwState;
            result = ERROR_SUCCESS;
            return true;
        });
    DeviceCallLog::Add(DEVICE_CALL_DEVICE_POWER, dwState, LONG(dwDeviceFlags), LONG(result), name);
    return result;
}

DWORD DevicePowerNotify(PVOID pvDevice, CEDEVICE_POWER_STATE DeviceState, DWORD Flags) {
    const wchar_t* name = NameOf(pvDevice, Flags, kForcedNameChars);
    DeviceCallLog::Add(DEVICE_CALL_POWER_NOTIFY, DeviceState, LONG(Flags), 0, name);
    return name && KnownState(DeviceState) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

LONG DeviceControl_GetDevicePower(const wchar_t* device) {
    const DevicePowerRecord r = Load();
    for (const Forced& f : r.forced)
        if (device && f.device[0] && wcsncmp(f.device, device, kForcedNameChars) == 0) return f.state;
    return PwrDeviceUnspecified;
}

DWORD DeviceControl_GetPowerRequirements(const wchar_t* device) {
    const DevicePowerRecord r = Load();
    DWORD count = 0;
    for (const Requirement& q : r.requirements)
        if (q.number && (!device || wcsncmp(q.device, device, kNameChars) == 0)) ++count;
    return count;
}

BOOL DeviceControl_AddPowerDevice(const wchar_t* device) {
    if (!device || !*device || wcslen(device) >= kForcedNameChars) return FALSE;
    ScopedKey key;
    const DWORD full = D0;
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, PM_DEVICE_STATE_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                           key.Receive(), nullptr) == ERROR_SUCCESS &&
           RegSetValueExW(key.Get(), device, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&full), sizeof full) ==
               ERROR_SUCCESS;
}
