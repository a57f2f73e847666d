// The in-process tests start the program's objects as the program does, so the
// program's screens and the actions' work are installed before any test runs. The
// program reads the OS version once, at that install: suites named "Older..." run on a
// handheld that reports OS 4 from the start.
#include "ActionWork.h"
#include "DeviceVersion.h"
#include "ProgramScreens.h"

#include <gtest/gtest.h>

namespace {

class ScreensEnvironment : public testing::Environment {
public:
    void SetUp() override {
        if (testing::GTEST_FLAG(filter).rfind("Older", 0) == 0) DeviceControl_SetOsVersion(4, 0);
        ProgramScreens::Install();
        ActionWork::Install();
    }
};

const testing::Environment* const kScreens = testing::AddGlobalTestEnvironment(new ScreensEnvironment);

}  // namespace
