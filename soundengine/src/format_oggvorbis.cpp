// Ogg Vorbis through Tremor (the integer decoder): ov_open_callbacks over the engine's
// file layer, 16-bit PCM from ov_read, exact seeks by PCM sample.
#include "format_oggvorbis.h"

#include <tremor/ivorbisfile.h>

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

OggVorbis_File* StateOf(SoundStream* s) {
  return static_cast<OggVorbis_File*>(s && s->ringSample ? s->ringSample->user : nullptr);
}

}  // namespace

void OggFormat_Close(void* state) {
  auto* vf = static_cast<OggVorbis_File*>(state);
  if (!vf) return;
  vf->datasource = nullptr;
  ov_clear(vf);
  SOUND_FREE(vf);
}

BOOL OggFormat_Open(SoundFile* f, uint32_t mode, SoundReaderInfo* info, SoundSyncPoint* /*syncList*/) {
  using namespace SoundMode;
  char magic[4];
  AuralFile_Seek(f, 0, 0);
  if (AuralFile_Read(magic, 1, 4, f) != 4 || std::memcmp(magic, "OggS", 4) != 0) {
    SoundError_Set(kSoundErrUnknownFormat);
    return FALSE;
  }
  auto* vf = static_cast<OggVorbis_File*>(SOUND_CALLOC(sizeof(OggVorbis_File)));
  if (!vf) {
    SoundError_Set(kSoundErrNoMemory);
    return FALSE;
  }
  const int dataBytes = SoundReader_FileLength(f);
  AuralFile_Seek(f, 0, 0);
  // A failed open clears the decoder itself.
  if (ov_open_callbacks(f, vf, nullptr, 0, kCallbacks) < 0) {
    SOUND_FREE(vf);
    SoundError_Set(kSoundErrUnknownFormat);
    return FALSE;
  }
  const vorbis_info* vi = ov_info(vf, -1);
  const ogg_int64_t pcm = ov_pcm_total(vf, 0);
  if (!vi || vi->channels < 1 || vi->channels > kMaxChannels || vi->rate <= 0 || pcm <= 0 || pcm > INT32_MAX / 4) {
    OggFormat_Close(vf);
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
  info->state = vf;
  info->decode = OggFormat_Decode;
  info->close = OggFormat_Close;
  info->seek = OggFormat_Seek;
  info->tags = tags;
  const ogg_int64_t ms = ov_time_total(vf, -1);
  info->lengthMs = ms < 0 ? -1 : ms > INT32_MAX ? INT32_MAX : static_cast<int>(ms);
  return TRUE;
}

BOOL OggFormat_Decode(SoundStream* s, void* /*readBuffer*/, int /*readBufferSize*/, void* output, int* byteCount) {
  OggVorbis_File* vf = StateOf(s);
  const int room = *byteCount;
  *byteCount = 0;
  if (!vf || room <= 0) return FALSE;
  int section = 0;
  const long got = ov_read(vf, static_cast<char*>(output), room, &section);
  if (got <= 0) return FALSE;
  *byteCount = static_cast<int>(got > room ? room : got);
  return TRUE;
}

int OggFormat_Seek(SoundStream* s, int target) {
  OggVorbis_File* vf = StateOf(s);
  if (vf && ov_pcm_seek(vf, target) != 0) ov_pcm_seek(vf, 0);
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
  auto* vf = static_cast<OggVorbis_File*>(info.state);
  const int frameBytes = info.channels * 2;
  SoundSample* s = SoundReader_AllocSample(index, info.decodedBytes / frameBytes, info.mode, info.rate);
  if (!s) {
    *error = SoundError ? SoundError : kSoundErrNoMemory;
    OggFormat_Close(vf);
    SoundError_Set(*error);
    return nullptr;
  }
  void *p1, *p2;
  uint32_t l1, l2;
  if (SoundSample_Lock(s, 0, s->length * frameBytes, &p1, &l1, &p2, &l2) && p1) {
    // A decoder that ends early leaves the rest of the sample silent.
    auto* out = static_cast<char*>(p1);
    int section = 0;
    for (uint32_t done = 0; done < l1;) {
      const long got = ov_read(vf, out + done, static_cast<int>(l1 - done), &section);
      if (got <= 0) break;
      done += static_cast<uint32_t>(got);
    }
    SoundSample_Unlock(s, p1, l1, p2, l2);
  }
  OggFormat_Close(vf);
  *error = kSoundErrNone;
  return s;
}
