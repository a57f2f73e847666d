#include "Random.h"

#include <gtest/gtest.h>

#include <random>

// The process's generator is the reference MT19937 with its default seed: the
// standard library's default-seeded engine is an independent implementation of it.
TEST(Random, FollowsTheReferenceSequenceOfSeed5489) {
    std::mt19937 reference;
    uint32_t first = 0, second = 0, last = 0;
    for (int i = 1; i <= 10000; ++i) {
        uint32_t value = Random_Next();
        ASSERT_EQ(reference(), value) << "output " << i;
        if (i == 1) first = value;
        if (i == 2) second = value;
        last = value;
    }
    EXPECT_EQ(3499211612u, first);
    EXPECT_EQ(581869302u, second);
    EXPECT_EQ(4123659995u, last);
}
