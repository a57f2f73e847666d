#pragma once
// The process's one pseudo-random generator: the 32-bit Mersenne Twister MT19937,
// seeded on first use with the reference's default seed 5489 and never with another,
// so the sequence is the same after every start. GUI thread only (not locked).
#include <cstdint>

uint32_t Random_Next();
