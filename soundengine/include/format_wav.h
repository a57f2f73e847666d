#pragma once
// The WAV reader's stream side: the RIFF chunk walk, the probe a stream open runs, and
// the decode callback (PCM straight through, IMA ADPCM inside the engine). Also the
// headerless PCM probe, which decodes through the same callback.
#include <cstdint>

#include "aural_stream.h"

struct SoundFile;

// Kept in the ring sample's user word.
struct WavDecodeState {
  uint8_t* format;                 // copy of the "fmt " block, at least 40 bytes; null for raw PCM
  void* acmStream;                 // the platform conversion stream (codecs other than PCM and IMA ADPCM)
  uint8_t adpcm36;                 // 36-byte blocks per channel, decoded channel by channel
  int32_t formatTag, channels, blockAlign, samplesPerBlock;
};

enum : uint16_t {
  kWavTagPcm = 1,
  kWavTagImaAdpcm = 0x11,
  kWavTagMpeg = 0x50,
  kWavTagMpegLayer3 = 0x55,
  kWavTagImaAdpcm36 = 0x69,
  kWavTagExtensible = 0xFFFE,
};

constexpr int kWavFormatMinCopy = 40;

// Walks the chunks from the file's current position. Any output may be null. False with
// error 10 when the file is not RIFF or has no "fmt " (when asked for), or without a
// "data" chunk; error 12 without memory. `format` is allocated (engine memory) only
// when asked for.
BOOL WavFormat_ReadChunks(SoundFile* file, uint8_t** format, int* formatBytes, int* dataOffset, int* dataBytes,
                          int* factSamples, SoundSyncPoint* syncList, int* loopPoints);
// The stream opener's probe; sync points go into `syncList`.
BOOL WavFormat_Open(SoundFile* file, uint32_t mode, SoundReaderInfo* info, SoundSyncPoint* syncList);
// Headerless PCM: the whole file is data in the caller's mode.
BOOL RawFormat_Open(SoundFile* file, uint32_t mode, SoundReaderInfo* info);
void WavFormat_Close(void* state);
SoundSample* WavFormat_LoadSample(int index, SoundFile* file, uint32_t mode, int* error);
BOOL WavFormat_Decode(SoundStream* stream, void* readBuffer, int readBufferSize, void* output, int* byteCount);
// The same with the decode state given, for readers that keep one inside their own.
BOOL WavFormat_DecodeWith(SoundStream* stream, WavDecodeState* state, void* readBuffer, int readBufferSize,
                          void* output, int* byteCount);
// Converts whole blocks of compressed data; returns the bytes written (at most `room`).
int WavFormat_DecodeBlock(WavDecodeState* state, const uint8_t* input, int inputBytes, void* output, int room);
