#pragma once
// Base fixture for tests that need a device nobody else touched, however the tests are
// run: under ctest every test has a process (and device) of its own anyway, but a
// direct run of a test executable runs all tests in one process. The test thread must
// own no windows when the test starts (it moves to the new device's desktop).
#include <gtest/gtest.h>
#include "TestDevice.h"

namespace testsupport {

class FreshDeviceTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(device_.Ready()) << "no fresh device for this test"; }

private:
    TestDevice device_;
};

}  // namespace testsupport
