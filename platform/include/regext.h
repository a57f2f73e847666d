#pragma once
// Registry change notifications of the simulated device: a window is posted a message
// whenever a watched value changes. The stand-in "aygshell.dll" exports both functions;
// programs bind them by name. Only "any change" conditions are supported (condition null).
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

DECLARE_HANDLE(HREGNOTIFY);

// Watches root\subKey's value (the key is made when missing). On every change of the
// value window is posted message with wParam = the new DWORD (0 for other types or a
// deleted value) and lParam = userData. S_OK and the handle, or an error HRESULT.
HRESULT RegistryNotifyWindow(HKEY root, LPCWSTR subKey, LPCWSTR valueName, HWND window, UINT message,
                             DWORD userData, void* condition, HREGNOTIFY* notify);
// Ends a watch; its thread has stopped when this returns.
HRESULT RegistryCloseNotification(HREGNOTIFY notify);

typedef HRESULT(*RegistryNotifyWindowFn)(HKEY, LPCWSTR, LPCWSTR, HWND, UINT, DWORD, void*, HREGNOTIFY*);
typedef HRESULT(*RegistryCloseNotificationFn)(HREGNOTIFY);

#ifdef __cplusplus
}
#endif
