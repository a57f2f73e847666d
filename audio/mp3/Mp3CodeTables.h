#pragma once
// The Layer III Huffman code tables and the polyphase analysis window of the standard,
// as constants (Mp3CodeTables.cpp is generated; see tests/audio/mp3/Mp3TablesMaker.cpp).
#include <cstdint>

// One code: length << 24 | the code's bits (first bit sent is the highest).
inline int Mp3CodeLength(uint32_t code) { return static_cast<int>(code >> 24); }
inline uint32_t Mp3CodeBits(uint32_t code) { return code & 0xFFFFFF; }

struct Mp3PairTable {
    int size;             // values 0..size-1 per coordinate; 0: the table does not exist
    int linbits;          // escape tables: value 15 is followed by this many bits of (value - 15)
    const uint32_t* codes;  // [x * size + y]
};

// Tables 0..31 for the big values; 0, 4 and 14 carry no codes.
extern const Mp3PairTable kMp3PairTables[32];
// count1 tables A (0) and B (1): [v << 3 | w << 2 | x << 1 | y].
extern const uint32_t* const kMp3QuadCodes[2];
// The analysis window C[i] in units of 2^-21 (which is the synthesis window in units of 2^-16).
extern const int32_t kMp3AnalysisWindow[512];
