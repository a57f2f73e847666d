#include "PhoneStatus.h"

#include "BoundFunctions.h"
#include "PlatformHelpers.h"
#include "RegKeyRef.h"

namespace {

const wchar_t kPhoneKey[] = L"System\\State\\Phone";
const wchar_t kStatusValue[] = L"Status";
// Incoming, active and outgoing call.
constexpr DWORD kCallBits = 0x00010000 | 0x00020000 | 0x20000000;

// The window the line callback posts to; one cellular watch exists at a time.
HWND lineWindow = nullptr;
UINT lineNewCallMessage = 0;
UINT lineCloseMessage = 0;

}  // namespace

bool Phone_IsCallActive() {
    RegKeyRef key = RegKeyRef::Open(kPhoneKey, HKEY_LOCAL_MACHINE, true);
    DWORD status = 0, type = 0, size = sizeof status;
    // A status that cannot be read counts as a call: better no screen saver than one over a call.
    if (!key.IsOpen() || RegKeyRef_QueryValue(key, kStatusValue, &type, &status, &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return true;
    return (status & kCallBits) != 0;
}

bool PhoneStatusWatch::Watch(HWND window, UINT message) {
    if (notify_) return true;
    RegKeyRef key = RegKeyRef::Open(kPhoneKey, HKEY_LOCAL_MACHINE, true);
    if (!key.IsOpen()) return false;
    auto notify = Bound::RegistryNotifyWindow.As<RegistryNotifyWindowFn>();
    if (!notify) return false;
    return SUCCEEDED(notify(HKEY_LOCAL_MACHINE, kPhoneKey, kStatusValue, window, message, 0, nullptr, &notify_)) &&
           notify_;
}

void PhoneStatusWatch::Close() {
    if (!notify_) return;
    if (auto close = Bound::RegistryCloseNotification.As<RegistryCloseNotificationFn>()) close(notify_);
    notify_ = nullptr;
}

void CALLBACK CellularLineWatch::LineCallback(DWORD, DWORD message, DWORD_PTR, DWORD_PTR param1, DWORD_PTR,
                                              DWORD_PTR) {
    if (!lineWindow || !IsWindow(lineWindow)) return;
    if (message == LINE_APPNEWCALL)
        PostMessageW(lineWindow, lineNewCallMessage, 0, 0);
    else if (message == LINE_CALLSTATE && param1 == LINECALLSTATE_CONNECTED && Sys_GetPhoneLockState() != 0)
        PostMessageW(lineWindow, lineCloseMessage, 0, 0);
}

bool CellularLineWatch::IsBusy(HWND window, UINT newCallMessage, UINT closeLineMessage, bool closeAfterwards) {
    lineWindow = window;
    lineNewCallMessage = newCallMessage;
    lineCloseMessage = closeLineMessage;
    if (!app_.lineApp && lineInitialize(&app_.lineApp, GetModuleHandleW(nullptr), LineCallback, nullptr,
                                        &app_.deviceCount) != 0) {
        app_ = TapiLineApp();
        return false;
    }
    const int device = TapiLine_FindCellular(app_);
    if (device < 0) {
        Close();
        return false;
    }
    if (line_) lineClose(line_);
    line_ = nullptr;
    if (lineOpen(app_.lineApp, static_cast<DWORD>(device), &line_, kCellularApiVersion, 0, 1,
                 LINECALLPRIVILEGE_MONITOR, LINEMEDIAMODE_INTERACTIVEVOICE, nullptr) != 0) {
        line_ = nullptr;
        Close();
        return false;
    }
    LINEDEVSTATUS status = {};
    status.dwTotalSize = sizeof status;
    const bool answered = lineGetLineDevStatus(line_, &status) == 0;
    if (closeAfterwards) Close();
    return answered && status.dwNumActiveCalls != 0;
}

void CellularLineWatch::Close() {
    if (line_) lineClose(line_);
    line_ = nullptr;
    if (app_.lineApp) TapiLine_Close(app_);
    app_ = TapiLineApp();
}
