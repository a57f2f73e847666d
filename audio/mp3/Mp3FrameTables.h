#pragma once
// The small tables of an MPEG audio Layer III frame: sampling rates and bitrates in header
// order, the long-block scalefactor bands, the region split by band, and how many subbands
// the encoder codes at each bitrate.
#include <cstdint>

namespace mp3 {

constexpr int kMpeg1 = 1;  // version bit of the header
constexpr int kMpeg2 = 0;
constexpr int kLinesPerGranule = 576;
constexpr int kSubbands = 32;
constexpr int kLinesPerSubband = 18;
constexpr int kLongBands = 22;

// [version][sampling-frequency index]
constexpr int kSampleRates[2][3] = {{22050, 24000, 16000}, {44100, 48000, 32000}};
// [version][bitrate index] in kbit/s; index 0 (free format) and 15 are not used.
constexpr int kBitrates[2][15] = {{0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
                                  {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}};

// Start line of each long-block scalefactor band and the end (576): [version][index][band].
constexpr uint16_t kLongBandStart[2][3][kLongBands + 1] = {
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 114, 136, 162, 194, 232, 278, 332, 394, 464, 540, 576},
     {0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576}},
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 52, 62, 74, 90, 110, 134, 162, 196, 238, 288, 342, 418, 576},
     {0, 4, 8, 12, 16, 20, 24, 30, 36, 42, 50, 60, 72, 88, 106, 128, 156, 190, 230, 276, 330, 384, 576},
     {0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 54, 66, 82, 102, 126, 156, 194, 240, 296, 364, 448, 550, 576}}};

// region0_count and region1_count by the first band that starts at or after the big values.
constexpr uint8_t kRegion0Count[kLongBands + 1] = {0, 0, 0, 0, 0, 0, 1, 1, 1, 2, 2, 2,
                                                   3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6};
constexpr uint8_t kRegion1Count[kLongBands + 1] = {0, 0, 0, 0, 0, 1, 1, 1, 2, 2, 3, 3,
                                                   4, 4, 4, 5, 5, 6, 6, 6, 7, 7, 7};

// Subbands coded at each bitrate index (1..14): the rest is left silent, so low bitrates
// spend their bits on the lower band.
constexpr uint8_t kCodedSubbandsMpeg2Stereo[15] = {0, 10, 10, 10, 10, 12, 14, 16, 20, 22, 24, 26, 28, 30, 32};
constexpr uint8_t kCodedSubbandsMpeg1Stereo[15] = {0, 10, 10, 10, 10, 10, 12, 14, 18, 24, 26, 28, 30, 32, 32};
constexpr uint8_t kCodedSubbandsMono[15] = {0, 10, 12, 14, 18, 24, 26, 28, 30, 32, 32, 32, 32, 32, 32};

}  // namespace mp3
