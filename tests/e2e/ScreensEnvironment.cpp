// The in-process tests start the program's objects as the program does, so the
// program's screens and the actions' work are installed before any test runs.
#include "ActionWork.h"
#include "ProgramScreens.h"

#include <gtest/gtest.h>

namespace {

class ScreensEnvironment : public testing::Environment {
public:
    void SetUp() override {
        ProgramScreens::Install();
        ActionWork::Install();
    }
};

const testing::Environment* const kScreens = testing::AddGlobalTestEnvironment(new ScreensEnvironment);

}  // namespace
