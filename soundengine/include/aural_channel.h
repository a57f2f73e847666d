#pragma once
// Channels: the engine's voices. One fixed table made by Aural_Init plus the primary
// channel (index -1000) that plays the mixer's output buffer.
#include <windows.h>
#include <cstdint>
#include "aural_list.h"

struct SoundChannel;
struct SoundSample;
struct SoundDspUnit;

// Per-channel operations, filled by the output (or the software mixer).
struct SoundChannelOps {
  BOOL (*init)(SoundChannel* channel);
  BOOL (*free)(SoundChannel* channel);
  BOOL (*setSample)(SoundChannel* channel, SoundSample* sample);
  BOOL (*start)(SoundDspUnit* unit, SoundChannel* channel, SoundSample* sample);
  BOOL (*stop)(SoundChannel* channel);
  BOOL (*setFrequency)(SoundChannel* channel, int hz);
  BOOL (*setFrequency256)(SoundChannel* channel, int value);
  BOOL (*setVolume)(SoundChannel* channel, int volume);
  BOOL (*setPan)(SoundChannel* channel, int pan);
  BOOL (*spare)(SoundChannel* channel);
  BOOL (*pause)(SoundChannel* channel, BOOL paused);
  BOOL (*setPosition)(SoundChannel* channel, int position);
  int (*getPosition)(SoundChannel* channel);
  BOOL (*getLevels)(SoundChannel* channel, int* left, int* right);
  BOOL (*isPlaying)(SoundChannel* channel);
  BOOL (*setMode)(SoundChannel* channel, uint32_t mode);
  BOOL (*update3d)(SoundChannel* channel);
  int (*extra[6])(SoundChannel* channel);  // only the null output fills these
};

// Flag bits.
enum : uint32_t {
  kChannelAbsoluteVolume = 0x01,
  kChannelMuted = 0x02,
  kChannelFlag4 = 0x04,
  kChannelReserved = 0x08,
  kChannelPaused = 0x10,
  kChannelInSong = 0x20,
  kChannelConfiguring = 0x200,
  kChannelStopping = 0x2000,
};

enum : int32_t {
  kChannelAll = -3,
  kChannelFree = -1,
  kChannelPrimary = -1000,
  kChannelForward = 1,
  kChannelBackward = 2,
};

struct SoundChannel {
  SoundLink link;                  // in a DSP unit's channel list or the idle list
  int32_t index;                   // -1000 for the primary channel
  int32_t handle;                  // the handle last issued
  int32_t serial;                  // next serial to issue, 1..0x7FFFF
  int32_t volume;                  // 0..255 as last set
  int32_t frequency;
  int32_t pan;                     // after pan separation; -1 for the primary channel
  int32_t driverVolume, driverPan;
  int32_t priority;
  uint32_t flags;
  uint32_t mode;
  int32_t position3d[3], velocity3d[3];
  int32_t minDistance, maxDistance;
  SoundSample* sample;
  SoundDspUnit* dspUnit;
  SoundChannel* nextLinked;
  uint8_t linked;
  int32_t leftGain, rightGain, monoGain;  // 0..255
  int32_t volumeScale;             // 255 = 1.0
  int32_t frequencyScale;          // 256 = 1.0
  int32_t position;                // samples
  uint32_t fraction;
  int32_t stepInt;
  uint32_t stepFrac;
  int32_t direction;               // 1 forward, 2 backward
  int32_t* levelHistory;           // left/right pairs per block (with kSoundInitLevels)
  const void* data;                // this channel's part of the sample
  int32_t startOffset;             // pending start offset
  SoundChannelOps ops;
};

inline SoundChannel* SoundChannel_FromLink(SoundLink* link) { return reinterpret_cast<SoundChannel*>(link); }

// Lookup of a handle (index | serial << 12, or -1000); error 2 / 14, null on failure.
SoundChannel* Aural_GetChannel(int handle);
// Issues the next handle of a channel index.
int SoundChannel_NewHandle(int index);
// Stops one channel or all (-3): old handles die.
void Aural_StopChannel(int handle);
// Fills a channel with the null output's operations and the initial values.
void SoundChannel_InitRecord(SoundChannel* channel, int index);
// Plays the primary buffer on the primary channel (start of day and after a restart).
BOOL SoundChannel_StartPrimary();
