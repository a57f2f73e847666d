// Kernel calls of drivers: the device's thread priorities on the host's scale, and
// reading the memory of the process that called into a driver.
#include "kfuncs.h"

namespace {

// The device's application priorities 248 to 255, highest first, on the host.
const int kApplicationBase = 248;
const int kHostLevels[] = {THREAD_PRIORITY_TIME_CRITICAL, THREAD_PRIORITY_HIGHEST, THREAD_PRIORITY_ABOVE_NORMAL,
                           THREAD_PRIORITY_NORMAL,        THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_LOWEST,
                           THREAD_PRIORITY_LOWEST,        THREAD_PRIORITY_IDLE};

// The device manager, when it hosts this driver, maps addresses of the calling process
// (it exports this from its program). `handled` stays FALSE outside a call from
// another process.
typedef LPVOID (*CallerMapper)(LPVOID ptr, DWORD size, BOOL* handled);
const char kCallerMapperName[] = "DeviceManager_MapCallerPtr";

CallerMapper HostMapper() {
    static CallerMapper mapper =
        reinterpret_cast<CallerMapper>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), kCallerMapperName)));
    return mapper;
}

bool Readable(DWORD protect) {
    if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
    return (protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE |
                       PAGE_EXECUTE_WRITECOPY)) != 0;
}

// Every byte of [ptr, ptr + size) lies in committed, readable memory of this process.
bool ReadableRange(const BYTE* ptr, DWORD size) {
    const BYTE* end = ptr + size;
    if (end < ptr) return false;
    for (const BYTE* at = ptr; at < end;) {
        MEMORY_BASIC_INFORMATION info;
        if (!VirtualQuery(at, &info, sizeof info) || info.State != MEM_COMMIT || !Readable(info.Protect))
            return false;
        at = static_cast<const BYTE*>(info.BaseAddress) + info.RegionSize;
    }
    return true;
}

}  // namespace

BOOL CeSetThreadPriority(HANDLE hThread, int nPriority) {
    if (nPriority < 0 || nPriority > 255) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Drivers' priorities lie above every application's; on the host they run just above normal.
    int host = nPriority < kApplicationBase ? THREAD_PRIORITY_ABOVE_NORMAL : kHostLevels[nPriority - kApplicationBase];
    return SetThreadPriority(hThread, host);
}

LPVOID MapCallerPtr(LPVOID ptr, DWORD size) {
    if (CallerMapper mapper = HostMapper()) {
        BOOL handled = FALSE;
        LPVOID mapped = mapper(ptr, size, &handled);
        if (handled) return mapped;
    }
    if (!ptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!ReadableRange(static_cast<const BYTE*>(ptr), size)) {
        SetLastError(ERROR_NOACCESS);
        return nullptr;
    }
    return ptr;
}
