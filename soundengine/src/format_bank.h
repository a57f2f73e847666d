#pragma once
// Sample banks ("SBK2", "SBK3"): files holding several sounds, each with a header of
// its own and optional sync points. The reader checks the bank header and every entry
// header once, when the bank is read; streams, sample loads and bank songs then take
// the entries from the table below.
#include <cstdint>

#include "aural_stream.h"
#include "format_wav.h"

struct SoundFile;

constexpr int kBankNameSize = 30;
constexpr int32_t kBankVersionLargeHeader = 0x30001;  // entry headers with 16 more bytes
enum : uint32_t {
  kBankFlagEmbeddedFile = 0x1,     // the sound data is one whole sound file
  kBankFlagSharedHeaders = 0x2,    // only the first entry has a full header
};

struct BankSyncPoint {
  uint32_t offset;                 // samples
  char name[kSoundSyncNameSize];
};

struct BankEntry {
  char name[kBankNameSize + 1];
  int32_t lengthSamples;
  int32_t dataBytes;
  int32_t loopStart, loopEnd;      // as stored (inclusive end); -1 for values no sample can hold
  // The stored mode without the sync flag, its channel layout (Mono, Stereo or
  // MultiChannel) made to agree with `channels`.
  uint32_t mode;
  int32_t rate;
  int32_t volume, pan, priority;
  int32_t channels;
  int32_t minDistance, maxDistance;  // as stored (x256 fixed point for version 0x30001)
  int32_t dataOffset;              // where the data starts, from the start of the file
  int32_t syncCount;
  const BankSyncPoint* sync;
};

struct BankState {
  int32_t version;                 // 0 for "SBK2"
  uint32_t flags;
  int32_t entryCount;
  int32_t dataStart;               // header size + entry header size
  int32_t soundDataBytes;          // as the bank header gives it
  BankEntry* entries;
  BankSyncPoint* syncPoints;       // the points of every entry, in entry order
  int32_t current;                 // the entry a stream plays
  WavDecodeState wav;              // IMA ADPCM entries decode through the WAV path
  uint8_t format[kWavFormatMinCopy];  // the IMA ADPCM format block of the current entry
};

// Reads and checks the bank at the start of `file`. Null with the last error: 10 when
// it is no bank, 11 when its header, an entry header or its data size is damaged or
// lies (the data must lie inside the file), 12 without memory.
BankState* FsbFormat_ReadBank(SoundFile* file);
void FsbFormat_Close(void* state);
const BankEntry* FsbFormat_Entry(const BankState* bank, int index);
// Frames that the entry's data bytes can decode to.
int64_t FsbFormat_FramesInData(const BankEntry* entry);
// Bytes of one decoded sample frame of the entry (IMA ADPCM decodes to 16 bits).
int FsbFormat_DecodedFrameBytes(const BankEntry* entry);

// The stream opener's probe: the first entry, its sync points into `syncList`.
BOOL FsbFormat_Open(SoundFile* file, uint32_t mode, SoundReaderInfo* info, SoundSyncPoint* syncList);
// Makes `index` the bank's current entry and describes it for a stream opened with
// `callerMode`; false with error 10 for data no stream can decode (4-bit blocks).
BOOL FsbFormat_SelectEntry(BankState* bank, int index, uint32_t callerMode, SoundReaderInfo* info);
// Adds the entry's sync points to `list`; false without memory.
BOOL FsbFormat_AddSyncPoints(const BankState* bank, int index, SoundSyncPoint* list);
BOOL FsbFormat_Decode(SoundStream* stream, void* readBuffer, int readBufferSize, void* output, int* byteCount);
// True for streams that read a bank.
bool FsbFormat_IsBankStream(const SoundStream* stream);

// A bank of at most one entry as a sample (or, for a bank that holds a whole file,
// that file, loaded through the general loader; banks nest one level at most).
SoundSample* FsbFormat_LoadSample(int index, SoundFile* file, uint32_t mode, int* error);
// The embedded file at `offset` for `bytes` of `file` through the general loader: error
// 11 for an empty window, one outside the file, or a bank in a bank in a bank.
SoundSample* FsbFormat_LoadEmbeddedFile(int index, SoundFile* file, int64_t offset, int64_t bytes, uint32_t mode,
                                        int* error);
// Entry `entry` of an open bank (not one of whole files) as a sample; the bank stays open.
SoundSample* FsbFormat_LoadEntry(int index, SoundFile* file, const BankState* bank, int entry, uint32_t mode,
                                 int* error);
