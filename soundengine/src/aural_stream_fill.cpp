// Filling the ring: the half refill, decoding file streams with loops and the end of
// data, seeking, priming and resetting, the play position and sync points.
#include <cstring>

#include "aural_engine.h"
#include "aural_sample.h"
#include "aural_stream_internal.h"
#include "sound_software.h"
#include "system_file.h"

namespace {

constexpr int kCpuWeight = 80;
// Reader calls in a row that bring nothing without reporting the end; then the data
// counts as ended, so a broken reader cannot hold the streamer.
constexpr int kMaxEmptyDecodes = 8;

// Bytes of one frame of the ring as it is locked (interleaved for multi-channel rings).
int RingFrameBytes(const SoundSample* ring) {
  if (!(ring->mode & SoundMode::MultiChannel)) return SoundSample_FrameBytes(ring->mode);
  return ((ring->mode & SoundMode::Pcm16) ? 2 : 1) * (ring->channels > 0 ? ring->channels : 1);
}

// Records, for every history entry that starts inside the ring range, which stream
// position (and loop pass) it holds.
void MarkHistory(SoundStream* s, int ringSample, int samples) {
  if (!s->history || s->historyStep <= 0 || samples <= 0) return;
  const int step = s->historyStep;
  for (int k = (ringSample + step - 1) / step * step; k < ringSample + samples; k += step) {
    const int e = k / step;
    if (e >= s->historyEntries) break;
    s->history[e].position = s->decodePosition + (k - ringSample);
    s->history[e].pass = s->loopPass;
  }
}

void MakeSigned(SoundStream* s, uint8_t* p, int bytes) {
  if (!(s->mode & SoundMode::Unsigned)) return;
  if (s->mode & SoundMode::Pcm16) {
    auto* v = reinterpret_cast<uint16_t*>(p);
    for (int i = 0; i < bytes / 2; ++i) v[i] = static_cast<uint16_t>(v[i] - 0x8000);
  } else {
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(p[i] - 128);
  }
}

int RingSampleIndex(SoundStream* s, const void* buffer) {
  const SoundSample* ring = s->ringSample;
  // Multi-channel rings are locked through an interleaved window that starts at the
  // lock offset.
  if ((ring->mode & SoundMode::MultiChannel) && ring->lockBuffer) {
    const int64_t at = ring->lockOffset + (static_cast<const uint8_t*>(buffer) - static_cast<const uint8_t*>(ring->lockBuffer));
    return ring->length > 0 ? static_cast<int>(at / RingFrameBytes(ring) % ring->length) : 0;
  }
  return static_cast<int>((static_cast<const uint8_t*>(buffer) - static_cast<const uint8_t*>(ring->data)) /
                          RingFrameBytes(ring));
}

int HalfRingMs(const SoundStream* s) {
  const SoundSample* ring = s->ringSample;
  const int rate = ring->frequency > 0 ? ring->frequency : 1;
  return static_cast<int>((static_cast<int64_t>(ring->length) * 1000 + 999) / rate / 2);
}

// Decodes into the pending buffer (mixing stereo down when asked); false at the end.
bool DecodeToPending(SoundStream* s) {
  int n = s->decodeBufferSize;
  const BOOL more = s->readerDecode(s, s->readBuffer, s->readBufferSize, s->decodeBuffer, &n);
  if (n < 0) n = 0;
  if (n > s->decodeBufferSize) n = s->decodeBufferSize;
  if (s->mode & SoundMode::DownmixMono) {
    const int frames = n / (((s->mode & SoundMode::Pcm16) ? 2 : 1) * 2);
    SoundConv_StereoToMono(s->decodeBuffer, s->decodeBuffer, frames, s->mode);
    n = frames * Stream_FrameBytes(s);
  }
  s->decodedPending = n;
  s->decodedOffset = 0;
  return more != FALSE;
}

// The stream's own units over a filled half (in the ring's format, interleaved), in
// list order, each handed what the one before returned.
void RunDspUnits(SoundStream* s, void* half, int frames) {
  void* previous = half;
  for (SoundLink* l = s->dspUnits.next; l && l != &s->dspUnits; l = l->next) {
    auto* unit = reinterpret_cast<SoundDspUnit*>(l);
    if (unit->active && unit->callback) previous = unit->callback(half, previous, frames, unit->userData);
  }
}

}  // namespace

int AuralStream_BytesToSamples(int bytes, uint32_t mode, int channels) {
  using namespace SoundMode;
  int64_t s = (mode & Block28)     ? static_cast<int64_t>(bytes) * 28 / 16
              : (mode & ImaAdpcm)  ? static_cast<int64_t>(bytes) * 64 / 36
              : (mode & Block14)   ? static_cast<int64_t>(bytes) * 14 / 8
              : (mode & Pcm16)     ? bytes / 2
                                   : bytes;
  if (mode & Stereo)
    s /= 2;
  else if ((mode & MultiChannel) && channels > 0)
    s /= channels;
  return static_cast<int>(s);
}

int AuralStream_SamplesToBytes(int samples, uint32_t mode, int channels) {
  using namespace SoundMode;
  int64_t b = samples;
  if (mode & Stereo)
    b *= 2;
  else if ((mode & MultiChannel) && channels > 0)
    b *= channels;
  b = (mode & Block28)    ? b * 16 / 28
      : (mode & ImaAdpcm) ? b * 36 / 64
      : (mode & Block14)  ? b * 8 / 14
      : (mode & Pcm16)    ? b * 2
                          : b;
  return b > INT32_MAX ? INT32_MAX : static_cast<int>(b);
}

int Stream_FrameBytes(const SoundStream* s) {
  const int channels = s->ringSample ? s->ringSample->channels : 1;
  const int fb = AuralStream_SamplesToBytes(1, s->mode & ~(SoundMode::Block28 | SoundMode::ImaAdpcm | SoundMode::Block14), channels);
  return fb > 0 ? fb : 1;
}

void Stream_FillHalf(SoundStream* s) {
  SoundSample* ring = s->ringSample;
  const int halfBytes = ring->length / 2 * RingFrameBytes(ring);
  void *p1, *p2;
  uint32_t l1, l2;
  if (!SoundSample_Lock(ring, s->halfIndex * halfBytes, halfBytes, &p1, &l1, &p2, &l2) || !p1) return;
  if (s->drainTime == -1) {
    if (!s->fillCallback(s, p1, static_cast<int>(l1), s->fillUserData)) s->ended = 1;
  } else {
    std::memset(p1, 0, l1);
    MarkHistory(s, RingSampleIndex(s, p1), static_cast<int>(l1) / RingFrameBytes(ring));
  }
  RunDspUnits(s, p1, static_cast<int>(l1) / RingFrameBytes(ring));
  SoundSample_Unlock(ring, p1, l1, p2, l2);
  s->halfIndex ^= 1;
}

BOOL AuralStream_DecodeFill(SoundStream* s, void* buffer, int bytes, void* /*userData*/) {
  using namespace SoundMode;
  auto* out = static_cast<uint8_t*>(buffer);
  const int fb = Stream_FrameBytes(s);
  const int ringBase = RingSampleIndex(s, buffer);
  int written = 0, emptyDecodes = 0;
  bool ended = false;
  while (written < bytes) {
    int want = bytes - written;
    const bool looping = (s->mode & (LoopForward | LoopPingPong)) && s->loopCount != 0 && !(s->mode & Block28);
    bool atLoopEnd = false;
    if (looping && s->loopEnd > s->loopStart) {
      // The cut cannot go below 0 even when the position stands past the loop end.
      int64_t toEnd = (static_cast<int64_t>(s->loopEnd) + 1 - s->decodePosition) * fb;
      if (toEnd < 0) toEnd = 0;
      if (want >= toEnd) want = static_cast<int>(toEnd), atLoopEnd = true;
    }
    int produced = 0;
    if (want > 0 && !s->readerDone) {
      const bool buffered = s->decodeBuffer && (want < s->decodeBufferSize || (s->mode & DownmixMono) || s->skipBytes > 0);
      if (s->decodedPending == 0 && buffered) {
        if (!DecodeToPending(s)) s->readerDone = 1;
      } else if (s->decodedPending == 0) {
        int n = want;
        if (!s->readerDecode(s, s->readBuffer, s->readBufferSize, out + written, &n)) s->readerDone = 1;
        produced = n < 0 ? 0 : n > want ? want : n;
      }
    }
    if (s->decodedPending > 0 && want > 0) {
      const int drop = s->skipBytes < s->decodedPending ? s->skipBytes : s->decodedPending;
      s->skipBytes -= drop;
      s->decodedPending -= drop;
      s->decodedOffset += drop;
      const int take = s->decodedPending < want ? s->decodedPending : want;
      std::memcpy(out + written, static_cast<uint8_t*>(s->decodeBuffer) + s->decodedOffset, take);
      s->decodedPending -= take;
      s->decodedOffset += take;
      produced = take;
    }
    produced = produced / fb * fb;
    MakeSigned(s, out + written, produced);
    MarkHistory(s, ringBase + written / fb, produced / fb);
    s->decodePosition += produced / fb;
    written += produced;
    if (produced > 0) s->producedThisPass = (s->producedThisPass < 0 ? 0 : s->producedThisPass) + produced;
    emptyDecodes = produced > 0 ? 0 : emptyDecodes + 1;

    const bool dataEnded = s->readerDone && s->decodedPending == 0;
    const bool passEnded = atLoopEnd && s->decodePosition > s->loopEnd;
    if (passEnded || (dataEnded && looping && !s->file->readError && !s->readShort)) {
      // A whole pass between two wraps that brought nothing would loop for ever. (The
      // first wrap after a prime may come at once: a seek past the loop end.)
      if (s->producedThisPass == 0) {
        ended = true;
        break;
      }
      AuralStream_SeekInternal(s, 2, s->loopEnd > s->loopStart ? s->loopStart : 0, FALSE);
      if (s->loopCount != -1) --s->loopCount;
      ++s->loopPass;
      s->producedThisPass = 0;
      continue;
    }
    if (dataEnded || emptyDecodes > kMaxEmptyDecodes) {
      ended = true;
      break;
    }
  }
  if (ended) {
    std::memset(out + written, 0, bytes - written);
    if (s->mode & Block28) {
      s->drainTime = 0;
    } else {
      const int half = HalfRingMs(s);
      int64_t ms = bytes > 0 ? static_cast<int64_t>(half) * written / bytes : 0;
      if (!s->priming) ms += half;
      if (SoundTables.primaryChannel) ms += SoundEngine.bufferMs;
      s->drainTime = static_cast<int32_t>(ms * 256);
    }
  }
  return TRUE;
}

BOOL AuralStream_SeekInternal(SoundStream* s, int unit, int value, BOOL moveCursor) {
  if (!s || !s->file || !s->ringSample) return FALSE;
  const int fb = Stream_FrameBytes(s);
  const int rate = s->ringSample->frequency > 0 ? s->ringSample->frequency : 1;
  int64_t target = unit == 1 ? static_cast<int64_t>(value) * rate / 1000 : unit == 2 ? value : value / fb;
  if (target < 0 || target >= s->lengthSamples) target = 0;
  // Whole blocks of the file, then the decoded frames before the target are dropped,
  // so compressed data lands on the exact frame too.
  if (s->readerSeek) {
    const int skip = s->readerSeek(s, static_cast<int>(target));
    s->skipBytes = skip > 0 ? skip : 0;
  } else {
    const int spb = s->samplesPerBlock > 0 ? s->samplesPerBlock : 1;
    int64_t block = target / spb;
    int64_t offset = block * s->blockAlign;
    if (offset >= s->dataBytes) offset = 0, block = 0, target = 0;
    AuralFile_Seek(s->file, static_cast<int>(s->dataOffset + offset), 0);
    s->skipBytes = static_cast<int32_t>((target - block * spb) * fb);
  }
  s->decodedPending = s->decodedOffset = 0;
  s->readerDone = 0;
  s->decodePosition = static_cast<int32_t>(target);
  if (moveCursor && s->syncList) s->syncCursor = AuralSync_SeekCursor(s->syncList, static_cast<uint32_t>(target));
  return TRUE;
}

void AuralStream_Prime(SoundStream* s) {
  s->priming = 1;
  if (SoundChannel* ch = Stream_Channel(s)) ch->ops.setPosition(ch, 0);
  SoundSample* ring = s->ringSample;
  void *p1, *p2;
  uint32_t l1, l2;
  // A half at a time: a multi-channel ring's lock window holds no more.
  const int halfBytes = ring->length / 2 * RingFrameBytes(ring);
  for (int half = 0; half < 2 && halfBytes > 0; ++half) {
    if (!SoundSample_Lock(ring, half * halfBytes, halfBytes, &p1, &l1, &p2, &l2)) continue;
    if (p1) std::memset(p1, 0, l1);
    if (p2) std::memset(p2, 0, l2);
    SoundSample_Unlock(ring, p1, l1, p2, l2);
  }
  if (s->readBuffer) std::memset(s->readBuffer, 0, s->readBufferSize);
  if (s->decodeBuffer) std::memset(s->decodeBuffer, 0, s->decodeBufferSize);
  if (s->readerReset) s->readerReset(ring->user);
  s->drainTime = -1;
  s->ended = 0;
  s->readShort = 0;
  s->halfIndex = 0;
  s->decodedPending = s->decodedOffset = 0;
  s->historyWrite = s->historyRemaining = 0;
  s->producedThisPass = -1;
  Stream_FillHalf(s);
  // Until the mixer has written its own, every tick entry is where the ring starts.
  if (s->tickHistory && s->history)
    for (int i = 0; i < s->tickEntries; ++i) s->tickHistory[i] = s->history[0];
  s->tickWrite = 0;
  s->priming = 0;
}

BOOL AuralStream_Reset(SoundStream* s, int /*unused*/, BOOL force, BOOL noPrime) {
  if (!s || (!s->ready && !force) || s->dataBytes == 0) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  SoundChannel* ch = Stream_Channel(s);
  const bool wasPaused = ch && (ch->flags & kChannelPaused);
  if (!noPrime) {
    if (ch) Aural_SetPaused(s->channel, TRUE);
    s->busy = 1;
  }
  const bool locked = !force && s->playing;
  if (locked) SoundLock_Enter(g_streamer.lock1);
  AuralStream_SeekInternal(s, 0, 0, TRUE);
  if (locked) SoundLock_Leave(g_streamer.lock1);
  if (noPrime) return TRUE;
  AuralStream_Prime(s);
  s->busy = 0;
  if (ch) Aural_SetPaused(s->channel, wasPaused);
  s->needsReset = 0;
  return TRUE;
}

namespace {

// The stream position of the sample the channel stands on, from the history ring.
int HistoryPosition(SoundStream* s, int* pass) {
  if (pass) *pass = s->loopPass;
  if (!s->history || s->historyStep <= 0 || s->historyEntries <= 0) return s->decodePosition;
  SoundChannel* ch = Stream_Channel(s);
  int position = ch ? ch->ops.getPosition(ch) : 0;
  if (position < 0) position = 0;
  int e = position / s->historyStep;
  if (e >= s->historyEntries) e = s->historyEntries - 1;
  if (pass) *pass = s->history[e].pass;
  return s->history[e].position + position % s->historyStep;
}

}  // namespace

int AuralStream_GetPlayPosition(SoundStream* s, int* pass) {
  if (s->ended) {
    if (pass) *pass = s->loopPass;
    return s->lengthSamples;
  }
  // With the software mixer the channel runs a buffer ahead of what is heard: the
  // oldest tick entry is the block playing now.
  if (s->tickHistory && s->tickEntries > 0) {
    const SoundHistoryEntry& oldest = s->tickHistory[s->tickWrite % s->tickEntries];
    if (pass) *pass = oldest.pass;
    return oldest.position;
  }
  return HistoryPosition(s, pass);
}

void Stream_SyncCheck(SoundStream* s) {
  if (!s->syncList || !s->syncCursor) return;
  int pass = 0;
  const int position = AuralStream_GetPlayPosition(s, &pass);
  if (pass != s->lastSyncPass) {
    s->syncCursor = s->syncList;
    s->lastSyncPass = pass;
  }
  SoundSyncPoint* tail = AuralSync_Tail(s->syncList);
  while (s->syncCursor->next && s->syncCursor->next != tail &&
         s->syncCursor->next->offset <= static_cast<uint32_t>(position)) {
    s->syncCursor = s->syncCursor->next;
    if (s->syncCallback)
      s->syncCallback(s, s->syncCursor->name, static_cast<int>(s->syncCursor->offset), s->syncUserData);
  }
}

void* AuralStream_DspCallback(void* /*block*/, void* previous, int /*length*/, void* /*user*/) {
  StreamerState& st = g_streamer;
  if (!SoundEngine_IsNonRealtime()) Sleep(0);
  SoundLock_Enter(st.lock2);
  st.inDsp = 1;
  for (SoundStream* s = st.head.next; s && s != &st.head; s = s->next) {
    SoundChannel* ch = s->playing ? Stream_Channel(s) : nullptr;
    if (ch && !(ch->flags & kChannelPaused)) {
      Stream_SyncCheck(s);
      if (s->tickHistory && s->tickEntries > 0) {
        SoundHistoryEntry& e = s->tickHistory[s->tickWrite];
        e.position = HistoryPosition(s, &e.pass);
        s->tickWrite = (s->tickWrite + 1) % s->tickEntries;
      }
    } else {
      s->cpuUse = 0;
    }
  }
  st.inDsp = 0;
  SoundLock_Leave(st.lock2);
  return previous;
}
