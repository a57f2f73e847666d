#include "Wlan.h"

#include "DeviceWireless.h"
#include "OptionalLibrary.h"
#include "RegKeyRef.h"
#include "pm.h"

#include <cwchar>
#include <functional>

namespace {
const wchar_t kUtilityLibrary[] = L"iPAQUtil.dll";
const wchar_t kSetRadioFunction[] = L"iPAQSetWLANRadio";
const wchar_t kRadioStatusFunction[] = L"iPAQGetWLANRadioStatus";
// Parts of the device names that makers give their WLAN adapters (case counts).
const wchar_t* const kAdapterMarkers[] = {L"WLN", L"GSPI", L"TNETW", L"WLAN", L"SWLD", L"CheetahSDN1", L"CF8385PN1"};
constexpr DWORD kMaxDeviceName = 260;

bool IsWlanAdapter(const wchar_t* name) {
    for (const wchar_t* marker : kAdapterMarkers)
        if (wcsstr(name, marker)) return true;
    return false;
}

// Calls found(name) for each listed adapter with a marker until it returns false.
void ForEachAdapter(const std::function<bool(const wchar_t*)>& found) {
    RegKeyRef key = RegKeyRef::Open(PM_DEVICE_STATE_KEY, HKEY_LOCAL_MACHINE, false);
    if (!key.IsOpen()) return;
    wchar_t name[kMaxDeviceName + 1];
    for (DWORD index = 0;; ++index) {
        DWORD length = kMaxDeviceName + 1;
        if (RegEnumValueW(key.Key(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return;
        if (IsWlanAdapter(name) && !found(name)) return;
    }
}
}  // namespace

int Wlan_SetRadioByUtil(int on) {
    OptionalLibrary utility(kUtilityLibrary);
    auto setRadio = utility.Get<WlanRadioFunction>(kSetRadioFunction);
    auto radioStatus = utility.Get<WlanRadioFunction>(kRadioStatusFunction);
    if (!setRadio || !radioStatus) return 0;
    DWORD status = 0, wanted = on ? 1 : 0;
    radioStatus(&status);
    setRadio(&wanted);
    return 1;
}

int Wlan_SetDevicePower(int on) {
    ForEachAdapter([on](const wchar_t* name) {
        PVOID device = const_cast<wchar_t*>(name);
        DevicePowerNotify(device, PwrDeviceUnspecified, POWER_NAME);
        SetDevicePower(device, POWER_NAME, on ? D0 : D4);
        return true;
    });
    return 0;
}

int Wlan_FindAdapter() {
    int found = 0;
    ForEachAdapter([&found](const wchar_t*) {
        found = 1;
        return false;
    });
    return found;
}

void Wlan_Switch(bool on) {
    if (!Wlan_SetRadioByUtil(on)) Wlan_SetDevicePower(on);
}
