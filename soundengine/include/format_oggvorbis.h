#pragma once
// The Ogg Vorbis reader: Tremor decodes over the engine's file layer, allocating from
// the engine's allocator.
#include <windows.h>
#include <cstdint>

struct SoundFile;
struct SoundStream;
struct SoundSample;
struct SoundSyncPoint;
struct SoundReaderInfo;

// The stream opener's probe; the Vorbis comments go into `info->tags`.
BOOL OggFormat_Open(SoundFile* file, uint32_t mode, SoundReaderInfo* info, SoundSyncPoint* syncList);
void OggFormat_Close(void* state);
BOOL OggFormat_Decode(SoundStream* stream, void* readBuffer, int readBufferSize, void* output, int* byteCount);
// Seeks the decoder to `targetSample` exactly; nothing to drop.
int OggFormat_Seek(SoundStream* stream, int targetSample);
SoundSample* OggFormat_LoadSample(int index, SoundFile* file, uint32_t mode, int* error);
// The most the samples this thread loads from now on may make the engine hold, decoder
// and PCM together (a song sets what its budget leaves while it loads its samples; such a
// sample holds what fits, where one loaded alone is refused); returns the limit it
// replaces.
int64_t OggFormat_SetSampleLimit(int64_t bytes);
