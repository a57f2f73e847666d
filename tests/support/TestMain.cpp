// main() of every test executable: each test process runs on a fresh device of its own.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include "TestDevice.h"

namespace {
// Ends the process without its exit-time code (static destructors, atexit handlers, DLL
// detach). Under Wine the exit first kills the other threads; one killed while it held the
// loader or a heap lock (a pool or engine thread ending at that moment) leaves that code
// waiting forever for the lock: the test has passed, yet its process never ends. Everything
// the test needs done at the end, the device teardown included, is done by now.
[[noreturn]] void EndProcess(int code) {
    fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    ExitProcess(static_cast<UINT>(code));  // not reached
}

// A crash ends the test process at once with its place on stderr: Wine's debugger, which
// would otherwise be started, can hang on a loaded machine until the test's time runs out.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    fprintf(stderr, "test support: exception %08lx at %p\n", static_cast<unsigned long>(record->ExceptionCode),
            record->ExceptionAddress);
    EndProcess(3);
}

// The device's teardown (stopping its services, unloading its libraries, deleting its
// folder) has been seen, rarely and only on a loaded machine, never to return after a test
// had passed. Past this time the process ends with the test's result and says so, instead
// of running into the test's time-out.
constexpr DWORD kTeardownLimitMs = 30000;

DWORD WINAPI WatchTeardown(void* result) {
    Sleep(kTeardownLimitMs);
    fprintf(stderr, "test support: the device's teardown did not end within %lu s; ending the process\n",
            static_cast<unsigned long>(kTeardownLimitMs / 1000));
    EndProcess(static_cast<int>(reinterpret_cast<INT_PTR>(result)));
}
}  // namespace

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(ReportCrash);
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (at discovery) needs no device.
    if (testing::GTEST_FLAG(list_tests)) EndProcess(RUN_ALL_TESTS());
    int result = 2;
    {
        testsupport::TestDevice device;
        if (!device.Ready()) {
            fprintf(stderr, "test support: could not set up a fresh device root and registry\n");
            EndProcess(2);
        }
        result = RUN_ALL_TESTS();
        if (HANDLE watch = CreateThread(nullptr, 0, WatchTeardown, reinterpret_cast<void*>(INT_PTR{result}), 0, nullptr))
            CloseHandle(watch);
    }
    EndProcess(result);
}
