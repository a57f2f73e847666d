#pragma once
// The WAV reader's stream side: the RIFF chunk walk, the probe a stream open runs, and
// the decode callback (8- and 16-bit PCM straight through; IMA ADPCM and PCM wider than
// 16 bits inside the engine; other codecs through the platform's converter). Also the
// headerless PCM probe, which decodes through the same callback.
#include <cstdint>

#include "aural_stream.h"

struct SoundFile;

// Kept in the ring sample's user word.
struct WavDecodeState {
  uint8_t* format;                 // the "fmt " block of data that is decoded, not read straight; null otherwise
  void* acmStream;                 // the platform conversion stream (codecs other than PCM and IMA ADPCM)
  uint8_t adpcm36;                 // 36-byte blocks per channel, decoded channel by channel
  uint8_t widePcmBytes;            // 3 or 4: integer PCM of 24 or 32 bits, played as its top 16
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

// The "fmt " block as far as any reader uses it: the fixed fields and a codec's extra
// bytes (a converter reads cbSize bytes behind byte 18). Of a longer block the first
// kWavFormatMaxBytes are kept; bytes the block does not have read as 0.
constexpr int kWavFormatMinCopy = 40;
constexpr int kWavFormatMaxBytes = 256;
struct WavFormatBlock {
  uint8_t bytes[kWavFormatMaxBytes];
  int32_t size;                    // bytes of the block that were read; 0 without one
};

// Walks the chunks from the file's current position. Any output may be null. Chunk sizes
// are unsigned and never trusted beyond the file: a "data" chunk reaching past its end
// (a writer that could not seek back to fix the header) is cut to what the file holds.
// False with error 10 when the file is not RIFF or has no "fmt " (when asked for), or
// without a "data" chunk; error 12 without memory for a cue point.
BOOL WavFormat_ReadChunks(SoundFile* file, WavFormatBlock* format, int* dataOffset, int* dataBytes,
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
