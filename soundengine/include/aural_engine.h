#pragma once
// The engine-wide tables that belong to the engine record's owner.
#include "aural.h"
#include "aural_channel.h"
#include "aural_dsp.h"
#include "aural_sample.h"

struct SoundChannelRange {
  int32_t first, last, next;       // last < first: empty
};

// The listener of positional sound (x256 fixed point); the engine keeps it at the origin
// facing ahead, its right vector along x.
struct SoundListener {
  int32_t position[3], velocity[3], right[3];
};

struct SoundEngineTables {
  SoundSample** samples;           // sample table
  int32_t sampleSlots;
  SoundChannel* channels;          // software channels, then the driver ranges
  int32_t channelCount;
  int32_t softwareChannels;        // as asked of Aural_Init
  SoundChannelRange ranges[3];     // software, 2D driver, 3D driver
  SoundChannel* primaryChannel;
  SoundSample* primarySample;
  SoundFileOpenFn fileOpen;
  SoundFileCloseFn fileClose;
  SoundFileReadFn fileRead;
  SoundFileSeekFn fileSeek;
  SoundFileTellFn fileTell;
  SoundDspUnit dspChain;           // sentinel head of the DSP chain
  uint32_t lastUpdateMs;
  SoundListener listener;
};
extern SoundEngineTables SoundTables;

// Clears the last error, only on the thread that initialised the engine.
void SoundError_Begin();
inline void SoundError_Set(int32_t code) { SoundError = code; }
inline bool SoundEngine_IsNonRealtime() { return SoundEngine.outputType == kSoundOutputNonRealtime; }
// Sleeps, except with the non-realtime output.
void SoundEngine_Sleep(DWORD ms);
