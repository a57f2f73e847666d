#pragma once
// The sound engine: one process-wide engine that mixes channels of samples and streams
// in software and plays the mix through an output driver.
//
// Error style: entry points return a bool (nonzero = success), a pointer or a handle
// (null or -1 on failure) and leave the reason in `SoundError`. An entry point clears
// `SoundError` when it starts, but only on the thread that last called Aural_Init, so
// the engine's own threads never wipe a caller's code. Nothing in the engine throws.
#include <windows.h>
#include <cstdint>

struct SoundOutputDriver;
struct SoundMixerDesc;
struct SoundChannel;
struct SoundSample;

// Last-error codes.
enum : int32_t {
  kSoundErrNone = 0,
  kSoundErrOutputLocked = 1,       // output cannot change while initialised
  kSoundErrNotInitialised = 2,
  kSoundErrOutputFailed = 3,       // no device, open failed, unimplemented mixer type
  kSoundErrDeviceBusy = 4,
  kSoundErrPlaybackStart = 5,      // buffer preparation or playback start failed
  kSoundErrFormatUnsupported = 6,
  kSoundErrRecordDevice = 8,       // recording: the input device failed to open or take buffers
  kSoundErrFileOpen = 9,
  kSoundErrUnknownFormat = 10,
  kSoundErrReadError = 11,
  kSoundErrNoMemory = 12,
  kSoundErrSongSample = 13,
  kSoundErrInvalidParam = 14,
  kSoundErrNoChannel = 16,
  kSoundErrNotSupported = 17,
};
extern int32_t SoundError;

// Output types.
enum : int32_t {
  kSoundOutputDefault = -1,        // becomes kSoundOutputWaveOut
  kSoundOutputWaveOut = 1,
  kSoundOutputNonRealtime = 13,    // silent, no thread sleeps, no streamer thread: Aural_Update mixes
};

// Initialisation flags.
enum : uint32_t {
  kSoundInitLevels = 0x8,          // per-channel level unit
  kSoundInitNoStreamerThread = 0x200,
};

// The mode word shared by samples, streams and readers.
namespace SoundMode {
constexpr uint32_t NoLoop = 0x1;
constexpr uint32_t LoopForward = 0x2;
constexpr uint32_t LoopPingPong = 0x4;
constexpr uint32_t LoopBits = 0x7;
constexpr uint32_t Pcm8 = 0x8;
constexpr uint32_t Pcm16 = 0x10;
constexpr uint32_t Mono = 0x20;
constexpr uint32_t Stereo = 0x40;
constexpr uint32_t Unsigned = 0x80;
constexpr uint32_t Signed = 0x100;
constexpr uint32_t Sound3d = 0x1000;
constexpr uint32_t No3d = 0x2000;
constexpr uint32_t StreamBuffer = 0x4000;
constexpr uint32_t FromMemory = 0x8000;
constexpr uint32_t RawPcm = 0x10000;
constexpr uint32_t MpegFrameTable = 0x20000;
constexpr uint32_t DownmixMono = 0x40000;
constexpr uint32_t DriverSample = 0x80000;
constexpr uint32_t HalfRateMpeg = 0x200000;
constexpr uint32_t ImaAdpcm = 0x400000;
constexpr uint32_t Block28 = 0x800000;
constexpr uint32_t LoadInBackground = 0x1000000;
constexpr uint32_t Block14 = 0x2000000;
constexpr uint32_t MultiChannel = 0x4000000;
constexpr uint32_t NoTags = 0x40000000;
constexpr uint32_t LengthAtEnd = 0x80000000;
}  // namespace SoundMode

// The engine's single global record. Callers write `outputType` (through
// Aural_SetOutput), `mixerType` and `bufferMs` before Aural_Init.
struct SoundEngineState {
  SoundOutputDriver* driver;
  int32_t outputType;
  uint32_t initFlags;
  uint8_t driverWantsLongBuffer;
  uint8_t devicesEnumerated;
  int32_t sfxMasterVolume;
  int32_t panSeparation;
  uint32_t ownerThreadId;
  uint8_t initialised;
  int32_t mixerCpu, streamCpu;
  SoundMixerDesc* mixerDesc;
  int32_t mixerType;
  int32_t mixRate;
  int32_t bufferMs;                // request before Aural_Init (-1: choose); afterwards the length in use
  int32_t bufferLength;            // primary buffer length in samples
  int32_t blockDuration;           // mix block duration in 1/256 ms
  int32_t blockLength;             // mix block length in samples (a caller may preset it)
  int32_t blockMs;                 // the chosen buffer length before doubling
};
extern SoundEngineState SoundEngine;

// File callbacks: all five or none.
typedef void* (*SoundFileOpenFn)(const char* name);
typedef void (*SoundFileCloseFn)(void* handle);
typedef int (*SoundFileReadFn)(void* buffer, int byteCount, void* handle);
typedef int (*SoundFileSeekFn)(void* handle, int offset, int whence);
typedef int (*SoundFileTellFn)(void* handle);

constexpr int kSoundMinMixRate = 4000;
constexpr int kSoundMaxMixRate = 65535;
constexpr int kSoundMaxChannels = 1024;

BOOL Aural_Init(int mixRate, int channels);
void Aural_Close();
BOOL Aural_SetOutput(int outputType);
void Aural_SetMasterVolume(int volume);
SoundFileOpenFn Aural_SetFileCallbacks(SoundFileOpenFn open, SoundFileCloseFn close, SoundFileReadFn read,
                                       SoundFileSeekFn seek, SoundFileTellFn tell);
BOOL Aural_FileCallbacksSet();
int Aural_GetMixerType();
int Aural_CountActiveChannels();
// True once the output went away while the engine played (the watchdog could not open or
// play it again): nothing is heard until a restart plays it again.
BOOL Aural_OutputLost();
// One engine update: streams (without a streamer thread) and the output's update;
// with the non-realtime output this mixes the next block.
BOOL Aural_Update();
