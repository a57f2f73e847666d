// Ogg Vorbis through Tremor (the integer decoder): ov_open_callbacks over the engine's
// file layer, 16-bit PCM from ov_read, exact seeks by PCM sample.
#include "format_oggvorbis.h"

#include <ogg/ogg.h>
#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <cstring>

#include "aural_stream.h"
#include "aural_tag.h"
#include "format_oggvorbis_guard.h"
#include "sound_alloc.h"
#include "sound_load_budget.h"
#include "sound_reader.h"

static constexpr char kSoundFileTag[] = "src/format_oggvorbis";

// Tremor's and libogg's allocations: the build renames their malloc, calloc, realloc
// and free to these, so the decoder draws on the engine's allocator like the rest.
extern "C" {
void* SoundVorbis_Malloc(size_t size) { return SoundMem_Alloc(nullptr, size, kSoundFileTag); }
void* SoundVorbis_Calloc(size_t count, size_t size) {
  if (size != 0 && count > SIZE_MAX / size) return nullptr;
  return SoundMem_Calloc(count * size, kSoundFileTag, __LINE__);
}
// libogg grows a buffer by what each page adds to it (a packet's body and lacing, the
// page being read): a packet of many pages would be copied whole once a page, each copy
// into memory not touched before. A block that must grow takes half as much again as it
// asks, so it is copied a few times whatever the packet's length.
void* SoundVorbis_Realloc(void* block, size_t size) {
  if (!block) return SoundMem_Alloc(nullptr, size, kSoundFileTag);
  const auto* header = reinterpret_cast<const SoundMemHeader*>(static_cast<uint8_t*>(block) - kSoundMemHeaderSize);
  const size_t held = static_cast<size_t>(header->size);
  if (size <= held) return block;
  if (held <= SIZE_MAX / 3 && held + held / 2 > size)
    if (void* roomier = SoundMem_Realloc(block, held + held / 2, kSoundFileTag)) return roomier;
  return SoundMem_Realloc(block, size, kSoundFileTag);
}
void SoundVorbis_Free(void* block) { SoundMem_Free(block, kSoundFileTag, __LINE__); }
}

namespace {

constexpr int kMaxChannels = 2;
constexpr int64_t kNoLimit = INT64_MAX;
// What a load holds besides the decoder's tables and a sample's PCM: its records, the
// tags, and the decoder's page buffers, which hold up to half again a packet (as long as
// the file).
constexpr int64_t kLoadOverheadBytes = int64_t{1} << 20;
int64_t OverheadBytes(int64_t fileBytes) { return kLoadOverheadBytes + fileBytes + fileBytes / 2; }
// Comments past these are not made tags (encoders write a few dozen; each tag is
// appended at the end of its list).
constexpr int kMaxCommentTags = 1024;
constexpr int kPageReadBytes = 4096;
// What a sample may hold, decoder included, set by a song loading its samples from its
// budget; unset, a load may hold what its file's size allows.
thread_local int64_t g_sampleLimit = kNoLimit;

size_t Read(void* buffer, size_t size, size_t count, void* file) {
  const int got = AuralFile_Read(buffer, static_cast<int>(size), static_cast<int>(count), static_cast<SoundFile*>(file));
  return got > 0 ? static_cast<size_t>(got) : 0;
}

int Seek(void* file, ogg_int64_t offset, int whence) {
  return AuralFile_Seek(static_cast<SoundFile*>(file), static_cast<int>(offset), whence) < 0 ? -1 : 0;
}

long Tell(void* file) { return AuralFile_Tell(static_cast<SoundFile*>(file)); }

// The engine closes its files itself.
const ov_callbacks kCallbacks = {Read, Seek, nullptr, Tell};

// The reader's state: Tremor's decoder first, so the decoder is what the state points at.
struct OggState {
  OggVorbis_File vf;
  // Tremor builds a link's codebooks when it starts decoding the link; when that fails,
  // it keeps the half-built books and a second start would decode with them (a damaged
  // setup header divides by zero). A decoder that failed so is not called again.
  bool badLink;
  int64_t decoderBytes;  // what the decoder's headers and tables hold
};

OggState* StateOf(SoundStream* s) {
  return static_cast<OggState*>(s && s->ringSample ? s->ringSample->user : nullptr);
}

long DecoderRead(OggState* st, char* out, int room) {
  if (st->badLink) return OV_EBADLINK;
  int section = 0;
  const long got = ov_read(&st->vf, out, room, &section);
  if (got == OV_EBADLINK) st->badLink = true;
  return got;
}

int DecoderSeek(OggState* st, ogg_int64_t sample) {
  if (st->badLink) return OV_EBADLINK;
  const int result = ov_pcm_seek(&st->vf, sample);
  if (result == OV_EBADLINK) st->badLink = true;
  return result;
}

// Reads until `room` bytes are written or the decoder ends; the bytes written.
uint32_t DecodeInto(OggState* st, char* out, uint32_t room) {
  uint32_t done = 0;
  while (done < room) {
    const long got = DecoderRead(st, out + done, static_cast<int>(room - done));
    if (got <= 0) break;
    done += static_cast<uint32_t>(got);
  }
  return done;
}

// The frames the first link's audio packets make, from their block sizes alone (each
// packet after the first adds a quarter of its block and of the one before), as the
// decoder will make them, less what the last page trims. From the first audio page on,
// where the decoder starts: the headers, a long comment header too, are not read again.
// The file is left where it was.
int64_t CountFrames(OggVorbis_File* vf, SoundFile* f) {
  vorbis_info* vi = ov_info(vf, 0);
  if (!vi || !vf->dataoffsets || vf->dataoffsets[0] < 0 || vf->dataoffsets[0] > INT32_MAX) return 0;
  const int here = AuralFile_Tell(f);
  AuralFile_Seek(f, static_cast<int>(vf->dataoffsets[0]), 0);
  ogg_sync_state sync;
  ogg_stream_state stream;
  ogg_sync_init(&sync);
  ogg_stream_init(&stream, static_cast<int>(ov_serialnumber(vf, 0)));
  int64_t frames = 0;
  long last = -1;
  for (;;) {
    ogg_page page;
    const int found = ogg_sync_pageout(&sync, &page);
    if (found == 0) {
      char* buffer = ogg_sync_buffer(&sync, kPageReadBytes);
      const int got = buffer ? AuralFile_Read(buffer, 1, kPageReadBytes, f) : 0;
      if (got <= 0) break;
      ogg_sync_wrote(&sync, got);
      continue;
    }
    if (found < 0 || ogg_page_serialno(&page) != stream.serialno || ogg_stream_pagein(&stream, &page) != 0) continue;
    ogg_packet packet;
    for (int out; (out = ogg_stream_packetout(&stream, &packet)) != 0;) {
      const long block = out > 0 ? vorbis_packet_blocksize(vi, &packet) : -1;
      if (block <= 0) continue;  // a header, or a hole in the stream
      if (last > 0) frames += (last + block) / 4;
      last = block;
    }
  }
  ogg_stream_clear(&stream);
  ogg_sync_clear(&sync);
  AuralFile_Seek(f, here, 0);
  return frames;
}

}  // namespace

void OggFormat_Close(void* state) {
  auto* st = static_cast<OggState*>(state);
  if (!st) return;
  st->vf.datasource = nullptr;
  ov_clear(&st->vf);
  SOUND_FREE(st);
}

BOOL OggFormat_Open(SoundFile* f, uint32_t mode, SoundReaderInfo* info, SoundSyncPoint* /*syncList*/) {
  using namespace SoundMode;
  char magic[4];
  AuralFile_Seek(f, 0, 0);
  if (AuralFile_Read(magic, 1, 4, f) != 4 || std::memcmp(magic, "OggS", 4) != 0) {
    SoundError_Set(kSoundErrUnknownFormat);
    return FALSE;
  }
  auto* st = static_cast<OggState*>(SOUND_CALLOC(sizeof(OggState)));
  if (!st) {
    SoundError_Set(kSoundErrNoMemory);
    return FALSE;
  }
  const int dataBytes = SoundReader_FileLength(f);
  AuralFile_Seek(f, 0, 0);
  // The decoder's tables come out of what the load may hold: a setup header that asks
  // for more than encoders write is damaged data, one that asks for more than the load
  // has left is out of its memory.
  const int64_t limit = g_sampleLimit != kNoLimit ? g_sampleLimit : SoundLoad_Bound(dataBytes);
  VorbisHeaderGuard guard(limit - OverheadBytes(dataBytes));
  // A failed open clears the decoder itself.
  OggVorbis_File* vf = &st->vf;
  if (ov_open_callbacks(f, vf, nullptr, 0, kCallbacks) < 0) {
    SOUND_FREE(st);
    SoundError_Set(guard.Refused()         ? kSoundErrReadError
                   : guard.OverAllowance() ? kSoundErrNoMemory
                                           : kSoundErrUnknownFormat);
    return FALSE;
  }
  st->decoderBytes = guard.Cost();
  const vorbis_info* vi = ov_info(vf, -1);
  const ogg_int64_t pcm = ov_pcm_total(vf, 0);
  // The rate is checked before anything is sized from it (a stream's ring is).
  if (!vi || vi->channels < 1 || vi->channels > kMaxChannels || !SoundReader_PlayableRate(vi->rate) || pcm <= 0 ||
      pcm > INT32_MAX / 4) {
    OggFormat_Close(st);
    SoundError_Set(kSoundErrUnknownFormat);
    return FALSE;
  }
  SoundTag* tags = nullptr;
  if (const vorbis_comment* vc = ov_comment(vf, -1))
    SoundTag_AddComments(vc->user_comments, std::min(vc->comments, kMaxCommentTags), &tags);

  *info = SoundReaderInfo{};
  info->mode = (mode & ~0x1F8u) | Pcm16 | Signed | (vi->channels == 1 ? Mono : Stereo);
  info->rate = static_cast<int>(vi->rate);
  info->channels = vi->channels;
  info->dataOffset = static_cast<int>(vf->offset);
  info->dataBytes = dataBytes;
  info->decodedBytes = static_cast<int>(pcm) * vi->channels * 2;
  info->blockAlign = vi->channels * 2;
  info->samplesPerBlock = 1;
  info->state = st;
  info->decode = OggFormat_Decode;
  info->close = OggFormat_Close;
  info->seek = OggFormat_Seek;
  info->tags = tags;
  const ogg_int64_t ms = ov_time_total(vf, -1);
  info->lengthMs = ms < 0 ? -1 : ms > INT32_MAX ? INT32_MAX : static_cast<int>(ms);
  return TRUE;
}

BOOL OggFormat_Decode(SoundStream* s, void* /*readBuffer*/, int /*readBufferSize*/, void* output, int* byteCount) {
  OggState* st = StateOf(s);
  const int room = *byteCount;
  *byteCount = 0;
  if (!st || room <= 0) return FALSE;
  const long got = DecoderRead(st, static_cast<char*>(output), room);
  if (got <= 0) return FALSE;
  *byteCount = static_cast<int>(got > room ? room : got);
  return TRUE;
}

int OggFormat_Seek(SoundStream* s, int target) {
  OggState* st = StateOf(s);
  if (st && DecoderSeek(st, target) != 0) DecoderSeek(st, 0);
  return 0;
}

SoundSample* OggFormat_LoadSample(int index, SoundFile* f, uint32_t mode, int* error) {
  SoundReaderInfo info = {};
  if (!OggFormat_Open(f, mode, &info, nullptr)) {
    *error = SoundError;
    return nullptr;
  }
  auto* tags = static_cast<SoundTag*>(info.tags);
  if (tags) SoundTag_FreeList(&tags);
  auto* st = static_cast<OggState*>(info.state);
  const int frameBytes = info.channels * 2;
  const auto fail = [&](int32_t code) -> SoundSample* {
    OggFormat_Close(st);
    *error = code;
    SoundError_Set(code);
    return nullptr;
  };
  // What the last page claims, unless the packets make less (a claim is only a granule
  // position); the PCM is held once, within what the load may hold beside the decoder.
  const int64_t frames = std::min<int64_t>(info.decodedBytes / frameBytes, CountFrames(&st->vf, f));
  if (frames < 1) return fail(kSoundErrUnknownFormat);
  const bool songLimit = g_sampleLimit != kNoLimit;
  const int64_t room =
      (songLimit ? g_sampleLimit : SoundLoad_Bound(info.dataBytes)) - st->decoderBytes - OverheadBytes(info.dataBytes);
  int64_t held = frames;
  // A sound longer than a sample may hold plays as a stream; a song's sample holds what
  // the song's budget leaves.
  if (frames > room / frameBytes) {
    if (!songLimit || room < frameBytes) return fail(kSoundErrNoMemory);
    held = room / frameBytes;
  }
  SoundSample* s = SoundReader_AllocSample(index, static_cast<int>(held), info.mode, info.rate);
  if (!s) return fail(SoundError ? SoundError : kSoundErrNoMemory);
  void *p1, *p2;
  uint32_t l1, l2;
  // A decoder that ends early leaves the rest of the sample silent.
  if (SoundSample_Lock(s, 0, s->length * frameBytes, &p1, &l1, &p2, &l2) && p1) {
    DecodeInto(st, static_cast<char*>(p1), l1);
    SoundSample_Unlock(s, p1, l1, p2, l2);
  }
  OggFormat_Close(st);
  *error = kSoundErrNone;
  return s;
}

int64_t OggFormat_SetSampleLimit(int64_t bytes) {
  const int64_t was = g_sampleLimit;
  g_sampleLimit = bytes;
  return was;
}
