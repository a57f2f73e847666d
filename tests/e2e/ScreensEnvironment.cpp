// The in-process tests start the program's objects as the program does, so the
// program's screens are installed before any test runs.
#include "ProgramScreens.h"

#include <gtest/gtest.h>

namespace {

class ScreensEnvironment : public testing::Environment {
public:
    void SetUp() override { ProgramScreens::Install(); }
};

const testing::Environment* const kScreens = testing::AddGlobalTestEnvironment(new ScreensEnvironment);

}  // namespace
