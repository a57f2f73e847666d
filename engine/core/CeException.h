#pragma once
// The errors that core containers raise. On the device these are structured
// exceptions; here they are C++ exceptions carrying the same codes, because
// mingw's catch(...) does not see RaiseException.
#include <windows.h>
#include <exception>

class CeException : public std::exception {
public:
    static constexpr DWORD kOutOfMemory = 0x8007000E;  // E_OUTOFMEMORY
    static constexpr DWORD kBadIndex = 0x80070005;     // E_ACCESSDENIED

    explicit CeException(DWORD code) : code_(code) {}
    DWORD Code() const { return code_; }
    const char* what() const noexcept override { return "CeException"; }

    [[noreturn]] static void Raise(DWORD code) { throw CeException(code); }

private:
    DWORD code_;
};
