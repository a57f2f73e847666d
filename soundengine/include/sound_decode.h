#pragma once
// Block decoders shared by streams and samples: IMA ADPCM into 16-bit PCM. They work on
// the caller's buffers and allocate nothing.
#include <cstdint>

// Decodes `blocks` mono blocks, `blockAlign` bytes apart, into `samplesPerBlock` samples
// each, written `stride` samples apart. Returns the blocks decoded: a header whose step
// index is above 88 stops there. A block yields at most what its bytes hold.
int Ima_DecodeMono(const uint8_t* input, int16_t* output, int blocks, int blockAlign, int samplesPerBlock, int stride);
// Stereo blocks (left header, right header, then 4-byte groups of left and right
// nibbles) into interleaved frames. Returns the blocks decoded.
int Ima_DecodeStereo(const uint8_t* input, int16_t* output, int blocks, int blockAlign, int samplesPerBlock);
// The engine's own ADPCM layout: 36 bytes give 64 samples per channel. One or two
// channels use the decoders above; more channels are interleaved 36-byte blocks decoded
// channel by channel. Returns the bytes written to `output` (at most `outputBytes`).
int SoundConv_DecodeIma36(const uint8_t* input, int inputBytes, int16_t* output, int outputBytes, int channels,
                          bool multiChannel);
// True when an IMA ADPCM layout can be decoded without leaving its blocks: one or two
// channels, and samples per block as the block's bytes give them (or 64 in 36-byte
// blocks per channel).
bool Ima_LayoutValid(int channels, int blockAlign, int samplesPerBlock);

constexpr int kImaBlockBytes36 = 36;
constexpr int kImaSamplesPerBlock36 = 64;

// Appends at most `n` characters of `source` to the terminated string in `destination`.
void SoundStr_AppendN(char* destination, const char* source, int n);
