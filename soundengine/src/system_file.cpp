// The file layer: system files, memory blocks and the caller's callbacks behind one
// record with a read window.
#include "system_file.h"

#include <cstring>
#include <new>

#include "aural_engine.h"
#include "sound_alloc.h"

static constexpr char kSoundFileTag[] = "src/system_file";

namespace {

constexpr int kMaxNameChars = 256;

HANDLE* SysFile_Open(const char* name, const char* mode) {
  if (!name || !mode || !std::strchr(mode, 'r')) return nullptr;
  wchar_t wide[kMaxNameChars + 1] = {};
  if (!MultiByteToWideChar(CP_ACP, 0, name, -1, wide, kMaxNameChars)) return nullptr;
  auto* record = static_cast<HANDLE*>(SOUND_ALLOC(sizeof(HANDLE)));
  if (!record) return nullptr;
  *record = CreateFileW(wide, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (*record == INVALID_HANDLE_VALUE) {
    SOUND_FREE(record);
    return nullptr;
  }
  return record;
}

int SysFile_Read(void* buffer, int bytes, HANDLE* file) {
  DWORD got = 0;
  return ReadFile(*file, buffer, static_cast<DWORD>(bytes), &got, nullptr) ? static_cast<int>(got) : 0;
}

int SysFile_Seek(HANDLE* file, int offset, int whence) {
  static const DWORD kMethods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  if (whence < 0 || whence > 2) return -1;
  const DWORD r = SetFilePointer(*file, offset, nullptr, kMethods[whence]);
  return r == INVALID_SET_FILE_POINTER ? -1 : static_cast<int>(r);
}

void SysFile_Close(HANDLE* file) {
  CloseHandle(*file);
  SOUND_FREE(file);
}

int RawRead(SoundFile* f, void* buffer, int n) {
  int got = 0;
  switch (f->kind & kSoundFileKindMask) {
    case kSoundFileSystem: got = SysFile_Read(buffer, n, f->sysFile); break;
    case kSoundFileMemory:
      got = n < f->length - f->position ? n : f->length - f->position;
      if (got < 0) got = 0;
      std::memcpy(buffer, f->memory + f->position, static_cast<size_t>(got));
      break;
    case kSoundFileCallbacks:
      got = SoundTables.fileRead(buffer, n, f->userHandle);
      if (got > n) got = n;  // a callback cannot report more than it was given room for
      break;
  }
  if (got > 0) f->position += got;
  f->readError = got < 0;
  return got;
}

int RawSeek(SoundFile* f, int offset, int whence) {
  if (whence < 0 || whence > 2) return -1;
  const int64_t base = whence == 0 ? 0 : whence == 1 ? f->position : f->length;
  int64_t target = base + offset;
  target = target < 0 ? 0 : target > f->length ? f->length : target;
  f->position = static_cast<int32_t>(target);
  switch (f->kind & kSoundFileKindMask) {
    case kSoundFileSystem: return SysFile_Seek(f->sysFile, f->position, 0);
    case kSoundFileCallbacks: return SoundTables.fileSeek(f->userHandle, f->position, 0);
    default: return f->position;
  }
}

}  // namespace

SoundFile* AuralFile_Open(const void* name, uint32_t kind, int length) {
  if (!name) return nullptr;
  auto* f = static_cast<SoundFile*>(SOUND_CALLOC(sizeof(SoundFile)));
  if (!f) {
    SoundError_Set(kSoundErrNoMemory);
    return nullptr;
  }
  f->kind = kind;
  f->endOffset = -1;
  f->synchronous = 1;
  bool ok = false;
  switch (kind & kSoundFileKindMask) {
    case kSoundFileSystem:
      f->sysFile = SysFile_Open(static_cast<const char*>(name), "rb");
      if (f->sysFile) {
        const DWORD size = GetFileSize(*f->sysFile, nullptr);
        ok = size != INVALID_FILE_SIZE && size <= static_cast<DWORD>(INT32_MAX);
        f->length = ok ? static_cast<int32_t>(size) : 0;
        if (!ok) SysFile_Close(f->sysFile);
      }
      break;
    case kSoundFileMemory:
      ok = length >= 1;
      f->memory = static_cast<const uint8_t*>(name);
      f->length = length;
      break;
    case kSoundFileCallbacks:
      if (Aural_FileCallbacksSet()) {
        f->userHandle = SoundTables.fileOpen(static_cast<const char*>(name));
        if (f->userHandle) {
          SoundTables.fileSeek(f->userHandle, 0, 2);
          const int size = SoundTables.fileTell(f->userHandle);
          SoundTables.fileSeek(f->userHandle, 0, 0);
          ok = size >= 0;
          f->length = ok ? size : 0;
          if (!ok) SoundTables.fileClose(f->userHandle);
        }
      }
      break;
  }
  if (!ok) {
    SOUND_FREE(f);
    return nullptr;
  }
  return f;
}

void AuralFile_Close(SoundFile* f) {
  if (!f) return;
  switch (f->kind & kSoundFileKindMask) {
    case kSoundFileSystem: SysFile_Close(f->sysFile); break;
    case kSoundFileCallbacks: SoundTables.fileClose(f->userHandle); break;
  }
  SOUND_FREE(f);
}

int AuralFile_Read(void* buffer, int itemSize, int count, SoundFile* f) {
  if (!f || !buffer) return -1;
  if (itemSize == 0) itemSize = 1;
  const int64_t bytes = static_cast<int64_t>(itemSize) * count;
  if (itemSize < 0 || count < 0 || bytes > INT32_MAX) return 0;
  int64_t n = bytes;
  if (f->endOffset >= 0) {
    const int64_t left = static_cast<int64_t>(f->endOffset) - f->position + 1;
    if (n > left) n = left < 0 ? 0 : left / itemSize * itemSize;
  }
  const int got = RawRead(f, buffer, static_cast<int>(n));
  if (got >= 0) f->logicalPosition += got;
  return got;
}

int AuralFile_Seek(SoundFile* f, int offset, int whence) {
  if (!f) return -1;
  int64_t target = offset;
  if (whence == 0) target += f->startOffset;
  if (whence == 2 && f->endOffset >= 0) target += static_cast<int64_t>(f->endOffset) - f->length + 1;
  if (f->endOffset >= 0 && target > f->endOffset) target = f->endOffset;
  if (target < INT32_MIN || target > INT32_MAX) return -1;
  const int result = RawSeek(f, static_cast<int>(target), whence);
  f->logicalPosition = result;
  return result;
}

int AuralFile_Tell(SoundFile* f) { return f ? f->position - f->startOffset : 0; }

int AuralFile_Remaining(SoundFile* f) {
  if (!f) return 0;
  const int64_t end = f->endOffset >= 0 && f->endOffset < f->length ? static_cast<int64_t>(f->endOffset) + 1 : f->length;
  const int64_t left = end - f->position;
  return left < 0 ? 0 : static_cast<int>(left);
}
