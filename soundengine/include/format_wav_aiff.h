#pragma once
// The AIFF reader: uncompressed 8- or 16-bit, mono or stereo AIFF files for streams and
// for samples loaded whole, with markers as sync points and the instrument's sustain
// loop as loop points. Big-endian throughout; AIFC and other widths are refused.
#include <cstdint>

#include "aural_stream.h"

struct SoundFile;

// The loop the "INST" and "MARK" chunks give, in sample frames (end < 0: none), and
// whether the sustain loop plays back and forth.
struct AiffLoop {
  int32_t start, end;
  bool backAndForth;
};

// 80-bit extended float to an integer rate; 0 for zero, infinities, NaN and values that
// cannot be a rate (below 1 Hz or above the readers' highest, 768 kHz; negative included).
int Aiff_ExtendedToRate(const uint8_t extended[10]);
// Walks the chunks from the start of the file. False with error 10 (not AIFF, or a
// width or channel count other than 8/16 bits and 1/2 channels), 11 (damaged: short
// header or marker reads, chunk sizes that leave the file, a bad rate, no "COMM" or
// "SSND") or 12 (memory). `mode` gets its format bits 0x1F8 from the file.
BOOL AiffFormat_ReadChunks(SoundFile* file, int* dataOffset, int* dataBytes, uint32_t* mode, int* rate,
                           SoundSyncPoint* syncList, AiffLoop* loop);
// The stream opener's probe; markers go into `syncList`.
BOOL AiffFormat_Open(SoundFile* file, uint32_t mode, SoundReaderInfo* info, SoundSyncPoint* syncList);
BOOL AiffFormat_Decode(SoundStream* stream, void* readBuffer, int readBufferSize, void* output, int* byteCount);
SoundSample* AiffFormat_LoadSample(int index, SoundFile* file, uint32_t mode, int* error);
