// The life of a song: the reader chain, background loads, the engine's song list,
// starting, stopping, looping and tempo, and freeing.
#include "music_player.h"
#include "sound_alloc.h"
#include "sound_software.h"
#include "system_file.h"

static constexpr char kSoundFileTag[] = "src/music_song";

namespace {

SoundLink g_songs = {&g_songs, &g_songs};

// Readers in the order they are tried: the formats with a tag at a fixed place near the
// start first; MOD last, since its tag sits behind the sample headers and is the least
// certain. Sample banks take their place at the head of the chain.
const MusicReaderFn kReaders[] = {MusicS3m_Load, MusicXm_Load, MusicIt_Load, MusicMod_Load};

constexpr int64_t kMaxSongBytes = 64 << 20;
constexpr uint32_t kModeLoopOn = 0x2;
constexpr uint32_t kModeLoopOff = 0x1;
constexpr int kNormalScale = 256;

// One recursive lock for the song list and every song's state: the music unit holds it
// while it ticks and renders, so starts and stops never meet a tick half done.
CRITICAL_SECTION* SongLock() {
  static struct Holder {
    CRITICAL_SECTION cs;
    Holder() { InitializeCriticalSection(&cs); }
  } holder;
  return &holder.cs;
}

MusicSong* SongOf(SoundLink* l) { return reinterpret_cast<MusicSong*>(l); }

void FreeQueue(MusicCallbackQueue*& queue) {
  SOUND_FREE(queue);
  queue = nullptr;
}

// Everything a reader or a start allocated; the record is left zeroed.
void FreeSongData(MusicSong* song) {
  if (song->samples) {
    for (int i = 0; i < song->sampleCount; ++i) {
      SoundSample* s = song->samples[i];
      song->samples[i] = nullptr;
      if (s) SoundSample_Free(s);
    }
  }
  if (song->patterns) {
    for (int i = 0; i < song->patternsAllocated; ++i) SOUND_FREE(song->patterns[i].cells);
  }
  SOUND_FREE(song->patterns);
  SOUND_FREE(song->samples);
  SOUND_FREE(song->instruments);
  SOUND_FREE(song->channels);
  SOUND_FREE(song->blockLog);
  FreeQueue(song->zxxCallback);
  FreeQueue(song->rowCallback);
  FreeQueue(song->orderCallback);
  for (MusicCallbackQueue*& q : song->instrumentCallbacks) FreeQueue(q);
  std::memset(song, 0, sizeof(*song));
}

bool Listed(const MusicSong* song) { return song->link.next != nullptr; }

// The source window as one block of memory.
bool ReadImage(const void* source, uint32_t mode, int offset, int length, uint8_t** bytes, int64_t* size) {
  const uint32_t kind = (mode & SoundMode::FromMemory) ? kSoundFileMemory
                        : Aural_FileCallbacksSet()     ? kSoundFileCallbacks
                                                       : kSoundFileSystem;
  SoundFile* f = AuralFile_Open(source, kind, length);
  if (!f) {
    SoundError_Set(kSoundErrFileOpen);
    return false;
  }
  const int64_t start = offset > 0 ? offset : 0;
  f->startOffset = static_cast<int32_t>(start < f->length ? start : f->length);
  if (length > 0) {
    const int64_t end = static_cast<int64_t>(f->startOffset) + length - 1;
    f->endOffset = static_cast<int32_t>(end < f->length - 1 ? end : f->length - 1);
  }
  AuralFile_Seek(f, 0, 0);
  const int64_t want = AuralFile_Remaining(f);
  bool ok = false;
  if (want > kMaxSongBytes) {
    SoundError_Set(kSoundErrNoMemory);
  } else if ((*bytes = static_cast<uint8_t*>(SOUND_ALLOC(static_cast<size_t>(want) + 1))) == nullptr) {
    SoundError_Set(kSoundErrNoMemory);
  } else {
    const int got = want > 0 ? AuralFile_Read(*bytes, 1, static_cast<int>(want), f) : 0;
    *size = got > 0 ? got : 0;
    ok = true;
  }
  AuralFile_Close(f);
  return ok;
}

void RunQueue(MusicSong* song, MusicCallbackQueue* q) {
  if (!q || !q->function) return;
  while (q->times[q->readIndex] != -1 && song->clock >= q->times[q->readIndex]) {
    const int entry = q->readIndex;
    q->function(song, q->params[entry], q->times[entry], entry);
    q->times[entry] = -1;
    q->readIndex = (entry + 1) % kMusicCallbackSlots;
  }
}

void RunDueCallbacks(MusicSong* song) {
  RunQueue(song, song->zxxCallback);
  RunQueue(song, song->rowCallback);
  RunQueue(song, song->orderCallback);
  for (MusicCallbackQueue* q : song->instrumentCallbacks) RunQueue(song, q);
}

void LoadOnLoaderThread(void* object) {
  auto* song = static_cast<MusicSong*>(object);
  const MusicSong::LoadRequest& r = song->request;
  const bool ok = Music_LoadSong(song, r.source, r.mode, r.offset, r.length, nullptr, 0) != nullptr;
  if (ok)
    song->loaded = 1;
  else
    song->loadFailed = 1;
  if (song->request.callback) song->request.callback(song, 0);
}

}  // namespace

SoundLink* Music_SongList() { return &g_songs; }
void Music_LockSongs() { EnterCriticalSection(SongLock()); }
void Music_UnlockSongs() { LeaveCriticalSection(SongLock()); }

MusicSong* Music_LoadSong(MusicSong* song, const void* nameOrMemory, uint32_t mode, int offset, int length,
                          const int* bankIndices, int bankIndexCount) {
  SoundError_Begin();
  if (!SoundEngine.initialised) {
    SoundError_Set(kSoundErrNotInitialised);
    return nullptr;
  }
  if (!song || !nameOrMemory || Listed(song)) {
    SoundError_Set(kSoundErrInvalidParam);
    return nullptr;
  }
  uint8_t* bytes = nullptr;
  int64_t size = 0;
  if (!ReadImage(nameOrMemory, mode, offset, length, &bytes, &size)) return nullptr;

  // The request stays in the record across the readers' work.
  const MusicSong::LoadRequest request = song->request;

  // A sample bank is tried first: it alone takes the caller's list of samples.
  SoundError_Set(kSoundErrUnknownFormat);
  bool ok = MusicBank_Load(song, bytes, size, mode, bankIndices, bankIndexCount) != 0;
  if (!ok && SoundError == kSoundErrUnknownFormat) FreeSongData(song);
  for (MusicReaderFn read : kReaders) {
    if (ok || SoundError != kSoundErrUnknownFormat) break;
    MusicImage image = {bytes, size, 0, false};
    SoundError_Set(kSoundErrUnknownFormat);
    ok = read(song, &image) != 0;
    if (ok || SoundError != kSoundErrUnknownFormat) break;
    FreeSongData(song);
  }
  SOUND_FREE(bytes);
  // A song with nothing to play is damaged; a restart order must lie inside the song.
  const bool bank = song->format == kMusicFormatBank;
  if (ok && (song->orderCount < 1 || (!bank && song->orderCount > kMusicOrderSlots) || (!bank && song->channelCount < 1))) {
    ok = false;
    SoundError_Set(kSoundErrReadError);
  }
  const int32_t error = ok ? kSoundErrNone : SoundError;
  if (!ok) FreeSongData(song);
  song->request = request;
  SoundError_Set(error);
  if (!ok) return nullptr;

  if (song->restartOrder >= song->orderCount) song->restartOrder = 0;
  if (mode & kModeLoopOn)
    song->looping = 1;
  else if (mode & kModeLoopOff)
    song->looping = 0;
  song->loaded = 1;
  Music_LockSongs();
  SoundLink_InsertBefore(&g_songs, &song->link);
  Music_UnlockSongs();
  return song;
}

BOOL Music_RequestLoad(MusicSong* song, const void* nameOrMemory, uint32_t mode, int offset, int length,
                       MusicLoadCallback callback) {
  SoundError_Begin();
  if (!SoundEngine.initialised) {
    SoundError_Set(kSoundErrNotInitialised);
    return FALSE;
  }
  if (!song || !nameOrMemory || Listed(song)) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  song->loaded = song->loadFailed = 0;
  song->request = MusicSong::LoadRequest{SoundLoaderEntry{nullptr, song, kSoundLoaderSong, LoadOnLoaderThread},
                                         nameOrMemory, mode, offset, length, callback};
  if (!SoundLoader_Start()) return FALSE;
  return SoundLoader_Queue(&song->request.entry);
}

void Music_FreeSong(MusicSong* song) {
  if (!song) return;
  Music_LockSongs();
  if (song->loaded) Music_StopSong(song);
  if (Listed(song)) SoundLink_Remove(&song->link);
  Music_UnlockSongs();
  FreeSongData(song);
}

BOOL Music_StartSong(MusicSong* song) {
  SoundError_Begin();
  if (!SoundEngine.initialised) {
    SoundError_Set(kSoundErrNotInitialised);
    return FALSE;
  }
  if (!song || !song->loaded || (!song->channels && song->format != kMusicFormatBank) || !Listed(song)) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  Music_LockSongs();
  Music_StopSong(song);
  for (int i = 0; i < song->channelCount; ++i) {
    MusicChannel* c = &song->channels[i];
    std::memset(c, 0, sizeof(*c));
    SoundLink_Init(&c->voices);
    c->instrument = kMusicNoInstrument;
  }
  if (song->startFunction) song->startFunction(song);
  if (!SoundLink_Linked(&song->voiceList)) SoundLink_Init(&song->voiceList);
  song->tempoScale = kNormalScale;
  song->panScale = kNormalScale;
  song->quietVolume = 0;  // the quiet-voice rule stays off
  song->voiceLimit = SoundTables.channelCount;
  song->speed = song->defaultSpeed;
  Music_SetTempo(song, song->defaultBpm);
  song->globalVolume = song->startGlobalVolume;
  song->row = song->order = 0;
  song->nextRow = song->nextOrder = 0;
  song->tick = 0;
  song->rowDelayTicks = 0;
  song->tickSamplesLeft = 0;
  song->clock = 0;
  song->position = 0;
  song->blockLogIndex = 0;
  song->jumpInRow = 0;
  song->finished = 0;
  song->paused = 0;
  song->playing = 1;
  Music_UnlockSongs();
  return TRUE;
}

BOOL Music_StopSong(MusicSong* song) {
  SoundError_Begin();
  if (!song || !song->loaded) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  Music_LockSongs();
  song->playing = 0;
  song->finished = 1;
  for (int i = 0; song->channels && i < song->channelCount; ++i) {
    SoundLink* head = &song->channels[i].voices;
    if (!SoundLink_Linked(head)) continue;
    for (SoundLink* l = head->next; l != head;) {
      auto* v = reinterpret_cast<MusicVoice*>(l);
      if (v->channel && SoundEngine.initialised) Aural_StopChannel(v->index);
      MusicVoice* back = Music_FreeVoice(v);
      l = back == v ? l->next : back ? back->link.next : head->next;
    }
  }
  Music_UnlockSongs();
  return TRUE;
}

int Music_SetLooping(MusicSong* song, BOOL on) {
  SoundError_Begin();
  if (!song || !song->loaded) {
    SoundError_Set(kSoundErrInvalidParam);
    return -1;
  }
  song->looping = on ? 1 : 0;
  return 1;
}

int Music_SetTempo(MusicSong* song, int bpm) {
  if (!song) return 0;
  if (bpm < 1) bpm = 1;
  song->bpm = bpm;
  // A divisor of at least 1: a small tempo scale must slow the song, not divide by zero.
  int64_t divisor = static_cast<int64_t>(song->tempoScale) * (static_cast<int64_t>(bpm) * 512 / 5) / 256;
  if (divisor < 1) divisor = 1;
  int64_t samples = static_cast<int64_t>(static_cast<uint32_t>(SoundEngine.mixRate) * 256u) / divisor;
  if (samples < 1) samples = 1;
  if (samples > INT32_MAX) samples = INT32_MAX;
  song->tickSamples = static_cast<int32_t>(samples);
  return song->tickSamples;
}

int Music_FinetuneRate(int finetune) {
  static const int kRates[16] = {8363, 8413, 8463, 8529, 8581, 8651, 8723, 8757,
                                 7895, 7941, 7985, 8046, 8107, 8169, 8232, 8280};
  return finetune >= 1 && finetune <= 15 ? kRates[finetune] : kRates[0];
}

BOOL Music_SetCallback(MusicSong* song, int kind, int instrument, MusicCallbackFn function, int step) {
  SoundError_Begin();
  MusicCallbackQueue** slot = nullptr;
  if (song) {
    if (kind == kMusicCallbackRow) slot = &song->rowCallback;
    if (kind == kMusicCallbackOrder) slot = &song->orderCallback;
    if (kind == kMusicCallbackZxx) slot = &song->zxxCallback;
    if (kind == kMusicCallbackInstrument && instrument >= 0 && instrument < 256)
      slot = &song->instrumentCallbacks[instrument];
  }
  if (!slot) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  Music_LockSongs();
  BOOL ok = TRUE;
  if (!function) {
    FreeQueue(*slot);
  } else {
    if (!*slot) *slot = static_cast<MusicCallbackQueue*>(SOUND_CALLOC(sizeof(MusicCallbackQueue)));
    if (*slot) {
      MusicCallbackQueue* q = *slot;
      q->function = function;
      q->step = step < 1 ? 1 : step;
      for (int32_t& t : q->times) t = -1;
      q->readIndex = q->writeIndex = 0;
    } else {
      SoundError_Set(kSoundErrNoMemory);
      ok = FALSE;
    }
  }
  Music_UnlockSongs();
  return ok;
}

void Music_QueueCallback(MusicSong* song, int param, int kind) {
  MusicCallbackQueue* q = nullptr;
  switch (kind) {
    case kMusicCallbackRow:
      q = song->rowCallback;
      if (q && q->step > 0 && song->row % q->step != 0) return;
      break;
    case kMusicCallbackOrder:
      q = song->orderCallback;
      if (q && q->step > 0 && song->order % q->step != 0) return;
      break;
    case kMusicCallbackZxx:
      q = song->zxxCallback;
      break;
    case kMusicCallbackInstrument:
      if (param >= 0 && param < 256) q = song->instrumentCallbacks[param];
      break;
    default:
      return;
  }
  if (!q || !q->function) return;
  if (SoundEngine.initFlags & kMusicInitImmediateCallbacks) {
    q->function(song, param, song->clock, -1);
    return;
  }
  // Due when the output plays the block being mixed now.
  const int w = q->writeIndex;
  q->times[w] = song->clock + SoundEngine.bufferMs * 256 - SoundEngine.blockDuration;
  q->params[w] = static_cast<uint8_t>(param);
  q->writeIndex = (w + 1) % kMusicCallbackSlots;
}

void Music_RenderSongs(void* buffer, int length) {
  SoundMixerDesc* desc = SoundEngine.mixerDesc;
  if (!desc || !buffer || length <= 0) return;
  auto* out = static_cast<int32_t*>(buffer);
  Music_LockSongs();
  for (SoundLink* l = g_songs.next; l != &g_songs; l = l->next) {
    MusicSong* song = SongOf(l);
    if (!song->playing || !song->tempoScale || song->paused || !song->tickFunction) continue;
    RunDueCallbacks(song);
    for (int done = 0; done < length && song->playing;) {
      if (song->tickSamplesLeft <= 0) {
        song->tickFunction(song);
        song->tickSamplesLeft = song->tickSamples;
        if (!song->playing) break;
      }
      const int piece = length - done < song->tickSamplesLeft ? length - done : song->tickSamplesLeft;
      desc->mix(out + static_cast<size_t>(done) * desc->channels, &song->voiceList, piece);
      done += piece;
      song->tickSamplesLeft -= piece;
      song->position += piece;
    }
    if (song->blockLog && SoftwareOutput.blockCount > 0) {
      MusicBlockLogEntry& e = song->blockLog[song->blockLogIndex % SoftwareOutput.blockCount];
      e = MusicBlockLogEntry{static_cast<uint8_t>(song->order), static_cast<uint8_t>(song->row), song->clock};
    }
    song->clock += SoundEngine.blockDuration;
    if (SoftwareOutput.blockCount > 0) song->blockLogIndex = (song->blockLogIndex + 1) % SoftwareOutput.blockCount;
  }
  Music_UnlockSongs();
}

void Music_RetimeSongs() {
  Music_LockSongs();
  for (SoundLink* l = g_songs.next; l != &g_songs; l = l->next) Music_SetTempo(SongOf(l), SongOf(l)->bpm);
  Music_UnlockSongs();
}

void Music_ForgetSample(SoundSample* sample) {
  if (!sample) return;
  Music_LockSongs();
  for (SoundLink* l = g_songs.next; l != &g_songs; l = l->next) {
    MusicSong* song = SongOf(l);
    for (int i = 0; song->samples && i < song->sampleCount; ++i)
      if (song->samples[i] == sample) song->samples[i] = nullptr;
  }
  Music_UnlockSongs();
}
