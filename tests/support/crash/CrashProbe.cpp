// Writes through a null pointer where its argument says: "main" in main, "static" in a
// static initializer that runs before main. Built with the tests' start and without it, so
// crash_checks.sh can see that a crash ends a program at once with the fault's address,
// whether the test support or Wine's debugger reports it.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {
int* volatile nowhere = nullptr;

bool Asked(const char* where) { return strstr(GetCommandLineA(), where) != nullptr; }

__attribute__((noinline)) void Crash() {
    std::printf("crash probe: writing through a null pointer in %p\n", reinterpret_cast<void*>(&Crash));
    std::fflush(stdout);
    *nowhere = 1;
}

struct CrashBeforeMain {
    CrashBeforeMain() {
        if (Asked(" static")) Crash();
    }
} crashBeforeMain;
}  // namespace

int main() {
    if (Asked(" main")) Crash();
    return 0;
}
