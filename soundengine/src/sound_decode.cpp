// IMA ADPCM block decoders and the engine's 36-byte ADPCM converter.
#include "sound_decode.h"

#include <cstring>

namespace {

constexpr int16_t kImaStep[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int8_t kImaIndex[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};
constexpr int kMaxStepIndex = 88;

struct ImaState {
  int predictor;
  int index;
  // Reads a block header; false for a step index out of range.
  bool Header(const uint8_t* h) {
    predictor = static_cast<int16_t>(h[0] | h[1] << 8);
    index = h[2];
    return index <= kMaxStepIndex;
  }
  int16_t Next(int nibble) {
    const int step = kImaStep[index];
    int diff = step >> 3;
    if (nibble & 4) diff += step;
    if (nibble & 2) diff += step >> 1;
    if (nibble & 1) diff += step >> 2;
    predictor += (nibble & 8) ? -diff : diff;
    if (predictor > 32767) predictor = 32767;
    if (predictor < -32768) predictor = -32768;
    index += kImaIndex[nibble];
    if (index < 0) index = 0;
    if (index > kMaxStepIndex) index = kMaxStepIndex;
    return static_cast<int16_t>(predictor);
  }
};

}  // namespace

int Ima_DecodeMono(const uint8_t* input, int16_t* output, int blocks, int blockAlign, int samplesPerBlock, int stride) {
  if (!input || !output || blocks <= 0 || blockAlign <= 4 || samplesPerBlock <= 0 || stride <= 0) return 0;
  for (int b = 0; b < blocks; ++b) {
    const uint8_t* in = input + static_cast<size_t>(b) * blockAlign;
    int16_t* out = output + static_cast<size_t>(b) * samplesPerBlock * stride;
    ImaState st;
    if (!st.Header(in)) return b;
    out[0] = static_cast<int16_t>(st.predictor);
    const uint8_t* data = in + 4;
    const int bytes = blockAlign - 4;
    int n = 1;
    for (int i = 0; i < bytes && n < samplesPerBlock; ++i) {
      out[static_cast<size_t>(n++) * stride] = st.Next(data[i] & 0xF);
      if (n < samplesPerBlock) out[static_cast<size_t>(n++) * stride] = st.Next(data[i] >> 4);
    }
    for (; n < samplesPerBlock; ++n) out[static_cast<size_t>(n) * stride] = static_cast<int16_t>(st.predictor);
  }
  return blocks;
}

int Ima_DecodeStereo(const uint8_t* input, int16_t* output, int blocks, int blockAlign, int samplesPerBlock) {
  if (!input || !output || blocks <= 0 || blockAlign <= 8 || samplesPerBlock <= 0) return 0;
  for (int b = 0; b < blocks; ++b) {
    const uint8_t* in = input + static_cast<size_t>(b) * blockAlign;
    int16_t* out = output + static_cast<size_t>(b) * samplesPerBlock * 2;
    ImaState ch[2];
    if (!ch[0].Header(in) || !ch[1].Header(in + 4)) return b;
    out[0] = static_cast<int16_t>(ch[0].predictor);
    out[1] = static_cast<int16_t>(ch[1].predictor);
    int n = 1;
    for (const uint8_t* g = in + 8; g + 8 <= in + blockAlign && n < samplesPerBlock; g += 8) {
      const int frames = samplesPerBlock - n < 8 ? samplesPerBlock - n : 8;
      for (int side = 0; side < 2; ++side)
        for (int k = 0; k < frames; ++k) {
          const uint8_t byte = g[side * 4 + k / 2];
          out[static_cast<size_t>(n + k) * 2 + side] = ch[side].Next((k & 1) ? byte >> 4 : byte & 0xF);
        }
      n += frames;
    }
    for (; n < samplesPerBlock; ++n) {
      out[static_cast<size_t>(n) * 2] = static_cast<int16_t>(ch[0].predictor);
      out[static_cast<size_t>(n) * 2 + 1] = static_cast<int16_t>(ch[1].predictor);
    }
  }
  return blocks;
}

int SoundConv_DecodeIma36(const uint8_t* input, int inputBytes, int16_t* output, int outputBytes, int channels,
                          bool multiChannel) {
  if (!input || !output || channels <= 0 || inputBytes <= 0 || outputBytes <= 0) return 0;
  const int blockAlign = kImaBlockBytes36 * channels;
  const int blockOut = kImaSamplesPerBlock36 * channels * 2;
  int blocks = inputBytes / blockAlign;
  if (blocks > outputBytes / blockOut) blocks = outputBytes / blockOut;
  int done;
  if (channels == 1)
    done = Ima_DecodeMono(input, output, blocks, blockAlign, kImaSamplesPerBlock36, 1);
  else if (channels == 2 && !multiChannel)
    done = Ima_DecodeStereo(input, output, blocks, blockAlign, kImaSamplesPerBlock36);
  else {
    // Each channel keeps its own 36-byte block; the stride interleaves the outputs.
    done = blocks;
    for (int c = 0; c < channels; ++c) {
      const int d = Ima_DecodeMono(input + c * kImaBlockBytes36, output + c, blocks, blockAlign,
                                   kImaSamplesPerBlock36, channels);
      if (d < done) done = d;
    }
  }
  return done * blockOut;
}

bool Ima_LayoutValid(int channels, int blockAlign, int samplesPerBlock) {
  if (channels != 1 && channels != 2) return false;
  if (blockAlign <= 4 * channels || samplesPerBlock <= 1) return false;
  // Stereo data comes in groups of 4 bytes per channel.
  if (channels == 2 && (blockAlign - 8) % 8 != 0) return false;
  if (blockAlign == kImaBlockBytes36 * channels && samplesPerBlock == kImaSamplesPerBlock36) return true;
  return samplesPerBlock == (blockAlign - 4 * channels) * 2 / channels + 1;
}

void SoundStr_AppendN(char* destination, const char* source, int n) {
  if (!destination || !source || n <= 0) return;
  std::strncat(destination, source, static_cast<size_t>(n));
}
