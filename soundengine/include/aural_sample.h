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
  // Byte range from `offset` (within the data, else error 14); a range past the end is split and
  // the second part starts at the data start.
  BOOL (*lock)(SoundSample* sample, uint32_t offset, uint32_t length, void** ptr1, uint32_t* len1, void** ptr2,
               uint32_t* len2);
  BOOL (*unlock)(SoundSample* sample, void* ptr1, uint32_t len1, void* ptr2, uint32_t len2);
};

constexpr int kSoundSampleNameSize = 256;
constexpr int kSoundSampleUnlisted = -2;
constexpr int kSoundSamplePrimary = -1000;
constexpr int kSoundSampleTableGrowth = 256;
constexpr int kSoundMaxSampleChannels = 16;  // interleaved multi-channel data

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
  void* lockBuffer;                // multi-channel data: the interleaved window of a lock
  int32_t lockBufferBytes;
  int32_t lockOffset;
  void* user;                      // a reader's state
  uint8_t lockInUse;               // the multi-channel lock buffer is handed out
  // The frame behind the loop end of each channel part, saved while the guard stands in.
  uint8_t guardSaved[2 * kSoundMaxSampleChannels];
  SoundSampleOps ops;
};

// Creation with defaults and mode normalisation; error 2 without an output, 12 without memory.
SoundSample* SoundSample_Create(int index, uint32_t mode);
// Creation plus the output's allocate; length not above 0: error 14.
SoundSample* SoundSample_Alloc(int index, int length, uint32_t mode, int frequency, int volume, int pan);
// The same with a priority and a channel count (interleaved multi-channel data).
SoundSample* SoundSample_AllocChannels(int index, int length, uint32_t mode, int frequency, int volume, int pan,
                                       int priority, int channels);
void SoundSample_Free(SoundSample* sample);
// Gives the sample, with its length, the data format (width and channel layout) of
// `format` and `channels` (its data zeroed), freeing the old data first. False with
// error 12 when the new data cannot be made: the old format again, its data zeroed, or
// (without memory for that either) no data and a length of 0.
BOOL SoundSample_Reshape(SoundSample* sample, uint32_t format, int channels);
BOOL SoundSample_Lock(SoundSample* sample, int offset, int length, void** ptr1, uint32_t* len1, void** ptr2,
                      uint32_t* len2);
BOOL SoundSample_Unlock(SoundSample* sample, void* ptr1, uint32_t len1, void* ptr2, uint32_t len2);
// Puts back the frame saved behind the old loop end and stores, behind the new one,
// the value playback reaches next (interpolating mixers read it).
void SoundSample_RebuildGuards(SoundSample* sample);
// Puts the saved frames back and marks the guards as out (before the data is written).
void SoundSample_RemoveGuards(SoundSample* sample);
// Bytes of one frame of one channel part (1 or 2, doubled for stereo).
int SoundSample_FrameBytes(uint32_t mode);
// Distance from one channel part of interleaved multi-channel data to the next.
int SoundSample_PartStride(const SoundSample* sample);

// A ring sample for a stream: unlisted; no data for a length of 0.
SoundSample* SoundSample_CreateStreamBuffer(int ignored, int length, uint32_t mode, int frequency, int volume,
                                            int pan, int priority, int channels);
// Loads a sample from a file (`name`), a memory block (mode FromMemory: `name` is the
// block, `length` its size) or an open file; raw PCM with mode RawPcm. `offset` and
// `length` (when positive) cut a window out of the source.
struct SoundFile;
SoundSample* SoundSample_Load(int index, const void* name, uint32_t mode, int offset, int length, SoundFile* file);
// Converts `bytes` of source data (in `sourceMode`) and writes them at byte `offset` of
// the sample's data (in the sample's own format, so the bytes written differ when the
// widths do). The source is read only as far as the sample has room. IT-compressed
// sources (0x400 IT 2.14, 0x800 IT 2.15) fill the rest of the sample from `offset`;
// damaged ones keep what came out before the damage (error 11).
BOOL SoundSample_Upload(SoundSample* sample, const void* source, int offset, int bytes, uint32_t sourceMode);
BOOL SoundSample_UploadAll(SoundSample* sample, const void* source, uint32_t sourceMode);
// Writes `destBytes` of destination data converted from `source`: width change (8 <-> 16
// bit), delta decoding, the signed/unsigned flip, and IMA ADPCM (36 bytes per 64 samples
// of each channel; `channels` counts multi-channel data) into 16-bit samples, whole
// blocks only. False with error 10 for source data this build cannot decode, 11 for a
// damaged ADPCM block.
BOOL SoundSample_ConvertData(void* dest, const void* source, int destBytes, uint32_t destMode, uint32_t sourceMode,
                             int channels);
// Stereo frames averaged ((left + right) >> 1) into mono; in place allowed.
void SoundConv_StereoToMono(void* output, const void* input, int frames, uint32_t mode);
void SoundSample_SetMode(SoundSample* sample, uint32_t mode);
// Loop from `start` to `end` inclusive; error 14 when the points leave nothing to loop.
BOOL SoundSample_SetLoopPoints(SoundSample* sample, int start, int end);
BOOL SoundSample_SetMinMaxDistance(SoundSample* sample, float minDistance, float maxDistance);
BOOL SoundSample_GetMinMaxDistance(SoundSample* sample, float* minDistance, float* maxDistance);
BOOL SoundSample_SetVariations(SoundSample* sample, int frequency, int volume, int pan);
BOOL SoundSample_GetVariations(SoundSample* sample, int* frequency, int* volume, int* pan);

// The non-blocking loader: a queue of opens and loads carried out on its own thread.
struct SoundLoaderEntry {
  SoundLoaderEntry* next;
  void* object;                    // the stream or song
  int32_t kind;                    // 0 stream, 1 song
  void (*run)(void* object);       // opens the stream or loads the song, then calls back
};
enum : int32_t { kSoundLoaderStream = 0, kSoundLoaderSong = 1 };
BOOL SoundLoader_Start();
// Queues an entry (the caller keeps it alive until its run has been called).
BOOL SoundLoader_Queue(SoundLoaderEntry* entry);
// Stops the loader and waits for it without limit (engine close).
void SoundLoader_Shutdown();
bool SoundLoader_Running();
