#include <gtest/gtest.h>
#include "aural.h"
TEST(Smoke, Builds) { EXPECT_EQ(SoundEngine.outputType, -1); }
