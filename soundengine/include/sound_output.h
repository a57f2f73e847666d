#pragma once
// Output drivers: fixed tables of functions through which the engine reaches the
// platform's sound output. Output type 1 is the waveOut output; every other type the
// null output, which accepts everything and plays nothing.
#include <windows.h>
#include <mmsystem.h>
#include <cstdint>

struct SoundSample;
struct SoundChannel;

struct SoundOutputProperties {
  uint8_t bytes[120];              // opaque to the outputs: stored and handed back
};
static_assert(sizeof(SoundOutputProperties) == 120, "properties record is 120 bytes");

constexpr int kSoundMaxDevices = 4;
constexpr int kSoundOutputNameSize = 80;
constexpr int kSoundInputNameSize = 81;
constexpr int kSoundMaxDriverChannels = 9999;

struct SoundDeviceList {
  char outputNames[kSoundMaxDevices][kSoundOutputNameSize];
  int32_t outputCount;
  char inputNames[kSoundMaxDevices][kSoundInputNameSize];
  int32_t inputCount;
  int32_t selectedOutput;          // negative: the platform's default device
  int32_t selectedInput;
};

struct SoundOutputDriver {
  int32_t offersDriverChannels2d;  // set by Aural_Init before the open
  int32_t offersDriverChannels3d;
  int32_t needsMixerThread;
  BOOL (*listDrivers)();
  BOOL (*open)(int mixRate);
  void (*close)();
  void (*fillSampleOps)(SoundSample* sample);
  void (*fillChannelOps)(SoundChannel* channel);
  void (*spare5)();
  uintptr_t (*deviceHandle)();
  void (*spare7)();
  int (*update)(int value);
  BOOL (*checkDriverChannels)();
  BOOL (*setProperties)(const SoundOutputProperties* record);
  BOOL (*getProperties)(SoundOutputProperties* record);
  BOOL (*listInputDrivers)();
  BOOL (*recordSlot13)();
  BOOL (*recordStart)(int first, uint32_t mode, int rate);
  BOOL (*recordStop)();
  int (*recordPosition)();
  BOOL (*recordLock)(int offset, int length, void** ptr1, uint32_t* len1, void** ptr2, uint32_t* len2);
  BOOL (*recordUnlock)();
  // Driver channel counts and the range the driver accepts (none for both outputs).
  int32_t channels2d, channels3d;
  int32_t minDriverChannels;
};

extern SoundOutputDriver WaveOutOutput;
extern SoundOutputDriver NullOutput;
extern SoundDeviceList SoundDevices;
extern SoundOutputProperties SoundOutputProps;

constexpr char kNoSoundDriverName[] = "No Sound Driver";

BOOL WaveOutOutput_ListDrivers();
BOOL WaveOutOutput_Open(int mixRate);
void WaveOutOutput_Close();
BOOL WaveInRecord_ListDrivers();
// The recording slots of the waveOut output (see aural_record.h).
BOOL WaveInRecord_Start(int first, uint32_t mode, int rate);
BOOL WaveInRecord_Stop();
int WaveInRecord_GetPosition();
// The ring's byte range [offset, offset + length), split at the ring's end.
BOOL WaveInRecord_Lock(int offset, int length, void** ptr1, uint32_t* len1, void** ptr2, uint32_t* len2);
void CALLBACK WaveInRecord_Callback(HWAVEIN device, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                                    DWORD_PTR param2);
// The sample the next start records into, and whether it wraps at its end.
void WaveInRecord_SetTarget(SoundSample* sample, BOOL loop);
// Stops any recording and forgets the target and the input device chosen (engine close).
void WaveInRecord_Reset();

// Operations every channel and sample receives first.
void NullOutput_FillChannelOps(SoundChannel* channel);
void NullOutput_FillSampleOps(SoundSample* sample);
// Shared by both outputs: copies into and out of the properties record.
BOOL SoundOutput_SetProperties(const SoundOutputProperties* record);
BOOL SoundOutput_GetProperties(SoundOutputProperties* record);
