#include <gtest/gtest.h>
TEST(Trial, Runs) { EXPECT_EQ(2, 1 + 1); }
