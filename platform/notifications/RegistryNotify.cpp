#include "regext.h"

#include <new>
#include <string>

namespace {

// One watch: a thread waits for the key's change event and posts the value when it differs.
struct RegistryWatch {
    HKEY key = nullptr;
    std::wstring valueName;
    HWND window = nullptr;
    UINT message = 0;
    DWORD userData = 0;
    HANDLE changed = nullptr;
    HANDLE stop = nullptr;
    HANDLE thread = nullptr;
    HMODULE module = nullptr;
    // The value last seen, read before the watch returns: a change made right after it is
    // a change, however late the thread starts.
    DWORD last = 0;
    bool lastPresent = false;
};

// The value as a DWORD with whether it exists as one.
DWORD ReadValue(const RegistryWatch& watch, bool& present) {
    DWORD value = 0, type = 0, size = sizeof value;
    present = RegQueryValueExW(watch.key, watch.valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                               &size) == ERROR_SUCCESS &&
              type == REG_DWORD && size == sizeof value;
    return present ? value : 0;
}

bool Arm(RegistryWatch& watch) {
    return RegNotifyChangeKeyValue(watch.key, FALSE, REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME,
                                   watch.changed, TRUE) == ERROR_SUCCESS;
}

DWORD WINAPI WatchThread(void* parameter);

// Each watch holds the library that runs its thread, so a library freed while watches
// remain (a program keeps them for its whole life) stays until they end.
HMODULE HoldOwnModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&WatchThread), &module);
    return module;
}

DWORD WINAPI WatchThread(void* parameter) {
    RegistryWatch& watch = *static_cast<RegistryWatch*>(parameter);
    bool present = false;
    const HANDLE events[] = {watch.stop, watch.changed};
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        Arm(watch);
        const DWORD value = ReadValue(watch, present);
        if (value == watch.last && present == watch.lastPresent) continue;
        watch.last = value;
        watch.lastPresent = present;
        PostMessageW(watch.window, watch.message, value, watch.userData);
    }
    if (HMODULE module = watch.module) FreeLibraryAndExitThread(module, 0);
    return 0;
}

void Release(RegistryWatch* watch) {
    if (watch->thread) {
        SetEvent(watch->stop);
        WaitForSingleObject(watch->thread, INFINITE);
        CloseHandle(watch->thread);
    }
    if (watch->changed) CloseHandle(watch->changed);
    if (watch->stop) CloseHandle(watch->stop);
    if (watch->key) RegCloseKey(watch->key);
    delete watch;
}

}  // namespace

HRESULT RegistryNotifyWindow(HKEY root, LPCWSTR subKey, LPCWSTR valueName, HWND window, UINT message,
                             DWORD userData, void* condition, HREGNOTIFY* notify) {
    if (!notify || !IsWindow(window) || condition) return E_INVALIDARG;
    *notify = nullptr;
    RegistryWatch* watch = new (std::nothrow) RegistryWatch;
    if (!watch) return E_OUTOFMEMORY;
    watch->valueName = valueName ? valueName : L"";
    watch->window = window;
    watch->message = message;
    watch->userData = userData;
    watch->changed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    watch->stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (RegCreateKeyExW(root, subKey ? subKey : L"", 0, nullptr, 0, KEY_READ | KEY_NOTIFY, nullptr, &watch->key,
                        nullptr) != ERROR_SUCCESS) {
        watch->key = nullptr;
        Release(watch);
        return E_FAIL;
    }
    // Armed before the first value is read, so no change falls between them.
    watch->module = HoldOwnModule();
    const bool armed = watch->changed && watch->stop && Arm(*watch);
    if (armed) watch->last = ReadValue(*watch, watch->lastPresent);
    if (!armed ||
        !(watch->thread = CreateThread(nullptr, 0, WatchThread, watch, 0, nullptr))) {
        if (watch->module) FreeLibrary(watch->module);
        Release(watch);
        return E_FAIL;
    }
    *notify = reinterpret_cast<HREGNOTIFY>(watch);
    return S_OK;
}

HRESULT RegistryCloseNotification(HREGNOTIFY notify) {
    if (!notify) return E_INVALIDARG;
    Release(reinterpret_cast<RegistryWatch*>(notify));
    return S_OK;
}
