#pragma once
// Samples: PCM data with format, loop points and playback defaults. The primary buffer
// that the output loops is a sample too.
#include <windows.h>
#include <cstdint>

struct SoundSample;

struct SoundSampleOps {
  BOOL (*allocate)(SoundSample* sample, int length);
  void (*free)(SoundSample* sample);
  BOOL (*upload)(SoundSample* sample, const void* source, int offset, int bytes, uint32_t sourceMode);  // optional
  // Byte range from `offset` (modulo the data size); a range past the end is split and
  // the second part starts at the data start.
  BOOL (*lock)(SoundSample* sample, uint32_t offset, uint32_t length, void** ptr1, uint32_t* len1, void** ptr2,
               uint32_t* len2);
  BOOL (*unlock)(SoundSample* sample, void* ptr1, uint32_t len1, void* ptr2, uint32_t len2);
};

constexpr int kSoundSampleNameSize = 256;
constexpr int kSoundSampleUnlisted = -2;
constexpr int kSoundSamplePrimary = -1000;
constexpr int kSoundSampleTableGrowth = 256;

struct SoundSample {
  char name[kSoundSampleNameSize];
  int32_t index;                   // table slot; -2 unlisted, -1000 the primary buffer
  void* data;                      // first channel part's data
  void* outputData;                // the allocated block
  int32_t length;                  // samples
  int32_t loopStart, loopLength;
  int32_t loopEnd;                 // start + length, or -1 while the guard samples are out
  int32_t maxPlaybacks;            // -1 unlimited
  int32_t channels;                // interleaved multi-channel data
  uint32_t mode;
  int32_t frequency, volume, pan, priority;
  int32_t frequencyVariation, volumeVariation, panVariation;
  int32_t baseRate;
  int32_t minDistance, maxDistance;  // x256
  void* driverData;
  void* lockBuffer;
  int32_t lockOffset;
  void* user;                      // a reader's state
  uint8_t guardSaved[8];           // the frame behind the loop end, saved while the guard stands in
  SoundSampleOps ops;
};

// Creation with defaults and mode normalisation; error 2 without an output, 12 without memory.
SoundSample* SoundSample_Create(int index, uint32_t mode);
// Creation plus the output's allocate; length not above 0: error 14.
SoundSample* SoundSample_Alloc(int index, int length, uint32_t mode, int frequency, int volume, int pan);
void SoundSample_Free(SoundSample* sample);
BOOL SoundSample_Lock(SoundSample* sample, int offset, int length, void** ptr1, uint32_t* len1, void** ptr2,
                      uint32_t* len2);
BOOL SoundSample_Unlock(SoundSample* sample, void* ptr1, uint32_t len1, void* ptr2, uint32_t len2);
// Puts back the frame saved behind the old loop end and stores, behind the new one,
// the value playback reaches next (interpolating mixers read it).
void SoundSample_RebuildGuards(SoundSample* sample);
// Bytes of one frame of one channel part (1 or 2, doubled for stereo).
int SoundSample_FrameBytes(uint32_t mode);
