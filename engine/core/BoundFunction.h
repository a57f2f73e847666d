#pragma once
// A platform function that exists only on some devices, bound by name from its
// library on first use and kept from then on. While it is missing, Get gives null
// and the caller skips the call or takes its fallback; a failed lookup is not
// remembered, so the next use asks again. Binding writes a plain pointer: two
// threads binding at once write the same value.
#include "DllHolder.h"

#include <windows.h>

#include <string>

class BoundFunction {
public:
    BoundFunction(DllHolder* holder, const wchar_t* functionName) : holder_(holder), name_(functionName) {}
    BoundFunction(const BoundFunction&) = delete;
    BoundFunction& operator=(const BoundFunction&) = delete;

    // Binds when still unbound; true when the entry point exists.
    bool Resolve();
    // The entry point (binding it first), null when the library or the export is missing.
    FARPROC Get() {
        Resolve();
        return entry_;
    }
    // The entry point as the function type the caller knows it by.
    template <typename Function>
    Function As() {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(Get()));
    }

    const std::wstring& Name() const { return name_; }

private:
    DllHolder* holder_;
    std::wstring name_;
    FARPROC entry_ = nullptr;
};
