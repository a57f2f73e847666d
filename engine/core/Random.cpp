#include "Random.h"

namespace {

constexpr int kStateWords = 624;
constexpr int kShiftWords = 397;
constexpr uint32_t kMatrix = 0x9908B0DFu;
constexpr uint32_t kUpperBit = 0x80000000u;
constexpr uint32_t kLowerBits = 0x7FFFFFFFu;
constexpr uint32_t kDefaultSeed = 5489;
constexpr uint32_t kSeedMultiplier = 1812433253u;
// Position of a generator that was never seeded.
constexpr int kUnseeded = kStateWords + 1;

uint32_t g_state[kStateWords];
int g_position = kUnseeded;

void Seed(uint32_t seed) {
    g_state[0] = seed;
    for (int i = 1; i < kStateWords; ++i)
        g_state[i] = kSeedMultiplier * (g_state[i - 1] ^ (g_state[i - 1] >> 30)) + static_cast<uint32_t>(i);
}

void Twist() {
    for (int i = 0; i < kStateWords; ++i) {
        uint32_t y = (g_state[i] & kUpperBit) | (g_state[(i + 1) % kStateWords] & kLowerBits);
        g_state[i] = g_state[(i + kShiftWords) % kStateWords] ^ (y >> 1) ^ ((y & 1) ? kMatrix : 0);
    }
    g_position = 0;
}

}  // namespace

uint32_t Random_Next() {
    if (g_position == kUnseeded) Seed(kDefaultSeed);
    if (g_position >= kStateWords) Twist();
    uint32_t y = g_state[g_position++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}
