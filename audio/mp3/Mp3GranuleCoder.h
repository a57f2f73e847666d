#pragma once
// Codes one granule of one channel: quantises its lines with one global step, splits them
// into big values, count1 quadruples and zeros, picks the Huffman tables, and finds the
// step whose coding fits a bit budget. Then writes the coded lines as main data.
#include "Mp3BitWriter.h"
#include "Mp3Filterbank.h"
#include "Mp3FrameTables.h"

#include <cstdint>

// The side information of one granule and channel, with what the encoder keeps for it.
struct Mp3GranuleChannel {
    int part23Length = 0;
    int bigValues = 0;
    int globalGain = 0;
    int tableSelect[3] = {};
    int region0Count = 0;
    int region1Count = 0;
    int count1TableSelect = 0;
    int step = 0;        // quantiser step, carried from frame to frame
    int blockScale = 0;  // of the granule's lines, in quantiser steps
    int32_t peak = 0;
    int bits = 0;  // bits the coded lines take (part2_3_length before stuffing)
    // Where the regions end, in lines.
    int region1Start = 0;
    int region2Start = 0;
    int count1End = 0;
    // Quantised lines with the signs of the unquantised ones.
    int16_t values[mp3::kLinesPerGranule] = {};
};

class Mp3GranuleCoder {
public:
    // Bits counted for a step whose quantised values would leave the tables' range.
    static constexpr int kRefusedBits = 10000;
    // Highest part2_3_length the side information can carry.
    static constexpr int kMaxPart23Bits = 4095;
    // The global gain of step 0 for lines at block scale 0.
    static constexpr int kGainOffset = 142;

    // bandStart: the long-block scalefactor band starts of the frame's version and rate.
    explicit Mp3GranuleCoder(const uint16_t* bandStart) : bandStart_(bandStart) {}

    // Quantises at `step` and sets every field but part2_3_length and the global gain;
    // answers the bits, kRefusedBits when the step is too fine.
    int Code(const Mp3Filterbank::Granule& granule, int lineCount, int step, Mp3GranuleChannel* out) const;
    // Starting from out->step, coarsens or refines until the coding fits the budget
    // without leaving more than 64 bits unused where a finer step exists; sets bits,
    // step, block scale, peak and global gain.
    void Fit(const Mp3Filterbank::Granule& granule, int lineCount, int budget, Mp3GranuleChannel* out) const;
    // With `stuffing` 1 bits to follow the coded lines, prefers the count1 table whose
    // zero quadruple those bits decode as whole (table A, one bit each) when it still fits.
    void PrepareStuffing(int stuffing, Mp3GranuleChannel* coded) const;
    // The coded lines, then 1 bits up to part2_3_length.
    static void WriteMainData(const Mp3GranuleChannel& coded, Mp3BitWriter* writer);

private:
    const uint16_t* bandStart_;
};
