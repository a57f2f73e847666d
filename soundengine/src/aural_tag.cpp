// ID3v1 blocks, ID3v2 tags and Vorbis comments into a stream's tag list. Every scan is
// bounded by the file's length: a tag that claims more than the file holds ends it.
#include "aural_tag.h"

#include <cstdio>
#include <cstring>

#include "aural_engine.h"
#include "sound_alloc.h"
#include "system_file.h"

static constexpr char kSoundFileTag[] = "src/aural_tag";

namespace {

constexpr int kId3v1Bytes = 128;
constexpr int kId3v2HeaderBytes = 10;
constexpr int kId3v2FooterFlag = 0x10;
constexpr int kMaxFrameBytes = 0xFFFFF;
constexpr int kProbeBytes = 16;

// The ID3v1 block: fixed-width fields, not necessarily terminated.
struct Id3v1Block {
  char magic[3];
  char title[30];
  char artist[30];
  char album[30];
  char year[4];
  char comment[30];
  uint8_t genre;
};
static_assert(sizeof(Id3v1Block) == kId3v1Bytes, "ID3v1 block is 128 bytes");

// The ID3v2 header and its footer ("3DI") share one layout.
struct Id3v2Header {
  char magic[3];
  uint8_t major, revision, flags;
  uint8_t size[4];                 // 7 bits per byte, most significant first
};
static_assert(sizeof(Id3v2Header) == kId3v2HeaderBytes, "ID3v2 header is 10 bytes");

bool Is3(const char* p, const char* magic) { return std::memcmp(p, magic, 3) == 0; }

int SyncSafe(const uint8_t* p) { return (p[0] & 0x7F) << 21 | (p[1] & 0x7F) << 14 | (p[2] & 0x7F) << 7 | (p[3] & 0x7F); }

int64_t TagLength(const Id3v2Header& h) {
  return static_cast<int64_t>(SyncSafe(h.size)) + kId3v2HeaderBytes + ((h.flags & kId3v2FooterFlag) ? kId3v2HeaderBytes : 0);
}

int FileLength(SoundFile* f) {
  const int here = AuralFile_Tell(f);
  const int end = AuralFile_Seek(f, 0, 2) < 0 ? 0 : AuralFile_Tell(f);
  AuralFile_Seek(f, here, 0);
  return end;
}

bool ReadAt(SoundFile* f, int64_t at, void* buffer, int bytes) {
  if (at < 0 || at > INT32_MAX) return false;
  AuralFile_Seek(f, static_cast<int>(at), 0);
  return AuralFile_Read(buffer, 1, bytes, f) == bytes;
}

SoundTag* NewTag(int type, const char* name, int length) {
  const size_t nameBytes = std::strlen(name) + 1;
  auto* t = static_cast<SoundTag*>(SOUND_CALLOC(sizeof(SoundTag) + nameBytes + static_cast<size_t>(length)));
  if (!t) {
    SoundError_Set(kSoundErrNoMemory);
    return nullptr;
  }
  t->type = type;
  t->name = reinterpret_cast<char*>(t + 1);
  std::memcpy(t->name, name, nameBytes);
  t->data = t->name + nameBytes;
  t->length = length;
  return t;
}

// The end of a tag list, where each new tag is linked in: the list is walked once.
struct TagEnd {
  void** link;
};

TagEnd EndOf(SoundTag** list) { return {SoundList_LastLink(reinterpret_cast<void**>(list))}; }

void Append(TagEnd& end, SoundTag* t) {
  t->next = nullptr;
  *end.link = t;
  end.link = reinterpret_cast<void**>(&t->next);
}

bool AddTag(int type, const char* name, const void* data, int length, TagEnd& end) {
  SoundTag* t = NewTag(type, name, length);
  if (!t) return false;
  if (length > 0) std::memcpy(t->data, data, length);
  Append(end, t);
  return true;
}

// A text field of the ID3v1 block: at most its width, up to a terminator if any.
bool AddField(const char* name, const char* field, int width, TagEnd& list) {
  char text[32];
  const int n = static_cast<int>(strnlen(field, width));
  if (n == 0) return true;
  std::memcpy(text, field, n);
  text[n] = 0;
  return AddTag(kSoundTagId3v1, name, text, n + 1, list);
}

bool AddNumber(const char* name, int value, TagEnd& list) {
  char text[8];
  const int n = std::snprintf(text, sizeof text, "%d", value);
  return AddTag(kSoundTagId3v1, name, text, n + 1, list);
}

bool ReadId3v1(SoundFile* f, int64_t at, TagEnd& list) {
  Id3v1Block b;
  if (!ReadAt(f, at, &b, sizeof b)) {
    SoundError_Set(kSoundErrReadError);
    return false;
  }
  bool ok = AddField("TITLE", b.title, 30, list) && AddField("ARTIST", b.artist, 30, list) &&
            AddField("ALBUM", b.album, 30, list) && AddField("YEAR", b.year, 4, list) &&
            AddField("COMMENT", b.comment, 30, list);
  if (ok && b.comment[28] == 0 && b.comment[29] != 0) ok = AddNumber("TRACK", static_cast<uint8_t>(b.comment[29]), list);
  return ok && AddNumber("GENRE", b.genre, list);
}

// The frames of the ID3v2 tag whose header is at `at`; the file is left behind the tag.
bool ReadId3v2(SoundFile* f, int64_t at, int fileLength, TagEnd& list) {
  Id3v2Header h;
  if (!ReadAt(f, at, &h, sizeof h)) {
    SoundError_Set(kSoundErrReadError);
    return false;
  }
  const int64_t end = at + TagLength(h);
  // Frames lie between the header and the footer, and inside the file.
  int64_t framesEnd = at + kId3v2HeaderBytes + SyncSafe(h.size);
  if (framesEnd > fileLength) framesEnd = fileLength;
  const bool v22 = h.major == 2;
  const int headerBytes = v22 ? 6 : 10;
  bool ok = true;
  for (int64_t pos = at + kId3v2HeaderBytes; pos + headerBytes <= framesEnd;) {
    uint8_t fh[10];
    if (!ReadAt(f, pos, fh, headerBytes)) break;
    const int idBytes = v22 ? 3 : 4;
    int64_t size = v22 ? (fh[3] << 16 | fh[4] << 8 | fh[5])
                       : h.major >= 4 ? SyncSafe(fh + 4)
                                      : (static_cast<int64_t>(fh[4]) << 24 | fh[5] << 16 | fh[6] << 8 | fh[7]);
    bool idOk = true;
    for (int i = 0; i < idBytes; ++i) idOk = idOk && (fh[i] == 0 || (fh[i] >= 32 && fh[i] < 128));
    const int64_t data = pos + headerBytes;
    if (idOk && size > 0 && size <= kMaxFrameBytes && data + size <= framesEnd) {
      char name[5] = {};
      std::memcpy(name, fh, idBytes);
      SoundTag* t = NewTag(kSoundTagId3v2, name, static_cast<int>(size));
      if (!t) {
        ok = false;
        break;
      }
      if (AuralFile_Read(t->data, 1, static_cast<int>(size), f) == size)
        Append(list, t);
      else
        SOUND_FREE(t);  // a frame that cannot be read whole is dropped
    }
    pos = data + size;
  }
  AuralFile_Seek(f, static_cast<int>(end < fileLength ? end : fileLength), 0);
  return ok;
}

}  // namespace

BOOL SoundTag_Add(int type, const char* name, const void* data, int length, SoundTag** list) {
  if (!name || !list || length < 0 || (length > 0 && !data)) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  TagEnd end = EndOf(list);
  return AddTag(type, name, data, length, end) ? TRUE : FALSE;
}

BOOL SoundTag_AddComments(char* const* comments, int count, SoundTag** list) {
  if (!list || (count > 0 && !comments)) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  TagEnd end = EndOf(list);
  for (int i = 0; i < count; ++i) {
    const char* c = comments[i];
    const char* eq = c ? std::strchr(c, '=') : nullptr;
    if (!eq) continue;
    char name[256];
    const size_t n = static_cast<size_t>(eq - c) < sizeof name - 1 ? static_cast<size_t>(eq - c) : sizeof name - 1;
    std::memcpy(name, c, n);
    name[n] = 0;
    if (!AddTag(kSoundTagVorbisComment, name, eq + 1, static_cast<int>(std::strlen(eq + 1)), end)) return FALSE;
  }
  return TRUE;
}

BOOL SoundTag_ReadFileTags(SoundFile* f, SoundTag** list) {
  if (!f || !list) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  const int length = FileLength(f);
  TagEnd end = EndOf(list);
  // From the end: each tag found moves the window back; it never passes the start.
  for (int64_t k = 0; k < length;) {
    char magic[3];
    const int64_t v1 = length - kId3v1Bytes - k;
    if (v1 >= 0 && ReadAt(f, v1, magic, 3) && Is3(magic, "TAG")) {
      if (!ReadId3v1(f, v1, end)) return FALSE;
      if (length <= kId3v1Bytes) break;
      k += kId3v1Bytes;
      continue;
    }
    const int64_t footer = length - kId3v2HeaderBytes - k;
    Id3v2Header h;
    if (footer < 0 || !ReadAt(f, footer, &h, sizeof h) || !Is3(h.magic, "3DI")) break;
    const int64_t tag = TagLength(h) + kId3v2HeaderBytes * ((h.flags & kId3v2FooterFlag) ? 0 : 1);
    const int64_t start = length - k - tag;
    if (start < 0) break;
    if (!ReadId3v2(f, start, length, end)) return FALSE;
    k += tag;
  }
  // From the start.
  int64_t pos = 0;
  while (pos + 3 <= length) {
    char probe[kProbeBytes] = {};
    AuralFile_Seek(f, static_cast<int>(pos), 0);
    if (AuralFile_Read(probe, 1, kProbeBytes, f) < 3) {
      SoundError_Set(kSoundErrReadError);
      return FALSE;
    }
    if (Is3(probe, "TAG")) {
      if (!ReadId3v1(f, pos, end)) return FALSE;
      pos += kId3v1Bytes;
    } else if (Is3(probe, "ID3")) {
      Id3v2Header h;
      std::memcpy(&h, probe, sizeof h);
      if (!ReadId3v2(f, pos, length, end)) return FALSE;
      pos += TagLength(h);
    } else {
      break;
    }
  }
  AuralFile_Seek(f, static_cast<int>(pos < length ? pos : length), 0);
  return TRUE;
}

BOOL SoundTag_SkipLeading(SoundFile* f) {
  if (!f) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  const int length = FileLength(f);
  int64_t pos = 0;
  for (;;) {
    Id3v2Header h;
    AuralFile_Seek(f, static_cast<int>(pos), 0);
    const int got = pos + 3 <= length ? AuralFile_Read(&h, 1, 3, f) : 0;
    if (got == 3 && Is3(h.magic, "TAG")) {
      pos += kId3v1Bytes;
    } else if (got == 3 && Is3(h.magic, "ID3")) {
      if (AuralFile_Read(&h.major, 1, 7, f) != 7) {
        SoundError_Set(kSoundErrReadError);
        return FALSE;
      }
      pos += TagLength(h);
    } else {
      break;
    }
    if (pos >= length) {
      pos = length;
      break;
    }
  }
  AuralFile_Seek(f, static_cast<int>(pos), 0);
  return TRUE;
}

BOOL SoundTag_Find(const SoundTag* list, const char* name, int type, const void** data, int* length) {
  if (!list || !name) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  for (const SoundTag* t = list; t; t = t->next) {
    if ((type != kSoundTagAnyType && t->type != type) || _stricmp(t->name, name) != 0) continue;
    if (data) *data = t->data;
    if (length) *length = t->length;
    return TRUE;
  }
  return FALSE;
}

BOOL SoundTag_FreeList(SoundTag** list) {
  if (!list || !*list) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  for (SoundTag* t = *list; t;) {
    SoundTag* next = t->next;
    SOUND_FREE(t);
    t = next;
  }
  *list = nullptr;
  return TRUE;
}
