#pragma once
// A platform library named once for the whole process and loaded the first time
// one of its functions is asked for; unloaded at exit. A library that cannot be
// loaded yields no functions, and the next request tries again.
#include <windows.h>

#include <string>

class DllHolder {
public:
    explicit DllHolder(const wchar_t* libraryName) : name_(libraryName) {}
    ~DllHolder();
    DllHolder(const DllHolder&) = delete;
    DllHolder& operator=(const DllHolder&) = delete;

    // The entry point of functionName, loading the library first when needed; null
    // when the library or the export is missing.
    FARPROC GetProc(const wchar_t* functionName);

    bool IsLoaded() const { return module_ != nullptr; }
    const std::wstring& Name() const { return name_; }

private:
    HMODULE module_ = nullptr;
    std::wstring name_;
};
