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
static_assert(sizeof(SoundChannelOps) == 23 * sizeof(void*), "seventeen operations and six null-output slots");

inline SoundChannel* SoundChannel_FromLink(SoundLink* link) { return reinterpret_cast<SoundChannel*>(link); }

constexpr int kSoundMaxPlayList = 15;  // channels one play may take (multi-channel samples)

// Lookup of a handle (index | serial << 12, or -1000); error 2 / 14, null on failure.
SoundChannel* Aural_GetChannel(int handle);
// Issues the next handle of a channel index.
int SoundChannel_NewHandle(int index);
// Stops one channel or all (-3): old handles die.
void Aural_StopChannel(int handle);

// Allocation and play. A range is one of the engine's channel ranges (software first).
struct SoundChannelRange;
// Finds (channel -1), or takes (an index, a handle, -1000), a channel and sets it up for
// `sample`: priority, mode, rate, volume and pan from the sample. Error 2, 14 or 16.
SoundChannel* Aural_PlaySoundInternal(int channel, SoundChannelRange* range, SoundSample* sample, int priority,
                                      int excludedIndex, BOOL stopSameSample);
// Plays `sample` on the channels of `list` (`count` 1..15 entries; more than one only
// for interleaved multi-channel samples), through `unit` or the default mix unit.
// Returns the handle, or -1.
int Aural_PlaySoundOnList(const int* list, int count, SoundSample* sample, SoundDspUnit* unit, BOOL startPaused);
int Aural_PlaySoundPaused(int ignored, SoundSample* sample);
int Aural_PlaySound(int channel, SoundSample* sample);

// Per-channel settings on one channel or all (-3). A handle with serial bits, and -3,
// reach the linked channels of a multi-channel play too; a plain index only the head.
BOOL Aural_SetChannelRate(int channel, int hz);
BOOL Aural_SetVolume(int channel, int volume);           // scaled by the master volume
BOOL Aural_SetVolumeAbsolute(int channel, int volume);   // not scaled
int Aural_GetVolume(int handle);
BOOL Aural_SetPan(int channel, int pan);                 // through the pan separation
BOOL SoundChannel_SetPanRaw(int channel, int pan);
BOOL Aural_SetPaused(int channel, BOOL paused);
BOOL Aural_GetPaused(int handle);
BOOL SoundChannel_SetFlag4(int channel, BOOL on);
BOOL SoundChannel_SetFlag8(int channel, BOOL on);
BOOL SoundChannel_SetLoopBits(int channel);
BOOL SoundChannel_ResetPosition(int channel);
int SoundChannel_GetPosition(int handle);
SoundSample* SoundChannel_GetSample(int handle);
BOOL SoundChannel_QueryState(int handle);

// Positional sound: attenuation, Doppler and pan from the channel's and the listener's
// position (Aural_Set3DAttributes stores the channel's).
BOOL SoundChannel_Update3D(SoundChannel* channel);
BOOL Aural_Set3DAttributes(int channel, const float* position, const float* velocity);
// Float to the engine's x256 fixed point, truncated toward zero.
int32_t SoundMath_FloatToFixed8(float value);
// Fills a channel with the null output's operations and the initial values.
void SoundChannel_InitRecord(SoundChannel* channel, int index);
// Plays the primary buffer on the primary channel (start of day and after a restart).
BOOL SoundChannel_StartPrimary();
