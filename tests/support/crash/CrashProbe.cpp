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
