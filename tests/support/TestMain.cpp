// main() of every test executable: each test process runs on a fresh device of its own.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include "ProcessStart.h"
#include "TestDevice.h"

namespace {
// The device's teardown (stopping its services, unloading its libraries, deleting its
// folder) has been seen, rarely and only on a loaded machine, never to return after a test
// had passed. Past this time the process ends with the test's result and says so, instead
// of running into the test's time-out.
constexpr DWORD kTeardownLimitMs = 30000;

DWORD WINAPI WatchTeardown(void* result) {
    Sleep(kTeardownLimitMs);
    fprintf(stderr, "test support: the device's teardown did not end within %lu s; ending the process\n",
            static_cast<unsigned long>(kTeardownLimitMs / 1000));
    testsupport::EndProcess(static_cast<int>(reinterpret_cast<INT_PTR>(result)));
}
}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (at discovery) needs no device.
    if (testing::GTEST_FLAG(list_tests)) testsupport::EndProcess(RUN_ALL_TESTS());
    int result = 2;
    {
        testsupport::TestDevice device;
        if (!device.Ready()) {
            fprintf(stderr, "test support: could not set up a fresh device root and registry\n");
            testsupport::EndProcess(2);
        }
        result = RUN_ALL_TESTS();
        if (HANDLE watch = CreateThread(nullptr, 0, WatchTeardown, reinterpret_cast<void*>(INT_PTR{result}), 0, nullptr))
            CloseHandle(watch);
    }
    testsupport::EndProcess(result);
}
