#pragma once
// A library that only one action needs, loaded from the device for the length of one
// call and freed after it: a device without it (or without one of its functions)
// makes the action do less, never fail.
#include "DeviceLibraries.h"

#include <windows.h>

class OptionalLibrary {
public:
    explicit OptionalLibrary(const wchar_t* name) : module_(Device_LoadLibrary(name)) {}
    ~OptionalLibrary() {
        if (module_) FreeLibrary(module_);
    }
    OptionalLibrary(const OptionalLibrary&) = delete;
    OptionalLibrary& operator=(const OptionalLibrary&) = delete;

    bool Loaded() const { return module_ != nullptr; }
    // The export of that name as the type the caller knows it by; null when missing.
    template <typename Function>
    Function Get(const wchar_t* name) const {
        if (!module_) return nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddressW(module_, name)));
    }

private:
    HMODULE module_;
};
