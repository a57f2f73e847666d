#pragma once
// The MPEG audio reader: layer II and III files, plain or wrapped in RIFF (format tags
// 0x50 and 0x55), decoded frame by frame through libmad's low-level API.
#include <windows.h>
#include <cstdint>

struct SoundFile;
struct SoundStream;
struct SoundSample;
struct SoundSyncPoint;
struct SoundReaderInfo;
struct MpegReaderState;

// The stream opener's probe: two consecutive valid headers within the first 4096 bytes.
BOOL MpegFormat_Open(SoundFile* file, uint32_t mode, SoundReaderInfo* info, SoundSyncPoint* syncList);
// A layer II or III header that libmad accepts: its rate, channels and frame bytes
// (after the 4 header bytes). `state` may be null.
BOOL MpegFormat_CheckHeader(MpegReaderState* state, const uint8_t* fourBytes, int* rate, int* channels,
                            int* frameBytes);
// Counts the frames of the opened stream's rate and channels (the others are not played)
// from the file's position over `dataBytes`; returns the PCM bytes they decode to, each
// frame at its own size. With `table`, their offsets go into the state's frame table.
int MpegFormat_CountFrames(SoundFile* file, int dataBytes, MpegReaderState* state, bool table);
void MpegFormat_Reset(void* state);
BOOL MpegFormat_Decode(SoundStream* stream, void* readBuffer, int readBufferSize, void* output, int* byteCount);
// Positions the file for `targetSample`; returns the decoded bytes to drop.
int MpegFormat_Seek(SoundStream* stream, int targetSample);
void MpegFormat_Close(void* state);
SoundSample* MpegFormat_LoadSample(int index, SoundFile* file, uint32_t mode, int* error);
