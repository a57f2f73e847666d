// main() of every test executable: each test process runs on a fresh device of its own.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include "ProcessStart.h"
#include "TeardownWatch.h"
#include "TestDevice.h"

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
        // A teardown that hangs fails the program, whatever the tests' result.
        testsupport::TeardownWatch_Start();
    }
    testsupport::EndProcess(result);
}
