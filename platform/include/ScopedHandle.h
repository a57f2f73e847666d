#pragma once
// Owners for kernel handles, registry keys and desktops: each releases its handle in one place.
#include <windows.h>

template <typename Traits>
class ScopedOwner {
public:
    using Handle = typename Traits::Handle;

    ScopedOwner() = default;
    explicit ScopedOwner(Handle h) : handle_(h) {}
    ~ScopedOwner() { Reset(); }
    ScopedOwner(const ScopedOwner&) = delete;
    ScopedOwner& operator=(const ScopedOwner&) = delete;
    ScopedOwner(ScopedOwner&& other) noexcept : handle_(other.Release()) {}
    ScopedOwner& operator=(ScopedOwner&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Handle Get() const { return handle_; }
    bool Valid() const { return handle_ != Traits::Invalid(); }
    explicit operator bool() const { return Valid(); }
    // For out-parameters: drops the current handle first.
    Handle* Receive() { Reset(); return &handle_; }
    Handle Release() { Handle h = handle_; handle_ = Traits::Invalid(); return h; }
    void Reset(Handle h = Traits::Invalid()) {
        if (handle_ != Traits::Invalid()) Traits::Close(handle_);
        handle_ = h;
    }

private:
    Handle handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FileHandleTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct RegistryKeyTraits {
    using Handle = HKEY;
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct DesktopTraits {
    using Handle = HDESK;
    static HDESK Invalid() { return nullptr; }
    static void Close(HDESK h) { CloseDesktop(h); }
};

// Events, mutexes, processes, threads (null when absent).
using ScopedHandle = ScopedOwner<KernelHandleTraits>;
// Handles from CreateFile (INVALID_HANDLE_VALUE when absent).
using ScopedFile = ScopedOwner<FileHandleTraits>;
using ScopedKey = ScopedOwner<RegistryKeyTraits>;
using ScopedDesktop = ScopedOwner<DesktopTraits>;
