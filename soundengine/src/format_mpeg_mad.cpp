// MPEG audio layers II and III through libmad: a header scan that wants two valid
// headers in a row, an exact frame count and offset table on request, frame-by-frame
// decoding for streams and whole-file decoding for samples.
//
// libmad is defensive only up to a point, so everything it gets is bounded here: it
// only ever sees our buffers with zeroed guard bytes behind them; layer I, free-format
// frames (whose size libmad has to guess) and frames whose rate or channel count differ
// from the first one are skipped before libmad decodes their bodies, and no frame is
// written past the room its caller gave.
#include "format_mpeg_mad.h"

#include <mad.h>

#include <cstring>

#include "aural_stream.h"
#include "format_wav.h"
#include "sound_alloc.h"
#include "sound_reader.h"

static constexpr char kSoundFileTag[] = "src/format_mpeg_mad";

struct MpegReaderState {
  int32_t firstFrameBytes;         // of the first frame, after its 4-byte header
  int32_t totalPcmBytes;           // exact, with a frame table only
  int32_t pcmBytesPerFrame;
  uint8_t needsRefill;
  uint8_t endGuarded;              // the guard bytes behind the data's end are in the buffer
  int32_t bufferedBytes;           // input held over from the last buffer
  int32_t halfRate;
  int32_t rate, channels;          // of the first frame: other frames are skipped
  int32_t frameCount, frameCapacity;
  uint32_t* frameTable;            // frame offsets from the data start (MpegFrameTable)
  mad_stream stream;
  mad_frame frame;
  mad_synth synth;
};

namespace {

constexpr int kScanTries = 4096;
constexpr int kHeaderWindow = 2048;
constexpr int kReadBufferBytes = 5000;
constexpr int kDecodeBufferBytes = 4608;
constexpr int kMaxFrameSamples = 1152;
constexpr int kDefaultMonoFrameBytes = 2304;
constexpr int kDefaultStereoFrameBytes = 4608;
constexpr int kTableGrowth = 4096;
constexpr int kMaxReservoir = 511;
// The smallest frame of layers II and III (8 kbit/s at 24 kHz): no more frames than
// this many bytes each fit the data.
constexpr int kMinFrameBytes = 24;
constexpr int kPcmShift = MAD_F_FRACBITS + 1 - 16;
// Frames and refills one decode call may go through before it hands back nothing; the
// stream asks again, so junk in the middle of a file cannot stall the streamer.
constexpr int kMaxDecodeTries = 64;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

enum class Frame { kOut, kSkipped, kNeedData };

int16_t Pcm(mad_fixed_t v) {
  v >>= kPcmShift;
  return static_cast<int16_t>(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
}

// Decodes the next frame of the buffer into `out` (at most `room` bytes).
Frame NextFrame(MpegReaderState* st, int16_t* out, int room, int* bytes) {
  *bytes = 0;
  mad_header& h = st->frame.header;
  if (mad_header_decode(&h, &st->stream) == -1)
    return st->stream.error == MAD_ERROR_BUFLEN ? Frame::kNeedData : Frame::kSkipped;
  if (h.layer == MAD_LAYER_I || (h.flags & MAD_FLAG_FREEFORMAT) || static_cast<int>(h.samplerate) != st->rate ||
      static_cast<int>(MAD_NCHANNELS(&h)) != st->channels) {
    h.flags &= ~MAD_FLAG_INCOMPLETE;
    return Frame::kSkipped;
  }
  if (mad_frame_decode(&st->frame, &st->stream) == -1) {
    if (st->stream.error == MAD_ERROR_BUFLEN) return Frame::kNeedData;
    // A frame whose bit reservoir lies before the buffer (the first after a seek) still
    // takes its time: it plays as silence, so positions stay exact.
    if (st->stream.error != MAD_ERROR_BADDATAPTR) return Frame::kSkipped;
    mad_frame_mute(&st->frame);
  }
  if (st->halfRate) st->frame.options |= MAD_OPTION_HALFSAMPLERATE;
  mad_synth_frame(&st->synth, &st->frame);
  const mad_pcm& pcm = st->synth.pcm;
  const int channels = pcm.channels == 2 ? 2 : 1;
  int samples = pcm.length > kMaxFrameSamples ? kMaxFrameSamples : pcm.length;
  if (samples * channels * 2 > room) samples = room / (channels * 2);
  for (int i = 0; i < samples; ++i)
    for (int c = 0; c < channels; ++c) *out++ = Pcm(pcm.samples[c][i]);
  *bytes = samples * channels * 2;
  return Frame::kOut;
}

void InitDecoder(MpegReaderState* st) {
  mad_stream_init(&st->stream);
  mad_frame_init(&st->frame);
  mad_synth_init(&st->synth);
}

void FinishDecoder(MpegReaderState* st) {
  mad_synth_finish(&st->synth);
  mad_frame_finish(&st->frame);
  mad_stream_finish(&st->stream);
}

void FreeState(MpegReaderState* st) {
  if (!st) return;
  FinishDecoder(st);
  SOUND_FREE(st->frameTable);
  SOUND_FREE(st);
}

bool AddFrame(MpegReaderState* st, uint32_t offset) {
  if (st->frameCount == st->frameCapacity) {
    const int grown = st->frameCapacity + kTableGrowth;
    auto* t = static_cast<uint32_t*>(SoundMem_Realloc(st->frameTable, sizeof(uint32_t) * grown, kSoundFileTag));
    if (!t) return false;
    st->frameTable = t;
    st->frameCapacity = grown;
  }
  st->frameTable[st->frameCount++] = offset;
  return true;
}

// Reads 4 bytes at `pos` through a window of the file, so scans do not seek per byte.
struct ByteWindow {
  SoundFile* f;
  int64_t base;                    // file offset of pos 0
  uint8_t buffer[4096];
  int64_t start = -1;
  int length = 0;
  bool Four(int64_t pos, uint8_t* four) {
    if (start < 0 || pos < start || pos + 4 > start + length) {
      if (base + pos > INT32_MAX) return false;
      AuralFile_Seek(f, static_cast<int>(base + pos), 0);
      length = AuralFile_Read(buffer, 1, sizeof buffer, f);
      start = pos;
      if (length < 4) {
        start = -1;
        return false;
      }
    }
    std::memcpy(four, buffer + (pos - start), 4);
    return true;
  }
};

uint32_t U32Big(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | p[2] << 8 | p[3];
}

// An encoder's information frame ("Xing" for a variable, "Info" for a constant bit rate):
// a layer III frame without audio, its tag right behind the side information. `frame`
// holds the whole frame. Its count of audio frames, when it has one, goes to `frames`
// (0 otherwise).
bool IsInfoFrame(const uint8_t* frame, int bytes, uint32_t* frames) {
  *frames = 0;
  if (4 - ((frame[1] >> 1) & 3) != 3) return false;
  const bool mpeg1 = (frame[1] & 0x18) == 0x18;
  const bool mono = (frame[3] & 0xC0) == 0xC0;
  const bool crc = (frame[1] & 1) == 0;
  const int at = 4 + (crc ? 2 : 0) + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
  if (at + 12 > bytes || (std::memcmp(frame + at, "Xing", 4) != 0 && std::memcmp(frame + at, "Info", 4) != 0))
    return false;
  if (U32Big(frame + at + 4) & 1) *frames = U32Big(frame + at + 8);
  return true;
}

bool SameStream(const MpegReaderState* st, int rate, int channels) {
  return !st->rate || (rate == st->rate && channels == st->channels);
}

// The PCM bytes a frame with this header decodes to: 1152 samples a channel, 576 for
// layer III at the rates of MPEG-2 and 2.5; half of them at half rate.
int FramePcmBytes(const uint8_t* four, int channels, bool halfRate) {
  const bool layer3 = ((four[1] >> 1) & 3) == 1, lowRates = (four[1] & 0x08) == 0;
  const int samples = (layer3 && lowRates ? kMaxFrameSamples / 2 : kMaxFrameSamples) / (halfRate ? 2 : 1);
  return samples * channels * 2;
}

}  // namespace

BOOL MpegFormat_CheckHeader(MpegReaderState* st, const uint8_t* four, int* rate, int* channels, int* frameBytes) {
  if (four[0] != 0xFF || (four[1] & 0xE0) != 0xE0) return FALSE;
  const int layer = 4 - ((four[1] >> 1) & 3);
  if (layer != 2 && layer != 3) return FALSE;
  uint8_t window[kHeaderWindow + MAD_BUFFER_GUARD] = {};
  std::memcpy(window, four, 4);
  mad_stream ms;
  mad_header h;
  mad_stream_init(&ms);
  mad_header_init(&h);
  mad_stream_buffer(&ms, window, sizeof window);
  const bool ok = mad_header_decode(&h, &ms) == 0 && !(h.flags & MAD_FLAG_FREEFORMAT) && ms.this_frame == window;
  const int bytes = ok ? static_cast<int>(ms.next_frame - ms.this_frame) - 4 : 0;
  mad_stream_finish(&ms);
  if (!ok || bytes <= 0) return FALSE;
  if (rate) *rate = static_cast<int>(h.samplerate);
  if (channels) *channels = h.mode == MAD_MODE_SINGLE_CHANNEL ? 1 : 2;
  if (frameBytes) *frameBytes = bytes;
  if (st) st->firstFrameBytes = bytes;
  return TRUE;
}

int MpegFormat_CountFrames(SoundFile* f, int dataBytes, MpegReaderState* st, bool table) {
  const int from = AuralFile_Tell(f);
  auto* window = static_cast<ByteWindow*>(SOUND_CALLOC(sizeof(ByteWindow)));
  if (!window) {
    SoundError_Set(kSoundErrNoMemory);
    return 0;
  }
  window->f = f;
  window->base = from;
  window->start = -1;
  int64_t total = 0;
  bool failed = false;
  for (int64_t pos = 0; pos + 4 <= dataBytes;) {
    uint8_t four[4];
    if (!window->Four(pos, four)) break;
    int rate = 0, channels = 0, frameBytes = 0;
    if (MpegFormat_CheckHeader(nullptr, four, &rate, &channels, &frameBytes) && SameStream(st, rate, channels) &&
        pos + 4 + frameBytes <= dataBytes) {
      if (table && !AddFrame(st, static_cast<uint32_t>(pos))) {
        failed = true;
        break;
      }
      total += FramePcmBytes(four, channels, st->halfRate != 0);
      pos += 4 + frameBytes;
    } else {
      ++pos;
    }
  }
  SOUND_FREE(window);
  AuralFile_Seek(f, from, 0);
  if (failed) {
    SoundError_Set(kSoundErrNoMemory);
    return 0;
  }
  return total > INT32_MAX ? INT32_MAX : static_cast<int>(total);
}

void MpegFormat_Reset(void* state) {
  auto* st = static_cast<MpegReaderState*>(state);
  if (!st) return;
  mad_frame_mute(&st->frame);
  mad_synth_mute(&st->synth);
  mad_frame_mute(&st->frame);
  mad_synth_mute(&st->synth);
  // A fresh stream record: no reservoir, no options, no position in an old buffer.
  mad_stream_finish(&st->stream);
  mad_stream_init(&st->stream);
  st->needsRefill = 1;
  st->endGuarded = 0;
  st->bufferedBytes = 0;
}

BOOL MpegFormat_Open(SoundFile* f, uint32_t mode, SoundReaderInfo* info, SoundSyncPoint* syncList) {
  using namespace SoundMode;
  auto* st = static_cast<MpegReaderState*>(SOUND_CALLOC(sizeof(MpegReaderState)));
  if (!st) {
    SoundError_Set(kSoundErrNoMemory);
    return FALSE;
  }
  InitDecoder(st);
  const auto fail = [st](int32_t error) {
    FreeState(st);
    SoundError_Set(error);
    return FALSE;
  };

  // MPEG data may come wrapped in RIFF. The WAV reader ran first and already took the
  // file's cue points: they are only collected here when nobody has.
  AuralFile_Seek(f, 0, 0);
  const int fileSize = SoundReader_FileLength(f);
  const bool syncEmpty = syncList && syncList->next == AuralSync_Tail(syncList);
  WavFormatBlock format;
  int dataOffset = 0, dataBytes = 0;
  int loop[2] = {0, 0};
  const bool riff = WavFormat_ReadChunks(f, &format, &dataOffset, &dataBytes, nullptr,
                                         syncEmpty ? syncList : nullptr, loop) != FALSE;
  if (riff) {
    int tag = U16(format.bytes);
    if (tag == kWavTagExtensible && format.size >= 26) tag = U16(format.bytes + 24);
    if (tag != kWavTagMpeg && tag != kWavTagMpegLayer3) return fail(kSoundErrUnknownFormat);
  } else {
    dataOffset = 0;
    dataBytes = fileSize;
  }
  // A declared size is never trusted beyond the file.
  if (dataOffset < 0 || dataOffset >= fileSize) return fail(kSoundErrUnknownFormat);
  if (dataBytes > fileSize - dataOffset) dataBytes = fileSize - dataOffset;
  const int64_t dataEnd = static_cast<int64_t>(dataOffset) + dataBytes;

  int64_t first = -1;
  int rate = 0, channels = 0, frameBytes = 0;
  for (int i = 0; i < kScanTries && dataOffset + i + 4 <= dataEnd && first < 0; ++i) {
    const int x = dataOffset + i;
    uint8_t four[4];
    AuralFile_Seek(f, x, 0);
    if (AuralFile_Read(four, 1, 4, f) != 4) return fail(kSoundErrReadError);
    if (!MpegFormat_CheckHeader(st, four, &rate, &channels, &frameBytes)) continue;
    const int64_t next = static_cast<int64_t>(x) + 4 + frameBytes;
    if (next + 4 > dataEnd) continue;
    AuralFile_Seek(f, static_cast<int>(next), 0);
    if (AuralFile_Read(four, 1, 4, f) != 4) return fail(kSoundErrReadError);
    int rate2 = 0, channels2 = 0, bytes2 = 0;
    if (MpegFormat_CheckHeader(nullptr, four, &rate2, &channels2, &bytes2)) first = x;
  }
  if (first < 0) return fail(kSoundErrUnknownFormat);

  // The information frame is no audio: the data starts behind it (the scan found a
  // valid header there), and its frame count gives the length.
  uint32_t infoFrames = 0;
  {
    auto* frame = static_cast<uint8_t*>(SOUND_CALLOC(static_cast<size_t>(frameBytes) + 4));
    if (!frame) return fail(kSoundErrNoMemory);
    AuralFile_Seek(f, static_cast<int>(first), 0);
    const bool info = AuralFile_Read(frame, 1, frameBytes + 4, f) == frameBytes + 4 &&
                      IsInfoFrame(frame, frameBytes + 4, &infoFrames);
    SOUND_FREE(frame);
    uint8_t four[4];
    if (info) {
      first += 4 + frameBytes;
      AuralFile_Seek(f, static_cast<int>(first), 0);
      if (AuralFile_Read(four, 1, 4, f) != 4 || !MpegFormat_CheckHeader(st, four, &rate, &channels, &frameBytes))
        return fail(kSoundErrUnknownFormat);
    }
  }
  st->firstFrameBytes = frameBytes;
  st->rate = rate;
  st->channels = channels;
  st->halfRate = (mode & HalfRateMpeg) ? 1 : 0;

  // One frame decoded gives the PCM bytes per frame.
  {
    const int64_t avail = dataEnd - first;
    const int want = static_cast<int>(avail < (frameBytes + 4) * 2 ? avail : (frameBytes + 4) * 2);
    auto* buffer = static_cast<uint8_t*>(SOUND_CALLOC(want + MAD_BUFFER_GUARD));
    if (!buffer) return fail(kSoundErrNoMemory);
    AuralFile_Seek(f, static_cast<int>(first), 0);
    const int got = AuralFile_Read(buffer, 1, want, f);
    int bytes = 0;
    if (got > 0) {
      mad_stream_buffer(&st->stream, buffer, got + MAD_BUFFER_GUARD);
      int16_t pcm[kMaxFrameSamples * 2];
      for (int tries = 0; tries < 4; ++tries)
        if (NextFrame(st, pcm, sizeof pcm, &bytes) != Frame::kSkipped) break;
    }
    mad_stream_finish(&st->stream);
    mad_stream_init(&st->stream);
    SOUND_FREE(buffer);
    st->pcmBytesPerFrame = bytes > 0 ? bytes : channels == 1 ? kDefaultMonoFrameBytes : kDefaultStereoFrameBytes;
  }

  const int bytesAfterFirst = static_cast<int>(dataEnd - first);
  int decoded;
  if (mode & MpegFrameTable) {
    AuralFile_Seek(f, static_cast<int>(first), 0);
    decoded = MpegFormat_CountFrames(f, bytesAfterFirst, st, true);
    if (decoded <= 0) return fail(SoundError == kSoundErrNoMemory ? kSoundErrNoMemory : kSoundErrUnknownFormat);
    st->totalPcmBytes = decoded;
  } else if (infoFrames > 0 && infoFrames <= static_cast<uint32_t>(bytesAfterFirst / kMinFrameBytes)) {
    const int64_t counted = static_cast<int64_t>(infoFrames) * st->pcmBytesPerFrame;
    decoded = counted > INT32_MAX ? INT32_MAX : static_cast<int>(counted);
  } else {
    const int average = (frameBytes + 5) & ~1;
    const double estimate = static_cast<double>(st->pcmBytesPerFrame) / average * bytesAfterFirst;
    decoded = estimate > INT32_MAX ? INT32_MAX : static_cast<int>(estimate);
  }

  *info = SoundReaderInfo{};
  info->mode = (mode & ~0x1F8u) | Pcm16 | Signed | (channels == 1 ? Mono : Stereo);
  info->rate = st->halfRate ? rate / 2 : rate;
  info->dataOffset = static_cast<int>(first);
  info->dataBytes = bytesAfterFirst;
  info->decodedBytes = decoded;
  info->blockAlign = channels * 2;
  info->samplesPerBlock = 1;
  info->channels = channels;
  info->state = st;
  info->decode = MpegFormat_Decode;
  info->close = MpegFormat_Close;
  info->reset = MpegFormat_Reset;
  info->seek = MpegFormat_Seek;
  info->readBufferSize = kReadBufferBytes;
  info->decodeBufferSize = kDecodeBufferBytes;
  info->loopStart = loop[0];
  info->loopEnd = loop[1];
  const double samples = decoded / 2.0 / channels;
  info->lengthMs = static_cast<int>(samples / info->rate * 1000.0);
  MpegFormat_Reset(st);
  return TRUE;
}

BOOL MpegFormat_Decode(SoundStream* s, void* readBuffer, int readBufferSize, void* output, int* byteCount) {
  auto* st = static_cast<MpegReaderState*>(s->ringSample ? s->ringSample->user : nullptr);
  const int room = *byteCount;
  *byteCount = 0;
  auto* buffer = static_cast<uint8_t*>(readBuffer);
  // File bytes go below the guard, which stays free for the zeros behind the data's end.
  const int capacity = readBufferSize - MAD_BUFFER_GUARD;
  if (!st || !buffer || capacity <= 0 || room <= 0) return FALSE;
  for (int tries = 0; tries < kMaxDecodeTries; ++tries) {
    if (st->needsRefill) {
      if (st->endGuarded) return FALSE;
      const int64_t remaining = static_cast<int64_t>(s->dataOffset) + s->dataBytes - AuralFile_Tell(s->file);
      int want = capacity - st->bufferedBytes;
      if (want > remaining) want = remaining < 0 ? 0 : static_cast<int>(remaining);
      int got = want > 0 ? AuralFile_Read(buffer + st->bufferedBytes, 1, want, s->file) : 0;
      if (got < 0) got = 0;
      if (got == 0 && st->bufferedBytes == 0) return FALSE;
      int total = st->bufferedBytes + got;
      if (got < want || got == remaining) {
        std::memset(buffer + total, 0, MAD_BUFFER_GUARD);
        total += MAD_BUFFER_GUARD;
        st->endGuarded = 1;
      }
      mad_stream_buffer(&st->stream, buffer, total);
      st->needsRefill = 0;
    }
    int bytes = 0;
    const Frame r = NextFrame(st, static_cast<int16_t*>(output), room, &bytes);
    if (r == Frame::kOut) {
      *byteCount = bytes;
      return TRUE;
    }
    if (r == Frame::kNeedData) {
      if (st->endGuarded) return FALSE;
      // The start of the next frame is kept; a remainder that could never become a
      // frame in this buffer is dropped.
      const uint8_t* from = st->stream.next_frame ? st->stream.next_frame : st->stream.bufend;
      int keep = static_cast<int>(st->stream.bufend - from);
      if (keep < 0 || keep >= capacity / 2) keep = 0;
      if (keep > 0) std::memmove(buffer, from, keep);
      st->bufferedBytes = keep;
      st->needsRefill = 1;
    }
  }
  return TRUE;
}

int MpegFormat_Seek(SoundStream* s, int target) {
  auto* st = static_cast<MpegReaderState*>(s->ringSample ? s->ringSample->user : nullptr);
  if (!st || st->pcmBytesPerFrame <= 0) return 0;
  const int64_t ppf = st->pcmBytesPerFrame;
  const int64_t bytes = static_cast<int64_t>(target) * st->channels * 2;
  const int64_t frame = bytes / ppf;
  // Frames before the target warm the decoder up again: two for the filter banks, and
  // as many as the bit reservoir (up to 511 bytes) may reach back over.
  const int64_t warmUp = 2 + (kMaxReservoir + st->firstFrameBytes + 3) / (st->firstFrameBytes + 4);
  int64_t start = frame >= warmUp ? frame - warmUp : 0;
  int64_t offset;
  if (st->frameCount > 0) {
    if (start >= st->frameCount) start = st->frameCount - 1;
    offset = st->frameTable[start];
  } else {
    const int64_t frames = s->decodedBytes / ppf;
    offset = frames > 0 ? start * s->dataBytes / frames : 0;
  }
  if (offset >= s->dataBytes) offset = 0, start = 0;
  AuralFile_Seek(s->file, static_cast<int>(s->dataOffset + offset), 0);
  MpegFormat_Reset(st);
  const int64_t skip = bytes - start * ppf;
  return skip > INT32_MAX ? INT32_MAX : static_cast<int>(skip);
}

void MpegFormat_Close(void* state) { FreeState(static_cast<MpegReaderState*>(state)); }

SoundSample* MpegFormat_LoadSample(int index, SoundFile* f, uint32_t mode, int* error) {
  SoundReaderInfo info = {};
  if (!MpegFormat_Open(f, mode, &info, nullptr)) {
    *error = SoundError;
    return nullptr;
  }
  auto* st = static_cast<MpegReaderState*>(info.state);
  const auto fail = [&](int32_t code, SoundSample* s, void* buffer) -> SoundSample* {
    if (s) SoundSample_Free(s);
    SOUND_FREE(buffer);
    FreeState(st);
    SoundError_Set(code);
    *error = code;
    return nullptr;
  };
  int decoded = st->totalPcmBytes;
  if (decoded <= 0) {
    AuralFile_Seek(f, info.dataOffset, 0);
    decoded = MpegFormat_CountFrames(f, info.dataBytes, st, false);
    if (decoded <= 0) return fail(SoundError == kSoundErrNoMemory ? kSoundErrNoMemory : kSoundErrUnknownFormat, nullptr, nullptr);
  }
  const int frameBytes = st->channels * 2;
  SoundSample* s = SoundReader_AllocSample(index, decoded / frameBytes, info.mode, info.rate);
  if (!s) return fail(SoundError ? SoundError : kSoundErrNoMemory, nullptr, nullptr);
  s->user = st;
  // The whole data with libmad's guard behind it; the size was cut to the file at open.
  auto* buffer = static_cast<uint8_t*>(SOUND_CALLOC(static_cast<size_t>(info.dataBytes) + MAD_BUFFER_GUARD));
  if (!buffer) return fail(kSoundErrNoMemory, s, nullptr);
  AuralFile_Seek(f, info.dataOffset, 0);
  if (AuralFile_Read(buffer, 1, info.dataBytes, f) != info.dataBytes) return fail(kSoundErrReadError, s, buffer);
  mad_stream_buffer(&st->stream, buffer, static_cast<unsigned long>(info.dataBytes) + MAD_BUFFER_GUARD);

  void *p1, *p2;
  uint32_t l1, l2;
  const int total = s->length * frameBytes;
  if (SoundSample_Lock(s, 0, total, &p1, &l1, &p2, &l2) && p1) {
    auto* out = static_cast<uint8_t*>(p1);
    int written = 0;
    // Every round moves libmad forward by at least a byte.
    for (int64_t round = 0; round <= info.dataBytes && written < static_cast<int>(l1); ++round) {
      int bytes = 0;
      const Frame r = NextFrame(st, reinterpret_cast<int16_t*>(out + written), static_cast<int>(l1) - written, &bytes);
      if (r == Frame::kNeedData) break;
      written += bytes;
    }
    SoundSample_Unlock(s, p1, l1, p2, l2);
  }
  s->user = nullptr;
  SoundReader_ApplyLoop(s, mode, info.loopStart, info.loopEnd);
  SOUND_FREE(buffer);
  FreeState(st);
  *error = kSoundErrNone;
  return s;
}
