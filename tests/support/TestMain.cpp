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
    }
    EndProcess(result);
}
