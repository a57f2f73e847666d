// The actions run here as in the program: with its work installed before any test.
#include "ActionWork.h"

#include <gtest/gtest.h>

namespace {

class ActionWorkEnvironment : public testing::Environment {
public:
    void SetUp() override { ActionWork::Install(); }
};

const testing::Environment* const kWork = testing::AddGlobalTestEnvironment(new ActionWorkEnvironment);

}  // namespace
