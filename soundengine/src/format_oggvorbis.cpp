// Ogg Vorbis through Tremor (the integer decoder): ov_open_callbacks over the engine's
// file layer, 16-bit PCM from ov_read, exact seeks by PCM sample.
#include "format_oggvorbis.h"

#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <cstring>

#include "aural_stream.h"
#include "aural_tag.h"
#include "sound_alloc.h"
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
void* SoundVorbis_Realloc(void* block, size_t size) { return SoundMem_Realloc(block, size, kSoundFileTag); }
void SoundVorbis_Free(void* block) { SoundMem_Free(block, kSoundFileTag, __LINE__); }
}

namespace {

constexpr int kMaxChannels = 2;
// A sample's length comes from the last page's granule position, which any file can
// claim. It is believed up to this many decoded bytes per byte of the file (Vorbis at
// usual qualities packs 6 to 15 to 1); a longer claim is decoded once to count what
// comes out, and the sample holds that.
constexpr int64_t kBelievedBytesPerFileByte = 16;
constexpr uint32_t kScratchBytes = 64 * 1024;
// What a sample may hold, set by a song loading its samples from its budget.
thread_local int64_t g_sampleLimit = INT64_MAX;

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

// The bytes the decoder delivers, up to `limit`, through `scratch` (kScratchBytes).
int64_t CountDecoded(OggState* st, int64_t limit, char* scratch) {
  int64_t total = 0;
  while (total < limit) {
    const uint32_t room = static_cast<uint32_t>(std::min<int64_t>(limit - total, kScratchBytes));
    const uint32_t got = DecodeInto(st, scratch, room);
    total += got;
    if (got < room) break;
  }
  return total;
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
  // A failed open clears the decoder itself.
  OggVorbis_File* vf = &st->vf;
  if (ov_open_callbacks(f, vf, nullptr, 0, kCallbacks) < 0) {
    SOUND_FREE(st);
    SoundError_Set(kSoundErrUnknownFormat);
    return FALSE;
  }
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
  if (const vorbis_comment* vc = ov_comment(vf, -1)) SoundTag_AddComments(vc->user_comments, vc->comments, &tags);

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
  // A claim the file could hold sizes the sample; a larger one is decoded once to count
  // what comes out, and the decoder starts again. Neither goes past what the caller allows.
  const int64_t wanted = std::min<int64_t>(info.decodedBytes, std::max<int64_t>(g_sampleLimit, 0));
  int64_t decoded = wanted;
  if (info.decodedBytes > kBelievedBytesPerFileByte * info.dataBytes) {
    auto* scratch = static_cast<char*>(SOUND_ALLOC(kScratchBytes));
    if (!scratch) return fail(kSoundErrNoMemory);
    decoded = CountDecoded(st, wanted, scratch);
    SOUND_FREE(scratch);
    OggFormat_Close(st);
    if (!OggFormat_Open(f, mode, &info, nullptr)) {
      *error = SoundError;
      return nullptr;
    }
    tags = static_cast<SoundTag*>(info.tags);
    if (tags) SoundTag_FreeList(&tags);
    st = static_cast<OggState*>(info.state);
  }
  if (decoded < frameBytes) return fail(wanted < frameBytes ? kSoundErrNoMemory : kSoundErrUnknownFormat);
  SoundSample* s = SoundReader_AllocSample(index, static_cast<int>(decoded / frameBytes), info.mode, info.rate);
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
