#pragma once
// Streams: sound produced while it plays, by a caller's fill callback (user streams)
// or by a file reader (file streams), into a looping ring sample of two halves that a
// channel plays. The streamer ("Aural Streamer thread", or Aural_Update with the
// non-realtime output) refills the half the channel has just left.
//
// Locks: stream lock 1 is held for a whole streamer pass; stream lock 2 guards the
// stream list and a stream's channel against the DSP callback. Lock 1 is always taken
// before lock 2. End callbacks run with neither held. Every entry point checks its
// stream against the stream list: a closed or unknown stream fails with error 14.
#include <windows.h>
#include <cstdint>

#include "aural.h"
#include "aural_list.h"
#include "aural_sample.h"
#include "system_thread.h"

struct SoundStream;
struct SoundSample;
struct SoundFile;
struct SoundDspUnit;
struct SoundTag;

// Fill callback: writes `bytes` into `buffer`; 0 when the data has ended.
typedef BOOL (*SoundStreamFillFn)(SoundStream* stream, void* buffer, int bytes, void* userData);
// End and sync callbacks: (stream, name or null, offset, user data).
typedef BOOL (*SoundStreamCallbackFn)(SoundStream* stream, const char* name, int offset, void* userData);
// A reader's decode callback: `byteCount` holds the room in `output` on entry and the
// bytes written on return; nonzero while data remains.
typedef BOOL (*SoundDecodeFn)(SoundStream* stream, void* readBuffer, int readBufferSize, void* output, int* byteCount);

// Modes the audio services create their user streams with.
constexpr uint32_t kSoundUserStreamMono = SoundMode::Pcm16 | SoundMode::Mono | SoundMode::Signed;
constexpr uint32_t kSoundUserStreamStereo = SoundMode::Pcm16 | SoundMode::Stereo | SoundMode::Signed;
static_assert(kSoundUserStreamMono == 304 && kSoundUserStreamStereo == 336, "user stream modes");

constexpr int kSoundSyncNameSize = 256;

struct SoundSyncPoint {
  SoundSyncPoint* next;
  SoundSyncPoint* prev;
  uint32_t offset;                 // samples
  uint32_t id;                     // the WAV cue identifier
  char name[kSoundSyncNameSize];
};

struct SoundHistoryEntry {
  int32_t position;                // stream position of the entry's first ring sample
  int32_t pass;                    // loop pass it was decoded in
};

struct SoundStream {
  SoundStream* next;
  SoundStream* prev;
  SoundLink dspUnits;              // units applied to every filled half, in list order
  SoundLoaderEntry pendingOpen;    // the entry of a non-blocking open in the loader's queue
  SoundSample* ringSample;         // user word: the reader's state
  SoundFile* file;                 // null for user streams
  SoundClock cpuClock;             // fill time
  int32_t frameTableCount;
  uint32_t* frameTable;
  SoundSyncPoint* syncList;        // head sentinel; the chain ends at the tail sentinel
  SoundSyncPoint* syncCursor;      // the last point fired (the head before any)
  SoundStreamCallbackFn syncCallback;
  void* syncUserData;
  void (*readerReset)(void* state);
  void (*readerClose)(void* state);
  int (*readerTime)(void* state);
  int (*readerSeek)(SoundStream* stream, int targetSample);
  void* customPlay;
  SoundStreamFillFn fillCallback;
  SoundDecodeFn readerDecode;      // the reader's decode callback (file streams)
  SoundStreamCallbackFn endCallback;
  SoundTag* tags;
  int32_t halfIndex;
  uint32_t mode;
  int32_t channel;                 // handle, -1 when not playing
  void* endUserData;
  void* fillUserData;
  int32_t pendingState;            // bit 1 open pending, bit 2 sub-stream selection pending
  int32_t pendingLength;           // the length argument of a non-blocking open
  int32_t requestedSubStream;
  void* readBuffer;
  int32_t readBufferSize;
  void* decodeBuffer;
  int32_t decodeBufferSize;
  int32_t decodedPending, decodedOffset, skipBytes;
  int32_t initialLoopCount, loopCount;  // -1 endless
  int32_t cpuUse;
  int32_t lengthMs;                // -1: from lengthSamples
  int32_t lengthSamples;
  int32_t drainTime;               // -1 while data remains; else ms x 256 until played out
  int32_t decodePosition;          // samples
  int32_t loopStart, loopEnd;      // samples, end inclusive; 0, 0 = whole stream
  SoundHistoryEntry* history;
  int32_t historyEntries, historyWrite, historyStep, historyRemaining;
  int32_t lastPlayPosition;
  SoundHistoryEntry* tickHistory;
  int32_t tickEntries, tickWrite, tickStep;
  int32_t loopPass, lastSyncPass;
  int32_t* playlist;
  int32_t playlistCount, playlistIndex;
  char name[256];
  const void* memoryBlock;
  int32_t dataBytes, dataOffset, blockAlign;
  int32_t decodedBytes;            // the reader's output size of the whole data
  int32_t samplesPerBlock;         // decoded frames per `blockAlign` bytes of the file
  int32_t fileChannels;
  uint8_t playing, ended, ready, busy, needsReset, firstPlay, priming, failed, closing;
  uint8_t readShort;               // the file delivered less than its header promised
  uint8_t readerDone;              // the reader reported the end of its data
  int32_t producedThisPass;        // bytes decoded since the last loop wrap
};

// What a reader's probe hands the stream opener.
struct SoundReaderInfo {
  uint32_t mode;
  int32_t rate;
  int32_t dataOffset, dataBytes, decodedBytes;
  int32_t blockAlign, samplesPerBlock, channels;
  void* state;
  SoundDecodeFn decode;
  void (*close)(void* state);
  void (*reset)(void* state);
  int32_t readBufferSize, decodeBufferSize;
  int32_t loopStart, loopEnd;
  int32_t lengthMs;                // -1: from the data
  // Readers that cannot seek by file blocks position themselves for a target sample and
  // return the decoded bytes to drop.
  int (*seek)(SoundStream* stream, int targetSample);
  void* tags;                      // tags the reader found itself (a SoundTag list)
};

SoundStream* AuralStream_Create(SoundStream* record, SoundStreamFillFn fillCallback, int bufferBytes, uint32_t mode,
                                int rate, void* fillUserData, int channels);
// `nameOrMemory` is a file name (a leading "file://" is dropped) or, with FromMemory, a
// block of `length` bytes; a positive `length` limits the bytes read from a file.
SoundStream* AuralStream_Open(const void* nameOrMemory, uint32_t mode, int unused, int length);
BOOL AuralStream_Close(SoundStream* stream);
// Plays on `channel` (-1 any free one); returns the channel handle or -1.
int AuralStream_Play(int channel, SoundStream* stream, SoundDspUnit* unused, BOOL paused);
BOOL AuralStream_Stop(SoundStream* stream, BOOL callEnd);
BOOL AuralStream_SetTime(SoundStream* stream, int ms);
int AuralStream_GetTime(SoundStream* stream);
int AuralStream_GetLengthMs(SoundStream* stream);
BOOL AuralStream_SetSubStream(SoundStream* stream, int index, BOOL force, BOOL keepPlaying);
BOOL AuralStream_SetEndCallback(SoundStream* stream, SoundStreamCallbackFn callback, void* userData);
BOOL AuralStream_SetSyncCallback(SoundStream* stream, SoundStreamCallbackFn callback, void* userData);
BOOL AuralStream_SetLoopCount(SoundStream* stream, int count);
// The stream buffer time of the next opens, in ms; only values above 49 are taken.
void AuralStream_SetBufferSize(int ms);
// Position in samples, and the loop pass it belongs to.
int AuralStream_GetPlayPosition(SoundStream* stream, int* pass);

int AuralStream_BytesToSamples(int bytes, uint32_t mode, int channels);
int AuralStream_SamplesToBytes(int samples, uint32_t mode, int channels);

// Engine-internal.
BOOL AuralStream_StartThread();
void AuralStream_StopThread();
// One pass over every stream (the streamer thread's, or Aural_Update's without it).
void AuralStream_UpdateAll(int elapsedMs);
HANDLE AuralStream_ThreadHandle();
void* AuralStream_DspCallback(void* block, void* previous, int length, void* user);
BOOL AuralStream_Reset(SoundStream* stream, int unused, BOOL force, BOOL noPrime);
void AuralStream_Prime(SoundStream* stream);
// unit 0 bytes of decoded data, 1 milliseconds, 2 samples.
BOOL AuralStream_SeekInternal(SoundStream* stream, int unit, int value, BOOL moveCursor);
BOOL AuralStream_DecodeFill(SoundStream* stream, void* buffer, int bytes, void* userData);

// Sync lists: two sentinels, "head" (offset 0) and "tail" (0xFFFFFFFF), points in
// ascending offset order; a new point goes behind every point of smaller offset and
// before the first of equal or greater. The head's `prev` names the tail.
SoundSyncPoint* AuralSync_InitList();
// Searches from the tail: points added in ascending order cost nothing to place.
SoundSyncPoint* AuralSync_Add(SoundSyncPoint* list, uint32_t offset, uint32_t id, const char* name);
void AuralSync_FreeAll(SoundSyncPoint* list);
// The last point before `position`, so the first at or after it fires next.
SoundSyncPoint* AuralSync_SeekCursor(SoundSyncPoint* list, uint32_t position);
SoundSyncPoint* AuralSync_Tail(SoundSyncPoint* list);

// Points of one file, made first and put into a list together with one sort and one
// pass over the list: each lands where adding them one by one, in the order they were
// made, would put it, whatever order the file gives them in.
struct SoundSyncBatchEntry {
  uint32_t offset;
  int32_t order;                   // when it was made
  SoundSyncPoint* point;
};
struct SoundSyncBatch {
  SoundSyncBatchEntry* entries;
  int32_t count, capacity;
};
// A new point in the batch (null without memory, error 12).
SoundSyncPoint* AuralSync_BatchAdd(SoundSyncBatch* batch, uint32_t offset, uint32_t id, const char* name);
// Moves every point of the batch into `list` and empties the batch.
void AuralSync_BatchMerge(SoundSyncBatch* batch, SoundSyncPoint* list);
// Frees the points still in the batch and the batch's table.
void AuralSync_BatchFree(SoundSyncBatch* batch);
