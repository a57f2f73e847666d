// Writes through a null pointer where its argument says: "main" in main, "static" in a
// static initializer that runs before main, "locked" in main while another thread holds
// the lock of the standard output. Built with the tests' start and without it, so
// crash_checks.sh can see that a crash ends a program at once with the fault's address,
// reported by the test support or by Wine.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {
int* volatile nowhere = nullptr;

bool Asked(const char* where) { return strstr(GetCommandLineA(), where) != nullptr; }

// Makes the file named in ORVALEN_CRASH_MOMENT_FILE, the moment before the crash: the
// checks time the end from there, not from a start that a busy machine may make slow.
__attribute__((noinline)) void MarkCrashMoment() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"ORVALEN_CRASH_MOMENT_FILE", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

// Takes the standard output's lock and keeps it, as a thread stopped in the middle of a write.
DWORD WINAPI HoldOutput(void* held) {
    _lock_file(stdout);
    SetEvent(held);
    Sleep(INFINITE);
    return 0;
}

__attribute__((noinline)) void Crash() {
    std::printf("crash probe: writing through a null pointer in %p\n", reinterpret_cast<void*>(&Crash));
    std::fflush(stdout);
    if (Asked(" locked")) {
        HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        CloseHandle(CreateThread(nullptr, 0, HoldOutput, held, 0, nullptr));
        WaitForSingleObject(held, INFINITE);
    }
    MarkCrashMoment();
    *nowhere = 1;
}

struct CrashBeforeMain {
    CrashBeforeMain() {
        if (Asked(" static")) Crash();
    }
} crashBeforeMain;
}  // namespace

int main() {
    if (Asked(" main") || Asked(" locked")) Crash();
    return 0;
}
