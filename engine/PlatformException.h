#pragma once
// The exception our core containers throw where the handheld's code raised a
// structured exception: it carries the same code (for example -1 from PtrArray or
// E_OUTOFMEMORY). mingw's catch(...) does not see RaiseException, so C++ it is.
#include <windows.h>

#include <exception>

class PlatformException : public std::exception {
public:
    explicit PlatformException(DWORD code) : code_(code) {}

    DWORD Code() const { return code_; }
    const char* what() const noexcept override { return "platform exception"; }

private:
    DWORD code_;
};
