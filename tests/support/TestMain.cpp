// main() of every test executable: each test process runs on a fresh device of its own.
#include <gtest/gtest.h>
#include <cstdio>
#include "TestDevice.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (at discovery) needs no device.
    if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    testsupport::TestDevice device;
    if (!device.Ready()) {
        fprintf(stderr, "test support: could not set up a fresh device root and registry\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
