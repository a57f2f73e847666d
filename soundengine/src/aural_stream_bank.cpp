// Sub-streams: a stream that reads a sample bank switches to another of its entries,
// with the entry's format, length, rate, defaults, name and sync points.
#include <cstring>

#include "aural_engine.h"
#include "aural_stream_internal.h"
#include "format_bank.h"
#include "sound_alloc.h"
#include "sound_decode.h"

static constexpr char kSoundFileTag[] = "src/aural_stream";

namespace {

using namespace SoundMode;

constexpr uint32_t kRingFormatBits = Pcm8 | Pcm16 | Mono | Stereo | MultiChannel;
constexpr int32_t kPendingSubStream = 2;
constexpr int32_t kPendingKeepPlaying = 4;  // how the queued selection was asked for
constexpr int kDownmixReadBuffer = 4096;
constexpr int kDownmixDecodeBuffer = 40960;

// A buffer of `bytes` (none for 0), or the one in `*held` when that is its size already.
bool Reallocate(void** held, int heldBytes, int bytes, void** fresh) {
  *fresh = *held;
  if (bytes == heldBytes) return true;
  *fresh = bytes > 0 ? SOUND_CALLOC(static_cast<size_t>(bytes)) : nullptr;
  return bytes == 0 || *fresh;
}

void RunPendingSelect(void* object) {
  auto* s = static_cast<SoundStream*>(object);
  Stream_SelectSubStream(s, s->requestedSubStream, (s->pendingState & kPendingKeepPlaying) != 0);
  s->pendingState &= ~(kPendingSubStream | kPendingKeepPlaying);
  s->requestedSubStream = -1;
  s->ready = 1;
}

}  // namespace

bool Stream_SelectSubStream(SoundStream* s, int index, BOOL keepPlaying) {
  auto* bank = static_cast<BankState*>(s->ringSample->user);
  const int previous = bank->current;
  SoundReaderInfo info;
  Stream_LockBoth();  // the streamer decodes through the bank's state
  if (!FsbFormat_SelectEntry(bank, index, s->mode, &info)) {
    const int32_t error = SoundError;
    SoundReaderInfo kept;
    FsbFormat_SelectEntry(bank, previous, s->mode, &kept);
    Stream_UnlockBoth();
    SoundError_Set(error);
    return false;
  }
  uint32_t format = info.mode & (kRingFormatBits | Unsigned | Signed);
  // A stream that mixes stereo down keeps doing so for stereo entries it can read whole.
  const bool downmix = (s->mode & DownmixMono) && (info.mode & DownmixMono) && (format & Stereo);
  if (downmix) {
    format = (format & ~Stereo) | Mono;
    if (info.readBufferSize == 0) info.readBufferSize = kDownmixReadBuffer, info.decodeBufferSize = kDownmixDecodeBuffer;
  }
  SoundSample* ring = s->ringSample;
  const bool relayout = (ring->mode & kRingFormatBits) != (format & kRingFormatBits) ||
                        ((format & MultiChannel) && ring->channels != info.channels);
  // What can fail comes first, so a failure leaves the old entry in place (a new ring
  // layout, the last step, at worst stops the stream on its old layout).
  void *readBuffer, *decodeBuffer;
  const bool readOk = Reallocate(&s->readBuffer, s->readBufferSize, info.readBufferSize, &readBuffer);
  const bool decodeOk = Reallocate(&s->decodeBuffer, s->decodeBufferSize, info.decodeBufferSize, &decodeBuffer);
  bool ringOk = readOk && decodeOk;
  if (ringOk && relayout) {
    // The channels that play a ring are as many as its layout: a new layout starts over,
    // in the ring's own record (its old data freed first).
    Stream_StopCore(s);
    keepPlaying = FALSE;
    ringOk = SoundSample_Reshape(ring, format, info.channels) != FALSE;
    ring->pan = (ring->mode & Stereo) ? -1 : 128;
    SoundSample_SetLoopPoints(ring, 0, ring->length - 1);
    // Without the memory for even its old layout the ring holds nothing: the stream can
    // only be closed.
    if (ring->length == 0) s->ready = 0, s->failed = 1;
  }
  if (!ringOk) {
    if (readBuffer != s->readBuffer) SOUND_FREE(readBuffer);
    if (decodeBuffer != s->decodeBuffer) SOUND_FREE(decodeBuffer);
    SoundReaderInfo kept;
    FsbFormat_SelectEntry(bank, previous, s->mode, &kept);
    Stream_UnlockBoth();
    SoundError_Set(kSoundErrNoMemory);
    return false;
  }
  if (readBuffer != s->readBuffer) SOUND_FREE(s->readBuffer);
  if (decodeBuffer != s->decodeBuffer) SOUND_FREE(s->decodeBuffer);
  s->readBuffer = readBuffer;
  s->readBufferSize = info.readBufferSize;
  s->decodeBuffer = decodeBuffer;
  s->decodeBufferSize = info.decodeBufferSize;
  s->mode = (s->mode & ~(0x1F8u | MultiChannel | DownmixMono)) | format | (downmix ? DownmixMono : 0);

  const BankEntry* e = FsbFormat_Entry(bank, index);
  if (!keepPlaying) s->halfIndex = 0, s->decodedPending = s->decodedOffset = 0;
  Stream_TakeDataLayout(s, info);
  s->lengthSamples = e->lengthSamples;
  if (!s->playlist) s->lengthMs = static_cast<int>((static_cast<int64_t>(e->lengthSamples) * 1000 + 999) / e->rate);
  Stream_SetLoopPoints(s, e->loopStart, e->loopEnd);
  ring->frequency = e->rate;
  if (SoundChannel* ch = Stream_Channel(s)) ch->ops.setFrequency(ch, e->rate);
  if (bank->version == kBankVersionLargeHeader) {
    ring->volume = e->volume < 0 ? 0 : e->volume > 255 ? 255 : e->volume;
    ring->pan = e->pan < -1 ? -1 : e->pan > 255 ? 255 : e->pan;
    ring->priority = e->priority < 0 ? 0 : e->priority > 255 ? 255 : e->priority;
    ring->minDistance = e->minDistance;
    ring->maxDistance = e->maxDistance;
  }
  ring->name[0] = 0;
  SoundStr_AppendN(ring->name, e->name, kBankNameSize);
  // The new entry's points replace the old ones; without memory the list stays empty.
  SoundSyncPoint* tail = AuralSync_Tail(s->syncList);
  while (s->syncList->next != tail) {
    SoundSyncPoint* p = s->syncList->next;
    p->prev->next = p->next;
    p->next->prev = p->prev;
    SOUND_FREE(p);
  }
  s->syncCursor = s->syncList;
  FsbFormat_AddSyncPoints(bank, index, s->syncList);
  // A stream that plays on goes on with the new data once its queued half has played.
  if (keepPlaying) s->drainTime = -1, s->ended = 0;
  AuralStream_Reset(s, 0, TRUE, keepPlaying);
  if (!keepPlaying) s->needsReset = s->firstPlay = 0;
  Stream_UnlockBoth();
  return true;
}

BOOL AuralStream_SetSubStream(SoundStream* s, int index, BOOL force, BOOL keepPlaying) {
  SoundError_Begin();
  if (!Stream_IsListed(s)) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  // An open still under way takes the entry when it completes.
  if (!s->ready && !force && (s->pendingState & 1)) {
    s->requestedSubStream = index;
    return TRUE;
  }
  const BankState* bank = FsbFormat_IsBankStream(s) ? static_cast<const BankState*>(s->ringSample->user) : nullptr;
  if (!bank || index < 0 || index >= bank->entryCount || s->closing || s->pendingState) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  if (!keepPlaying) Stream_StopCore(s);
  if ((s->mode & LoadInBackground) && !force) {
    if (!SoundLoader_Start()) return FALSE;
    s->ready = 0;
    s->requestedSubStream = index;
    s->pendingState |= kPendingSubStream | (keepPlaying ? kPendingKeepPlaying : 0);
    s->pendingOpen.object = s;
    s->pendingOpen.kind = kSoundLoaderStream;
    s->pendingOpen.run = RunPendingSelect;
    return SoundLoader_Queue(&s->pendingOpen);
  }
  return Stream_SelectSubStream(s, index, keepPlaying) ? TRUE : FALSE;
}
