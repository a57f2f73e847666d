// Streams: records, open and close, play and stop, time and length, the streamer
// thread and its passes.
#include "aural_stream.h"

#include <cstring>

#include "aural_engine.h"
#include "aural_sample.h"
#include "aural_stream_internal.h"
#include "aural_tag.h"
#include "format_bank.h"
#include "format_mpeg_mad.h"
#include "format_oggvorbis.h"
#include "format_wav.h"
#include "format_wav_aiff.h"
#include "sound_decode.h"
#include "sound_alloc.h"
#include "system_file.h"
#include "system_thread.h"

static constexpr char kSoundFileTag[] = "src/aural_stream";

StreamerState g_streamer = {};

namespace {

constexpr char kStreamerThreadName[] = "Aural Streamer thread";
constexpr char kRingSampleName[] = "Streamer Sample";
constexpr char kFilePrefix[] = "file://";
constexpr DWORD kStreamerPeriodMs = 10;
constexpr int kStreamDspPriority = 0;
constexpr int32_t kNoChannelBlockDuration = 2560;
constexpr int32_t kNoChannelBlockLength = 256;
constexpr int kDefaultBufferMs = 400;
constexpr int kMinBufferMs = 50;
constexpr int kDownmixReadBuffer = 4096;
constexpr int kDownmixDecodeBuffer = 40960;
constexpr int kMaxEndedPerPass = 64;
constexpr int kNameSize = 256;

bool IsStreamerThread() { return g_streamer.thread && GetCurrentThreadId() == g_streamer.threadId; }

void StreamYield() {
  if (!SoundEngine_IsNonRealtime()) Sleep(0);
}

}  // namespace

bool Stream_StopCore(SoundStream* s) {
  if (SoundChannel* ch = Stream_Channel(s)) s->lastPlayPosition = ch->ops.getPosition(ch);
  if (!s->playing) return false;
  Stream_LockBoth();
  if (Stream_Channel(s)) {
    const int32_t error = SoundError;
    Aural_StopChannel(s->channel);
    SoundError = error;
  }
  s->playing = 0;
  s->decodedPending = s->decodedOffset = 0;
  s->cpuUse = 0;
  s->channel = -1;
  s->needsReset = 1;
  s->drainTime = -1;
  Stream_UnlockBoth();
  return true;
}

namespace {

// Frees everything the record holds, not the record.
void FreeParts(SoundStream* s) {
  if (s->ringSample) {
    if (s->readerClose) s->readerClose(s->ringSample->user);
    s->ringSample->user = nullptr;
    SoundSample_Free(s->ringSample);
  }
  AuralFile_Close(s->file);
  SOUND_FREE(s->frameTable);
  AuralSync_FreeAll(s->syncList);
  SOUND_FREE(s->playlist);
  SOUND_FREE(s->readBuffer);
  SOUND_FREE(s->decodeBuffer);
  SOUND_FREE(s->history);
  SOUND_FREE(s->tickHistory);
  if (s->tags) SoundTag_FreeList(&s->tags);
  s->ringSample = nullptr;
  s->file = nullptr;
  s->frameTable = nullptr;
  s->syncList = s->syncCursor = nullptr;
  s->playlist = nullptr;
  s->readBuffer = s->decodeBuffer = nullptr;
  s->history = s->tickHistory = nullptr;
  s->tags = nullptr;
  s->readerClose = s->readerReset = nullptr;
  s->readerDecode = nullptr;
  s->fillCallback = nullptr;
}

void LinkAtHead(SoundStream* s) {
  Stream_LockBoth();
  SoundStream* head = &g_streamer.head;
  s->prev = head;
  s->next = head->next;
  head->next->prev = s;
  head->next = s;
  Stream_UnlockBoth();
}

// The readers a stream open tries, in order. Headerless PCM is taken only when asked
// for. Exact headers first: banks ("SBK2"/"SBK3"), WAV ("RIFF", and it refuses
// RIFF-wrapped MPEG data), AIFF ("FORM"), Ogg ("OggS"); the MPEG header search accepts
// almost anything and must come last.
struct StreamReader {
  BOOL (*open)(SoundFile* file, uint32_t mode, SoundReaderInfo* info, SoundSyncPoint* syncList);
};
const StreamReader kStreamReaders[] = {
    {FsbFormat_Open}, {WavFormat_Open}, {AiffFormat_Open}, {OggFormat_Open}, {MpegFormat_Open},
};

bool ProbeReaders(SoundFile* f, uint32_t mode, SoundReaderInfo* info, SoundSyncPoint* sync) {
  if (mode & SoundMode::RawPcm) return RawFormat_Open(f, mode, info) != FALSE;
  for (const StreamReader& r : kStreamReaders) {
    SoundError_Set(kSoundErrNone);
    if (r.open(f, mode, info, sync)) return true;
    if (SoundError != kSoundErrUnknownFormat) return false;
  }
  SoundError_Set(kSoundErrUnknownFormat);
  return false;
}

// A tag's text for the stream's name: the Vorbis comment, else the ID3v2 frame (without
// its encoding byte), else any tag of the name; trailing blanks cut.
bool TagText(const SoundTag* tags, const char* name, const char* frame, char* out, int room) {
  const void* data = nullptr;
  int length = 0, skip = 0;
  if (!tags) return false;
  if (!SoundTag_Find(tags, name, kSoundTagVorbisComment, &data, &length)) {
    if (SoundTag_Find(tags, frame, kSoundTagId3v2, &data, &length))
      skip = 1;
    else if (!SoundTag_Find(tags, name, kSoundTagAnyType, &data, &length))
      return false;
  }
  const char* p = static_cast<const char*>(data) + skip;
  int n = 0;
  const uint8_t encoding = skip ? static_cast<const uint8_t*>(data)[0] : 0;
  if (encoding == 1 || encoding == 2) {
    // UTF-16 frames (with a byte-order mark, or big-endian): Latin-1 characters are kept.
    const auto* u = reinterpret_cast<const uint8_t*>(p);
    int at = 0, units = length - skip;
    bool big = encoding == 2;
    if (encoding == 1 && units >= 2 && (u[0] == 0xFE || u[0] == 0xFF)) big = u[0] == 0xFE, at = 2;
    for (; at + 1 < units && n < room; at += 2) {
      const unsigned c = big ? (u[at] << 8 | u[at + 1]) : (u[at] | u[at + 1] << 8);
      if (c == 0) break;
      out[n++] = static_cast<char>(c < 256 ? c : '?');
    }
    while (n > 0 && out[n - 1] == ' ') --n;
    out[n] = 0;
    return n > 0;
  }
  while (n < length - skip && n < room && p[n]) ++n;
  while (n > 0 && p[n - 1] == ' ') --n;
  std::memcpy(out, p, n);
  out[n] = 0;
  return n > 0;
}

// "artist - title", or whichever of the two the tags hold; false when neither.
bool NameFromTags(const SoundTag* tags, char* out, int size) {
  char artist[kSoundSampleNameSize], title[kSoundSampleNameSize];
  const bool a = TagText(tags, "ARTIST", "TPE1", artist, size - 1);
  const bool t = TagText(tags, "TITLE", "TIT2", title, size - 1);
  out[0] = 0;
  if (a) SoundStr_AppendN(out, artist, size - 1);
  if (a && t) SoundStr_AppendN(out, " - ", size - 1 - static_cast<int>(std::strlen(out)));
  if (t) SoundStr_AppendN(out, title, size - 1 - static_cast<int>(std::strlen(out)));
  return a || t;
}

SoundFile* OpenSource(const void* name, uint32_t mode, int length) {
  if (mode & SoundMode::FromMemory) return AuralFile_Open(name, kSoundFileMemory, length);
  const char* path = static_cast<const char*>(name);
  if (_strnicmp(path, kFilePrefix, sizeof kFilePrefix - 1) == 0) path += sizeof kFilePrefix - 1;
  SoundFile* f = AuralFile_Open(path, Aural_FileCallbacksSet() ? kSoundFileCallbacks : kSoundFileBuffered, 0);
  if (f && length > 0) f->endOffset = length - 1;
  return f;
}

// Opens and primes a stream, into `record` when one is given (a non-blocking open, whose
// record stays listed and is only marked failed); null with the last error set.
SoundStream* OpenInternal(const void* name, uint32_t mode, int length, SoundStream* record) {
  using namespace SoundMode;
  if (mode & No3d) mode &= ~Sound3d;
  if (mode & Pcm16) mode &= ~Pcm8;
  if (mode & Stereo) mode &= ~(Mono | MultiChannel);
  if (!name) {
    SoundError_Set(kSoundErrInvalidParam);
    return nullptr;
  }
  SoundFile* f = OpenSource(name, mode, length);
  if (!f) {
    if (SoundError != kSoundErrNoMemory) SoundError_Set(kSoundErrFileOpen);
    return nullptr;
  }
  // Leading tags are stepped over: the readers see the file from the data on.
  SoundTag* tags = nullptr;
  if (!(mode & NoTags)) {
    SoundTag_ReadFileTags(f, &tags);
    f->startOffset += AuralFile_Tell(f);
  }
  SoundSyncPoint* sync = AuralSync_InitList();
  SoundReaderInfo info = {};
  if (!sync || !ProbeReaders(f, mode, &info, sync)) {
    if (!sync) SoundError_Set(kSoundErrNoMemory);
    AuralSync_FreeAll(sync);
    AuralFile_Close(f);
    if (tags) SoundTag_FreeList(&tags);
    return nullptr;
  }
  if (info.tags) {
    if (tags)
      SoundList_Append(reinterpret_cast<void**>(&tags), info.tags);
    else
      tags = static_cast<SoundTag*>(info.tags);
  }
  const auto fail = [&](int32_t error, SoundStream* s) -> SoundStream* {
    if (s && s == record) {
      FreeParts(s);
    } else if (s) {
      s->failed = 1;
      AuralStream_Close(s);
    } else {
      if (info.close) info.close(info.state);
      AuralSync_FreeAll(sync);
      AuralFile_Close(f);
      if (tags) SoundTag_FreeList(&tags);
    }
    SoundError_Set(error);
    return nullptr;
  };
  // The format and channel layout are the reader's; so are its loop bits when the caller gives none.
  constexpr uint32_t kReaderBits = 0x1F8u | MultiChannel;
  uint32_t m = (mode & ~kReaderBits) | (info.mode & kReaderBits) | (mode & RawPcm);
  if (!(mode & LoopBits)) m |= info.mode & LoopBits;
  // A reader that cannot mix its data down (a bank's IMA ADPCM entry) drops the request.
  if (!(info.mode & DownmixMono)) m &= ~DownmixMono;
  if (((m & Sound3d) && (m & Stereo) && !((m & DownmixMono) && !(m & Mono))) ||
      ((m & DownmixMono) && (m & (Block28 | ImaAdpcm | Block14))))
    return fail(kSoundErrInvalidParam, nullptr);
  if (m & Mono) m &= ~DownmixMono;
  if ((m & DownmixMono) && (m & Stereo)) {
    if (info.readBufferSize == 0) {
      info.readBufferSize = kDownmixReadBuffer;
      info.decodeBufferSize = kDownmixDecodeBuffer;
    }
    m = (m & ~Stereo) | Mono;
  } else {
    m &= ~DownmixMono;
  }

  int S = SoundEngine.blockLength > 0 ? SoundEngine.blockLength : kNoChannelBlockLength;
  const int T = g_streamer.bufferMsRequest >= kMinBufferMs ? g_streamer.bufferMsRequest : kDefaultBufferMs;
  int64_t wanted = static_cast<int64_t>(info.rate) * T / 1000;
  if (wanted < S) wanted = S;
  const int64_t halfSamples = S * (wanted / S);
  if (halfSamples * 4 * 2 > INT32_MAX) return fail(kSoundErrNoMemory, nullptr);
  const int bufferBytes = AuralStream_SamplesToBytes(static_cast<int>(halfSamples), m, info.channels);

  SoundStream* s = AuralStream_Create(record, AuralStream_DecodeFill, bufferBytes, m, info.rate, nullptr, info.channels);
  if (!s) return fail(SoundError, nullptr);
  s->ready = 0;
  s->busy = 1;
  s->file = f;
  s->ringSample->user = info.state;
  s->readerClose = info.close;
  s->readerReset = info.reset;
  s->readerDecode = info.decode;
  s->readerSeek = info.seek;
  s->tags = tags;
  AuralSync_FreeAll(s->syncList);
  s->syncList = sync;
  s->syncCursor = sync;
  Stream_TakeDataLayout(s, info);

  const int ringSamples = s->ringSample->length;
  s->historyStep = S;
  s->historyEntries = ringSamples / S;
  s->history = static_cast<SoundHistoryEntry*>(SOUND_CALLOC(sizeof(SoundHistoryEntry) * (s->historyEntries + 1)));
  if (!s->history) return fail(kSoundErrNoMemory, s);
  if (SoundTables.primaryChannel && SoundEngine.blockLength > 0) {
    s->tickStep = SoundEngine.blockLength;
    s->tickEntries = SoundEngine.bufferLength / SoundEngine.blockLength;
    s->tickHistory = static_cast<SoundHistoryEntry*>(SOUND_CALLOC(sizeof(SoundHistoryEntry) * (s->tickEntries + 1)));
    if (!s->tickHistory) return fail(kSoundErrNoMemory, s);
  }

  if (!(m & FromMemory) && s->name != name) {
    s->name[0] = 0;
    SoundStr_AppendN(s->name, static_cast<const char*>(name), kNameSize - 1);
  }
  if (!NameFromTags(s->tags, s->ringSample->name, kSoundSampleNameSize)) {
    s->ringSample->name[0] = 0;
    SoundStr_AppendN(s->ringSample->name, s->name, kSoundSampleNameSize - 1);
  }

  s->readBufferSize = info.readBufferSize;
  s->decodeBufferSize = info.decodeBufferSize;
  if (info.readBufferSize > 0 && !(s->readBuffer = SOUND_CALLOC(info.readBufferSize))) return fail(kSoundErrNoMemory, s);
  if (info.decodeBufferSize > 0 && !(s->decodeBuffer = SOUND_CALLOC(info.decodeBufferSize)))
    return fail(kSoundErrNoMemory, s);

  const int bytesPerSample = (info.mode & Pcm16) ? 2 : 1;
  s->lengthSamples = info.decodedBytes / (bytesPerSample * (info.channels > 0 ? info.channels : 1));
  s->lengthMs = info.lengthMs >= 0 ? info.lengthMs
                                   : static_cast<int>((static_cast<int64_t>(s->lengthSamples) * 1000 + 999) / info.rate);
  Stream_SetLoopPoints(s, info.loopStart, info.loopEnd);

  // An entry asked for before a background open completed is selected now.
  if (s->requestedSubStream < 0 || !Stream_SelectSubStream(s, s->requestedSubStream, FALSE)) {
    AuralStream_SeekInternal(s, 2, 0, TRUE);
    AuralStream_Prime(s);
  }
  s->busy = s->needsReset = s->firstPlay = 0;
  return s;
}

}  // namespace

void Stream_LockBoth() {
  StreamYield();
  SoundLock_Enter(g_streamer.lock1);
  StreamYield();
  SoundLock_Enter(g_streamer.lock2);
}

void Stream_UnlockBoth() {
  SoundLock_Leave(g_streamer.lock2);
  SoundLock_Leave(g_streamer.lock1);
}

void Stream_TakeDataLayout(SoundStream* s, const SoundReaderInfo& info) {
  s->dataOffset = info.dataOffset;
  s->dataBytes = info.dataBytes;
  s->decodedBytes = info.decodedBytes;
  s->blockAlign = info.blockAlign;
  s->samplesPerBlock = info.samplesPerBlock;
  s->fileChannels = info.channels;
}

void Stream_SetLoopPoints(SoundStream* s, int start, int end) {
  // Loop points must leave something to loop inside the data; others mean the whole stream.
  s->loopStart = start;
  s->loopEnd = end >= s->lengthSamples ? s->lengthSamples - 1 : end;
  if (s->loopStart < 0 || s->loopStart >= s->loopEnd) s->loopStart = s->loopEnd = 0;
}

bool Stream_IsListed(const SoundStream* stream) {
  StreamerState& st = g_streamer;
  if (!stream || !st.head.next) return false;
  SoundLock_Enter(st.lock2);
  bool found = false;
  for (SoundStream* s = st.head.next; s != &st.head && !found; s = s->next) found = s == stream;
  SoundLock_Leave(st.lock2);
  return found;
}

SoundChannel* Stream_Channel(SoundStream* s) {
  if (s->channel == -1 || !SoundTables.channels) return nullptr;
  const int32_t error = SoundError;
  SoundChannel* ch = Aural_GetChannel(s->channel);
  SoundError = error;
  return ch && ch->sample == s->ringSample ? ch : nullptr;
}

HANDLE AuralStream_ThreadHandle() { return g_streamer.thread; }

void AuralStream_SetBufferSize(int ms) {
  if (ms >= kMinBufferMs) g_streamer.bufferMsRequest = ms;
}

SoundStream* AuralStream_Create(SoundStream* record, SoundStreamFillFn fillCallback, int bufferBytes, uint32_t mode,
                                int rate, void* fillUserData, int channels) {
  using namespace SoundMode;
  SoundError_Begin();
  if (!SoundEngine.initialised || !g_streamer.head.next) {
    SoundError_Set(kSoundErrNotInitialised);
    return nullptr;
  }
  if (!fillCallback || bufferBytes <= 0 || channels < 1) {
    SoundError_Set(kSoundErrInvalidParam);
    return nullptr;
  }
  SoundStream* s = record ? record : static_cast<SoundStream*>(SOUND_CALLOC(sizeof(SoundStream)));
  if (!s) {
    SoundError_Set(kSoundErrNoMemory);
    return nullptr;
  }
  mode |= StreamBuffer;
  const int half = AuralStream_BytesToSamples(bufferBytes, mode, channels);
  const uint32_t ringMode = (mode & (Pcm8 | Pcm16 | Mono | Stereo | MultiChannel | StreamBuffer)) | LoopForward | Signed;
  s->ringSample = half > 0 ? SoundSample_CreateStreamBuffer(0, half * 2, ringMode, rate > 0 ? rate : 1, 255,
                                                            (mode & Stereo) ? -1 : 128, 255, channels)
                           : nullptr;
  s->syncList = s->ringSample ? AuralSync_InitList() : nullptr;
  if (!s->ringSample || !s->syncList) {
    const int32_t error = s->ringSample ? kSoundErrNoMemory : half > 0 ? SoundError : kSoundErrInvalidParam;
    if (s->ringSample) SoundSample_Free(s->ringSample);
    s->ringSample = nullptr;
    if (record)
      s->failed = 1;
    else
      SOUND_FREE(s);
    SoundError_Set(error);
    return nullptr;
  }
  std::strncpy(s->ringSample->name, kRingSampleName, kSoundSampleNameSize - 1);
  SoundSample_SetMode(s->ringSample, LoopForward);
  SoundSample_SetLoopPoints(s->ringSample, 0, s->ringSample->length - 1);
  s->syncCursor = s->syncList;
  SoundLink_Init(&s->dspUnits);
  s->fillCallback = fillCallback;
  s->fillUserData = fillUserData;
  s->mode = mode;
  s->channel = -1;
  s->blockAlign = 4;
  s->drainTime = -1;
  s->loopCount = s->initialLoopCount = -1;
  if (!record) s->requestedSubStream = -1;
  s->firstPlay = 1;
  SoundError_Set(kSoundErrNone);
  // A non-blocking open's record is listed from the start and becomes ready when opened.
  if (!s->next) {
    s->ready = 1;
    LinkAtHead(s);
  }
  return s;
}

namespace {

// The loader thread's half of a non-blocking open.
void RunPendingOpen(void* object) {
  auto* s = static_cast<SoundStream*>(object);
  const void* source = (s->mode & SoundMode::FromMemory) ? s->memoryBlock : static_cast<const void*>(s->name);
  const uint32_t mode = s->mode & ~SoundMode::LoadInBackground;
  if (OpenInternal(source, mode, s->pendingLength, s))
    s->ready = 1;
  else
    s->failed = 1;
  s->pendingState &= ~1;
}

SoundStream* OpenInBackground(const void* nameOrMemory, uint32_t mode, int length) {
  if (!nameOrMemory) {
    SoundError_Set(kSoundErrInvalidParam);
    return nullptr;
  }
  if (!SoundLoader_Start()) return nullptr;
  auto* s = static_cast<SoundStream*>(SOUND_CALLOC(sizeof(SoundStream)));
  if (!s) {
    SoundError_Set(kSoundErrNoMemory);
    return nullptr;
  }
  if (mode & SoundMode::FromMemory)
    s->memoryBlock = nameOrMemory;
  else
    SoundStr_AppendN(s->name, static_cast<const char*>(nameOrMemory), kNameSize - 1);
  s->pendingLength = length;
  s->mode = mode;
  s->channel = -1;
  s->pendingState = 1;
  s->requestedSubStream = -1;
  LinkAtHead(s);
  s->pendingOpen.object = s;
  s->pendingOpen.kind = kSoundLoaderStream;
  s->pendingOpen.run = RunPendingOpen;
  SoundLoader_Queue(&s->pendingOpen);
  return s;
}

}  // namespace

SoundStream* AuralStream_Open(const void* nameOrMemory, uint32_t mode, int /*unused*/, int length) {
  SoundError_Begin();
  if (!SoundEngine.initialised) {
    SoundError_Set(kSoundErrNotInitialised);
    return nullptr;
  }
  if (mode & SoundMode::LoadInBackground) return OpenInBackground(nameOrMemory, mode, length);
  SoundStream* s = OpenInternal(nameOrMemory, mode, length, nullptr);
  if (!s) return nullptr;
  const bool readShort = s->readShort;
  s->ready = 1;
  SoundError = readShort ? kSoundErrReadError : kSoundErrNone;
  return s;
}

BOOL AuralStream_Close(SoundStream* s) {
  SoundError_Begin();
  if (!Stream_IsListed(s)) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  if (!s->ready && !s->failed) {  // an open still under way on the loader thread
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  if (s->closing && s->ready) return TRUE;  // a close already under way
  s->closing = 1;
  Stream_StopCore(s);
  Stream_LockBoth();
  s->prev->next = s->next;
  s->next->prev = s->prev;
  s->next = s->prev = nullptr;
  Stream_UnlockBoth();
  s->endCallback = nullptr;
  s->endUserData = nullptr;
  FreeParts(s);
  SOUND_FREE(s);
  return TRUE;
}

int AuralStream_Play(int channel, SoundStream* s, SoundDspUnit* /*unused*/, BOOL paused) {
  SoundError_Begin();
  if (!Stream_IsListed(s)) {
    SoundError_Set(kSoundErrInvalidParam);
    return -1;
  }
  if (s->closing) return -1;
  if (!SoundEngine.initialised || g_streamer.stop == 1) {
    SoundError_Set(kSoundErrNotInitialised);
    return -1;
  }
  if (!s->ready || s->priming) {
    SoundError_Set(kSoundErrInvalidParam);
    return -1;
  }
  const int count = (s->ringSample->mode & SoundMode::MultiChannel) ? s->ringSample->channels : 1;
  int list[kSoundMaxPlayList];
  if (s->playing) {
    if (Stream_Channel(s)) return s->channel;
    for (int& c : list) c = s->channel & 0xFFF;
    const int h = Aural_PlaySoundOnList(list, count, s->ringSample, nullptr, paused);
    if (h == -1) return -1;
    Stream_LockBoth();
    s->channel = h;
    Stream_UnlockBoth();
    return h;
  }
  s->ended = 0;
  s->playing = 1;
  s->cpuUse = 0;
  s->loopCount = s->initialLoopCount;
  if (s->firstPlay) {
    AuralStream_Prime(s);
    s->firstPlay = 0;
  }
  if (s->needsReset && s->dataBytes > 0) AuralStream_Reset(s, 0, FALSE, FALSE);
  for (int& c : list) c = channel;
  const int h = Aural_PlaySoundOnList(list, count > kSoundMaxPlayList ? kSoundMaxPlayList : count, s->ringSample,
                                      nullptr, TRUE);
  if (h == -1) {
    Stream_StopCore(s);
    s->playing = 0;
    SoundError_Set(kSoundErrPlaybackStart);
    return -1;
  }
  Stream_LockBoth();
  s->channel = h;
  Stream_UnlockBoth();
  Aural_SetPaused(h, paused);
  s->needsReset = 1;
  return h;
}

BOOL AuralStream_Stop(SoundStream* s, BOOL callEnd) {
  SoundError_Begin();
  if (!Stream_IsListed(s) || !s->ready) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  if (!SoundTables.channels) {
    SoundError_Set(kSoundErrNotInitialised);
    return FALSE;
  }
  const bool wasPlaying = Stream_StopCore(s);
  if (wasPlaying && callEnd && s->endCallback) s->endCallback(s, nullptr, 0, s->endUserData);
  return TRUE;
}

int AuralStream_GetLengthMs(SoundStream* s) {
  SoundError_Begin();
  if (!Stream_IsListed(s)) {
    SoundError_Set(kSoundErrInvalidParam);
    return 0;
  }
  if (s->lengthMs >= 0) return s->lengthMs;
  const int rate = s->ringSample->frequency > 0 ? s->ringSample->frequency : 1;
  return static_cast<int>((static_cast<int64_t>(s->lengthSamples) * 1000 + 999) / rate);
}

int AuralStream_GetTime(SoundStream* s) {
  SoundError_Begin();
  if (!Stream_IsListed(s)) {
    SoundError_Set(kSoundErrInvalidParam);
    return 0;
  }
  const int rate = s->ringSample->frequency > 0 ? s->ringSample->frequency : 1;
  const int64_t ms = (static_cast<int64_t>(AuralStream_GetPlayPosition(s, nullptr)) * 1000 + 999) / rate;
  const int length = AuralStream_GetLengthMs(s);
  return ms > length ? length : static_cast<int>(ms);
}

BOOL AuralStream_SetTime(SoundStream* s, int ms) {
  SoundError_Begin();
  if (!Stream_IsListed(s) || !s->ready || !s->file || ms < 0 || ms >= AuralStream_GetLengthMs(s)) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  SoundChannel* ch = Stream_Channel(s);
  const bool wasPaused = ch && (ch->flags & kChannelPaused);
  if (ch) Aural_SetPaused(s->channel, TRUE);
  s->busy = 1;
  if (!SoundEngine_IsNonRealtime() && !IsStreamerThread())
    while (g_streamer.inUpdate) Sleep(1);
  AuralStream_SeekInternal(s, 1, ms, TRUE);
  AuralStream_Prime(s);
  s->busy = 0;
  if (ch) Aural_SetPaused(s->channel, wasPaused);
  s->needsReset = 0;
  return TRUE;
}

BOOL AuralStream_SetEndCallback(SoundStream* s, SoundStreamCallbackFn callback, void* userData) {
  SoundError_Begin();
  if (!Stream_IsListed(s)) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  s->endCallback = callback;
  s->endUserData = userData;
  return TRUE;
}

BOOL AuralStream_SetSyncCallback(SoundStream* s, SoundStreamCallbackFn callback, void* userData) {
  SoundError_Begin();
  if (!Stream_IsListed(s)) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  SoundLock_Enter(g_streamer.lock2);
  s->syncCallback = callback;
  s->syncUserData = userData;
  SoundLock_Leave(g_streamer.lock2);
  return TRUE;
}

BOOL AuralStream_SetLoopCount(SoundStream* s, int count) {
  SoundError_Begin();
  if (!Stream_IsListed(s) || count < -1) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  s->initialLoopCount = s->loopCount = count;
  // The primed ring was decoded with the old count; the next play starts afresh.
  if (!s->playing && s->file) s->needsReset = 1;
  return TRUE;
}

void AuralStream_UpdateAll(int elapsedMs) {
  StreamerState& st = g_streamer;
  if (!st.head.next) return;
  struct Ended {
    SoundStream* stream;
    SoundStreamCallbackFn callback;
    void* userData;
  } ended[kMaxEndedPerPass];
  int endedCount = 0;
  bool readShort = false;
  StreamYield();
  SoundLock_Enter(st.lock1);
  st.inUpdate = 1;
  int cpu = 0;
  for (SoundStream* s = st.head.next; s != &st.head; s = s->next) {
    if (!s->fillCallback || s->busy || s->channel == -1) continue;
    SoundChannel* ch = Stream_Channel(s);
    if (ch) {
      const int halfSamples = s->ringSample->length / 2;
      const int playingHalf = halfSamples > 0 ? ch->ops.getPosition(ch) / halfSamples : 0;
      if (ch->frequency > 0 && playingHalf != s->halfIndex) {
        SoundClock_Stamp(&s->cpuClock);
        Stream_FillHalf(s);
        s->cpuUse = static_cast<int32_t>(SoundClock_Elapsed(&s->cpuClock, 80));
      }
    }
    const bool paused = ch && (ch->flags & kChannelPaused);
    if (s->drainTime >= 0 && !paused) {
      s->drainTime -= elapsedMs * 256;
      if (s->drainTime <= 0) {
        s->drainTime = 0;
        s->ended = 1;
        if (s->mode & SoundMode::LengthAtEnd) {
          s->lengthMs = AuralStream_GetTime(s);
          if (s->file) s->dataBytes = AuralFile_Tell(s->file) - s->dataOffset;
        }
      }
    }
    // The stop happens in the pass; the end callback only once the lock is left.
    if (s->ended && endedCount < kMaxEndedPerPass) {
      SoundStreamCallbackFn callback = s->endCallback;
      void* user = s->endUserData;
      const bool stopped = Stream_StopCore(s);
      readShort = readShort || (stopped && s->readShort);
      if (stopped && callback) ended[endedCount++] = {s, callback, user};
    }
    cpu += s->cpuUse;
    if (!SoundTables.primaryChannel) Stream_SyncCheck(s);
  }
  SoundEngine.streamCpu = cpu;
  st.inUpdate = 0;
  SoundLock_Leave(st.lock1);
  // A stream cut short by its file ends with the read error (once, in the pass that
  // stops it), which its end callback sees.
  if (readShort) SoundError_Set(kSoundErrReadError);
  for (int i = 0; i < endedCount; ++i) {
    SoundStream* s = ended[i].stream;
    if (!Stream_IsListed(s) || s->closing) continue;
    if (s->readShort) SoundError_Set(kSoundErrReadError);
    ended[i].callback(s, nullptr, 0, ended[i].userData);
  }
}

namespace {

DWORD WINAPI StreamerThreadProc(void*) {
  StreamerState& s = g_streamer;
  s.threadId = GetCurrentThreadId();
  const bool measure = SoundTables.primaryChannel == nullptr;
  while (s.stop == 0) {
    const uint32_t start = SoundClock_Now();
    AuralStream_UpdateAll(static_cast<int>(kStreamerPeriodMs));
    SoundEngine_Sleep(kStreamerPeriodMs);
    if (measure) {
      const int d = static_cast<int>(SoundClock_Now() - start);
      if (d > 0 && d < 20) {
        SoundEngine.blockDuration = d * 256;
        SoundEngine.blockLength = d * 48;
      }
    }
  }
  SoundEngine.streamCpu = 0;
  s.stop = 2;
  return 0;
}

}  // namespace

BOOL AuralStream_StartThread() {
  StreamerState& s = g_streamer;
  if (!s.head.next) s.head.next = s.head.prev = &s.head;
  s.stop = 0;
  if (!(SoundEngine.initFlags & kSoundInitNoStreamerThread)) {
    s.lock1 = SoundLock_Create();
    s.lock2 = SoundLock_Create();
    s.thread = SoundThread_Create(kStreamerThreadName, StreamerThreadProc, nullptr, kSoundThreadAboveNormal);
    if (!s.thread) {
      SoundError_Set(kSoundErrNoMemory);
      return FALSE;
    }
  }
  if (SoundTables.softwareChannels > 0) {
    s.dspUnit = AuralDsp_Create(AuralStream_DspCallback, kStreamDspPriority, nullptr);
    if (!s.dspUnit) return FALSE;
    s.dspUnit->active = 1;
  } else {
    SoundEngine.blockDuration = kNoChannelBlockDuration;
    SoundEngine.blockLength = kNoChannelBlockLength;
  }
  return TRUE;
}

void AuralStream_StopThread() {
  StreamerState& s = g_streamer;
  if (s.thread) {
    s.stop = 1;
    // Waiting on the handle, without a limit, as for the mixer: a fill callback may take
    // its time, and the locks and streams below are the thread's until it has left.
    // (An end callback that closes the engine runs on the thread itself.)
    if (!IsStreamerThread()) WaitForSingleObject(s.thread, INFINITE);
    CloseHandle(s.thread);
    s.thread = nullptr;
  }
  if (s.dspUnit) {
    AuralDsp_Free(s.dspUnit);
    s.dspUnit = nullptr;
  }
  if (s.head.next)
    for (SoundStream* stream = s.head.next; stream != &s.head; stream = stream->next) Stream_StopCore(stream);
  SoundLock_Delete(s.lock1);
  SoundLock_Delete(s.lock2);
  s.lock1 = s.lock2 = nullptr;
}
