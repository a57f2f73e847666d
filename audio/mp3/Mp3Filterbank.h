#pragma once
// The encoder's analysis of one channel: the 32-band polyphase filterbank, the long-block
// MDCT of each subband over two granules, the alias-reduction butterflies and a block
// scaling that lifts quiet granules to full precision. Integer arithmetic throughout.
#include "Mp3FrameTables.h"

#include <cstdint>

class Mp3Filterbank {
public:
    // Samples one granule's 18 analysis windows cover: 512 history + 576 new - 32.
    static constexpr int kGranuleSpan = 512 + mp3::kLinesPerGranule - 32;
    // Lines at shift 14 with a smaller peak are recomputed with a smaller shift.
    static constexpr int kFullScalePeak = 15360;

    struct Granule {
        int32_t lines[mp3::kLinesPerGranule];
        int blockScale;  // in quantiser steps (quarters of a doubling)
        int32_t peak;    // largest line magnitude
    };

    // Forgets the previous granule (the MDCT's overlap).
    void Reset();
    // Analyses one granule. `samples` holds kGranuleSpan samples, oldest first, the last
    // 576 of them new; subbands from codedSubbands on give lines of 0.
    void Analyse(const int16_t* samples, int codedSubbands, Granule* out);

private:
    int32_t previous_[mp3::kSubbands][mp3::kLinesPerSubband] = {};
};
