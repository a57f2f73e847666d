#pragma once
// The software output: mixer descriptors, the block cycle through the DSP chain, the
// mixer thread that keeps the primary buffer filled behind the play position, and the
// software channel and sample operations.
#include <windows.h>
#include <cstdint>
#include "aural_list.h"
#include "sound_mix.h"
#include "system_thread.h"

struct SoundOutputDriver;
struct SoundSample;
struct SoundChannel;
struct SoundDspUnit;

struct SoundMixerDesc {
  const char* name;
  BOOL (*init)();
  void (*close)();
  SoundMixClearFn clear;
  SoundMixFn mix;
  SoundMixClipFn clip;
  int32_t bits;                    // per mix-buffer element
  int32_t channels;
  void* rawBuffer;
  int32_t* buffer;                 // aligned to 16 bytes
  int32_t blockIndex;
  int32_t smallConstant;
  CRITICAL_SECTION* lock;          // guards the channel lists
};

constexpr int kSoundMixerTypes = 14;
enum : int32_t {
  kMixerAutodetect = 0,
  kMixerQualityAutodetect = 4,
  kMixerMono = 8,
  kMixerQualityMono = 9,
  kMixerC = 10,
  kMixerQualityC = 11,
};
extern SoundMixerDesc SoundMixerDescs[kSoundMixerTypes];

struct SoftwareOutputState {
  SoundLink idle;                  // software channels not being mixed
  volatile uint8_t stopRequest, chainRunning, threadEnded;
  HANDLE thread;
  DWORD threadId;
  int32_t rateRatio;               // mix rate x 128 / 44100
  int32_t blockCount;
  SoundClock clock;
  SoundDspUnit* mixUnit;           // the default mix unit
  // The mixer's accounting since initialisation: blocks mixed, output samples the play
  // cursor has moved, and rounds at which it came back to a block not yet mixed again.
  volatile uint64_t blocksMixed;
  volatile uint64_t samplesPlayed;
  volatile int32_t underruns;
};
extern SoftwareOutputState SoftwareOutput;

// Pan law: entry p is the integer square root of 256 x p.
extern const uint8_t (&SoundPanTable)[256];

BOOL SoftwareOutput_Init(SoundOutputDriver* driver, int mixRate);
void SoftwareOutput_Close();
DWORD WINAPI SoftwareOutput_MixerThreadProc(void*);
void SoftwareOutput_MixBlock(int offset, int length);
void SoftwareOutput_FillSampleOps(SoundSample* sample);
void SoftwareOutput_FillChannelOps(SoundChannel* channel);
// Non-realtime output: mixes the next block at once and returns the mixer load;
// otherwise returns `value`.
int SoftwareOutput_Update(int value);
// Gains from volume, volume scale and pan (the software set-volume rule).
void SoftwareOutput_ComputeGains(SoundChannel* channel, int volume);
