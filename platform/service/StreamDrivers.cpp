#include "StreamDrivers.h"

#include <cwchar>

#include "DeviceFiles.h"
#include "ScopedHandle.h"

namespace {
const wchar_t kActiveKey[] = L"Drivers\\Active";
const wchar_t kDllValue[] = L"Dll";
const wchar_t kPrefixValue[] = L"Prefix";
const wchar_t kIndexValue[] = L"Index";
const wchar_t kKeyValue[] = L"Key";
const wchar_t kNameValue[] = L"Name";
const DWORD kDefaultIndex = 1;
const size_t kPrefixChars = 3;

using Outcome = StreamDrivers::Outcome;

Outcome Failed(DWORD error) { return Outcome{false, error}; }

// The driver's last error after a call; a refusal without one still reads as a failure.
Outcome AfterCall(bool ok) {
    DWORD error = GetLastError();
    if (!ok && error == 0) error = ERROR_GEN_FAILURE;
    return Outcome{ok, error};
}

bool ReadText(HKEY key, const wchar_t* name, std::wstring* text) {
    wchar_t value[MAX_PATH] = {};
    DWORD type = 0, size = sizeof value - sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    *text = value;
    return true;
}

// The driver file: a bare name lies in the device's \Windows.
bool DriverPath(const std::wstring& dll, wchar_t* path) {
    std::wstring cePath = dll.find(L'\\') == std::wstring::npos ? L"\\Windows\\" + dll : dll;
    return Device_MapPath(cePath.c_str(), path, MAX_PATH) != FALSE;
}

template <typename Fn>
Fn Bind(HMODULE module, const std::wstring& prefix, const char* entry) {
    std::string name(prefix.begin(), prefix.end());
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, (name + "_" + entry).c_str())));
}
}  // namespace

struct StreamDrivers::Driver {
    std::wstring name;       // "ISL0:"
    std::wstring activeKey;  // Drivers\Active\NN
    HMODULE module = nullptr;
    StreamInitFn init = nullptr;
    StreamDeinitFn deinit = nullptr;
    StreamOpenFn open = nullptr;
    StreamCloseFn close = nullptr;
    StreamIoControlFn ioControl = nullptr;
    DWORD_PTR context = 0;
};

StreamDrivers::StreamDrivers() {
    // Nothing is loaded when the device starts.
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kActiveKey);
}

StreamDrivers::Driver* StreamDrivers::Find(ULONG_PTR handle) {
    auto it = drivers_.find(handle);
    return it == drivers_.end() ? nullptr : it->second.get();
}

Outcome StreamDrivers::Activate(const std::wstring& key, ULONG_PTR* handle) {
    ScopedKey entry;
    LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, entry.Receive());
    if (status != ERROR_SUCCESS) return Failed(DWORD(status));
    std::unique_ptr<Driver> d(new Driver);
    std::wstring dll, prefix;
    DWORD index = kDefaultIndex, size = sizeof index, type = 0;
    if (RegQueryValueExW(entry.Get(), kIndexValue, nullptr, &type, reinterpret_cast<BYTE*>(&index), &size) ==
            ERROR_SUCCESS &&
        (type != REG_DWORD || size != sizeof index))
        return Failed(ERROR_BAD_CONFIGURATION);
    if (!ReadText(entry.Get(), kDllValue, &dll) || !ReadText(entry.Get(), kPrefixValue, &prefix) ||
        prefix.size() != kPrefixChars || index > 9)
        return Failed(ERROR_BAD_CONFIGURATION);
    d->name = prefix + wchar_t(L'0' + index) + L":";

    std::lock_guard<std::mutex> hold(lock_);
    for (const auto& loaded : drivers_)
        if (_wcsicmp(loaded.second->name.c_str(), d->name.c_str()) == 0) return Failed(ERROR_DEVICE_IN_USE);
    wchar_t path[MAX_PATH];
    if (!DriverPath(dll, path)) return Failed(ERROR_BAD_CONFIGURATION);
    d->module = LoadLibraryW(path);
    if (!d->module) return Failed(GetLastError());
    d->init = Bind<StreamInitFn>(d->module, prefix, "Init");
    d->deinit = Bind<StreamDeinitFn>(d->module, prefix, "Deinit");
    d->open = Bind<StreamOpenFn>(d->module, prefix, "Open");
    d->close = Bind<StreamCloseFn>(d->module, prefix, "Close");
    d->ioControl = Bind<StreamIoControlFn>(d->module, prefix, "IOControl");
    if (!d->init) {
        FreeLibrary(d->module);
        return Failed(ERROR_PROC_NOT_FOUND);
    }
    const ULONG_PTR id = ++lastHandle_;
    wchar_t number[16];
    swprintf(number, 16, L"\\%02u", unsigned(id));
    d->activeKey = std::wstring(kActiveKey) + number;
    ScopedKey active;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, d->activeKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        active.Receive(), nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(active.Get(), kKeyValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(key.c_str()),
                       DWORD((key.size() + 1) * sizeof(wchar_t)));
        RegSetValueExW(active.Get(), kNameValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(d->name.c_str()),
                       DWORD((d->name.size() + 1) * sizeof(wchar_t)));
    }
    SetLastError(0);
    d->context = d->init(d->activeKey.c_str());
    Outcome outcome = AfterCall(d->context != 0);
    if (!outcome.ok) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, d->activeKey.c_str());
        FreeLibrary(d->module);
        return outcome;
    }
    drivers_[id] = std::move(d);
    *handle = id;
    return outcome;
}

void StreamDrivers::Unload(ULONG_PTR handle) {
    Driver* d = Find(handle);
    if (!d) return;
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, d->activeKey.c_str());
    FreeLibrary(d->module);
    drivers_.erase(handle);
}

Outcome StreamDrivers::Deactivate(ULONG_PTR handle) {
    std::lock_guard<std::mutex> hold(lock_);
    Driver* d = Find(handle);
    if (!d) return Failed(ERROR_INVALID_HANDLE);
    // A driver that refuses to go stays loaded: its threads may still run in it.
    if (d->deinit) {
        SetLastError(0);
        Outcome outcome = AfterCall(d->deinit(d->context) != FALSE);
        if (!outcome.ok) return outcome;
    }
    Unload(handle);
    return Outcome{true, 0};
}

Outcome StreamDrivers::Open(const std::wstring& name, DWORD access, DWORD share, OpenDevice* opened) {
    std::lock_guard<std::mutex> hold(lock_);
    for (const auto& entry : drivers_) {
        Driver& d = *entry.second;
        if (_wcsicmp(d.name.c_str(), name.c_str()) != 0) continue;
        if (!d.open) return Failed(ERROR_NOT_SUPPORTED);
        SetLastError(0);
        DWORD_PTR context = d.open(d.context, access, share);
        Outcome outcome = AfterCall(context != 0);
        if (outcome.ok) *opened = OpenDevice{entry.first, context};
        return outcome;
    }
    return Failed(ERROR_FILE_NOT_FOUND);
}

Outcome StreamDrivers::Close(const OpenDevice& opened) {
    std::lock_guard<std::mutex> hold(lock_);
    Driver* d = Find(opened.device);
    if (!d || !d->close) return Outcome{true, 0};
    SetLastError(0);
    return AfterCall(d->close(opened.context) != FALSE);
}

Outcome StreamDrivers::IoControl(const OpenDevice& opened, DWORD code, BYTE* in, DWORD inSize, BYTE* out,
                                 DWORD outSize, DWORD* returned) {
    std::lock_guard<std::mutex> hold(lock_);
    Driver* d = Find(opened.device);
    if (!d) return Failed(ERROR_INVALID_HANDLE);
    if (!d->ioControl) return Failed(ERROR_NOT_SUPPORTED);
    SetLastError(0);
    return AfterCall(d->ioControl(opened.context, code, in, inSize, out, outSize, returned) != FALSE);
}

void StreamDrivers::UnloadAll() {
    std::lock_guard<std::mutex> hold(lock_);
    for (ULONG_PTR handle = 1; handle <= lastHandle_; ++handle) {
        Driver* d = Find(handle);
        if (d && (!d->deinit || d->deinit(d->context))) Unload(handle);
    }
}
