// A sample bank as a song: every selected sample of the bank is a sample of the song,
// and the song plays them one after the other, each once, in bank order.
#include <algorithm>

#include "format_bank.h"
#include "format_oggvorbis.h"
#include "music_player.h"
#include "sound_alloc.h"
#include "sound_load_budget.h"
#include "system_file.h"

static constexpr char kSoundFileTag[] = "src/music_formatbank";

namespace {

constexpr char kBankSongName[] = "Aural Sample Bank";
constexpr int kBankSpeed = 100;
constexpr int kBankBpm = 125;
constexpr uint8_t kBankGlobalVolume = 255;
constexpr int kNoHandle = -1;
constexpr int kSkippedPosition = -2;  // a position whose sample was not loaded counts as played
// A bank song holds its samples' records and data within what the other song loaders
// give their samples, less what its bank's entry table and its sample table take (at
// least 1 MB): a bank of tiny entries (8-byte shared headers) would otherwise hold a
// record of some 500 bytes for each.
constexpr int64_t kBankSongFloorBytes = 1 << 20;
constexpr int64_t kSampleRecordBytes = sizeof(SoundSample) + 128;  // with the allocator's headers and guards
constexpr int64_t kEntryTableBytes = sizeof(BankEntry) + sizeof(SoundSample*);

// The channel the bank songs' current sample plays on (one for all bank songs).
int g_bankHandle = kNoHandle;

bool Listed(const int* indices, int count, int n) {
  if (!indices || count <= 0) return true;
  for (int i = 0; i < count; ++i)
    if (indices[i] == n) return true;
  return false;
}

void BankTick(MusicSong* song) {
  if (song->tick == 0) {
    if (g_bankHandle >= 0) Aural_StopChannel(g_bankHandle);
    g_bankHandle = kNoHandle;
    song->tick = 1;
  }
  if (song->finished) return;
  if (g_bankHandle >= 0 && SoundChannel_QueryState(g_bankHandle)) return;
  if (g_bankHandle != kNoHandle) {
    if (++song->order >= song->orderCount) {
      song->order = song->restartOrder;
      // A looping bank starts again from its first sample.
      if (!song->looping) {
        if (g_bankHandle >= 0) Aural_StopChannel(g_bankHandle);
        g_bankHandle = kNoHandle;
        song->finished = 1;
        Music_StopSong(song);
        return;
      }
    }
  }
  SoundSample* s = song->samples[song->order];
  if (!s) {
    g_bankHandle = kSkippedPosition;
    return;
  }
  const int handle = Aural_PlaySoundPaused(kChannelFree, s);
  g_bankHandle = handle >= 0 ? handle : kSkippedPosition;
  if (handle < 0) return;
  SoundChannel_SetLoopBits(handle);
  Aural_SetPaused(handle, FALSE);
}

}  // namespace

int MusicBank_Load(MusicSong* song, const uint8_t* bytes, int64_t size, uint32_t mode, const int* indices,
                   int indexCount) {
  SoundFile* f = AuralFile_Open(bytes, kSoundFileMemory, static_cast<int>(size));
  if (!f) {
    SoundError_Set(kSoundErrUnknownFormat);
    return 0;
  }
  BankState* bank = FsbFormat_ReadBank(f);
  if (!bank) {
    AuralFile_Close(f);
    return 0;  // the reader's error: 10 lets the next reader try
  }
  // One budget for the song, as XM songs have: an embedded Ogg Vorbis file holds what the
  // song's image, tables and earlier samples leave (the image is held by the caller).
  const SoundLoadBudget budget(size, size + 1);
  bool ok = Music_AllocSampleTable(song, bank->entryCount);
  const uint32_t callerBits = mode & ~(SoundMode::FromMemory | 0x3u);
  int64_t samplesLeft = std::max(kBankSongFloorBytes, kMusicSampleBytesPerFileByte * size - kEntryTableBytes * bank->entryCount);
  for (int n = 0; ok && n < bank->entryCount; ++n) {
    if (!Listed(indices, indexCount, n)) continue;
    const BankEntry* e = FsbFormat_Entry(bank, n);
    // The song ends with the last sample its budgets hold (a whole file's samples are
    // bounded by their own reader).
    const bool embedded = (bank->flags & kBankFlagEmbeddedFile) != 0;
    const int64_t cost = kSampleRecordBytes + (embedded ? 0 : int64_t{e->lengthSamples} * FsbFormat_DecodedFrameBytes(e));
    if (cost > samplesLeft || cost > budget.Left()) {
      song->sampleCount = n;
      break;
    }
    samplesLeft -= cost;
    int error = kSoundErrNone;
    // An embedded file is read from its entry's own data, as the other entries are.
    const int64_t was = OggFormat_SetSampleLimit(budget.Left());
    SoundSample* s = (bank->flags & kBankFlagEmbeddedFile)
                         ? FsbFormat_LoadEmbeddedFile(kSoundSampleUnlisted, f, e->dataOffset, e->dataBytes, callerBits,
                                                      &error)
                         : FsbFormat_LoadEntry(kSoundSampleUnlisted, f, bank, n, callerBits, &error);
    OggFormat_SetSampleLimit(was);
    if (!s) {
      SoundError_Set(error != kSoundErrNone ? error : SoundError ? SoundError : kSoundErrNoMemory);
      if (SoundError == kSoundErrUnknownFormat) SoundError_Set(kSoundErrReadError);
      ok = false;
      break;
    }
    song->samples[n] = s;
  }
  FsbFormat_Close(bank);
  AuralFile_Close(f);
  if (!ok) return 0;
  song->format = kMusicFormatBank;
  std::strncpy(song->name, kBankSongName, sizeof(song->name) - 1);
  song->tickFunction = BankTick;
  song->masterVolume = 256;
  song->defaultSpeed = kBankSpeed;
  song->defaultBpm = kBankBpm;
  song->restartOrder = 0;
  song->defaultGlobalVolume = kBankGlobalVolume;
  song->startGlobalVolume = kBankGlobalVolume;
  song->channelCount = 0;
  song->orderCount = song->sampleCount;
  return 1;
}
