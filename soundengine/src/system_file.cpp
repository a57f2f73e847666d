// The file layer (system files, memory blocks, the caller's callbacks, buffered system
// files; windows and big-endian items) and the platform layer beneath it.
#include "system_file.h"

#include <DeviceFiles.h>

#include <cstring>
#include <utility>

#include "aural_engine.h"
#include "sound_alloc.h"

static constexpr char kSoundFileTag[] = "src/system_file";

namespace {

constexpr int kMaxWideName = 256;
constexpr DWORD kIdlePollMs = 10;

uint32_t KindOf(const SoundFile* f) { return f->kind & kSoundFileKindMask; }

void SwapItems(void* buffer, int itemSize, int bytes) {
  auto* p = static_cast<uint8_t*>(buffer);
  if (itemSize == 2) {
    for (int i = 0; i + 1 < bytes; i += 2) std::swap(p[i], p[i + 1]);
  } else if (itemSize == 4) {
    for (int i = 0; i + 3 < bytes; i += 4) {
      std::swap(p[i], p[i + 3]);
      std::swap(p[i + 1], p[i + 2]);
    }
  }
}

// Length of a freshly opened system file, which is left at its start.
int SystemLength(SysFile* sys) {
  SysFile_Seek(sys, 0, FILE_END);
  const int length = SysFile_Tell(sys);
  SysFile_Seek(sys, 0, FILE_BEGIN);
  return length < 0 ? 0 : length;
}

int ReadBuffered(SoundFile* f, uint8_t* out, int n) {
  int m = f->length - f->position;
  if (n < m) m = n;
  if (m <= 0) return 0;
  auto* sys = static_cast<SysFile*>(f->sysFile);
  auto* buffer = static_cast<uint8_t*>(f->memory);
  int delivered = 0;
  bool failed = false;
  while (delivered < m) {
    const int remaining = m - delivered;
    if (remaining >= kSoundFileBufferSize && f->bufferOffset == 0 && f->bufferStale) {
      const int whole = remaining / kSoundFileBufferSize * kSoundFileBufferSize;
      const int got = SysFile_Read(out + delivered, whole, sys);
      if (got <= 0) {
        failed = true;
        break;
      }
      delivered += got;
      if (got < whole) {  // the file is shorter than it was at open
        failed = true;
        break;
      }
      continue;
    }
    if (f->bufferStale) {
      const int got = SysFile_Read(buffer, kSoundFileBufferSize, sys);
      if (got <= f->bufferOffset) {
        failed = true;
        break;
      }
      // A short refill leaves no stale bytes of an earlier fill behind its end.
      if (got < kSoundFileBufferSize) std::memset(buffer + got, 0, kSoundFileBufferSize - got);
      f->bufferStale = 0;
    }
    int take = kSoundFileBufferSize - f->bufferOffset;
    if (take > remaining) take = remaining;
    std::memcpy(out + delivered, buffer + f->bufferOffset, take);
    delivered += take;
    f->bufferOffset += take;
    if (f->bufferOffset >= kSoundFileBufferSize) {
      f->bufferOffset = 0;
      f->bufferStale = 1;
    }
  }
  f->position += delivered;
  return failed ? -1 : delivered;
}

int RawRead(SoundFile* f, void* buffer, int itemSize, int n) {
  int result = 0;
  switch (KindOf(f)) {
    case kSoundFileSystem:
      result = SysFile_Read(buffer, n, static_cast<SysFile*>(f->sysFile));
      f->position += result;
      break;
    case kSoundFileMemory: {
      int m = f->length - f->position;
      if (n < m) m = n;
      if (m < 0) m = 0;
      std::memcpy(buffer, static_cast<const uint8_t*>(f->memory) + f->position, m);
      f->position += m;
      result = m;
      break;
    }
    case kSoundFileCallbacks:
      result = SoundTables.fileRead ? SoundTables.fileRead(buffer, n, f->userHandle) : -1;
      // Only what arrived moves the position, so a short read at the end cannot carry
      // it past the file.
      if (result > 0) f->position += result;
      break;
    case kSoundFileBuffered:
      result = ReadBuffered(f, static_cast<uint8_t*>(buffer), n);
      break;
    default:
      result = -1;
      break;
  }
  if ((f->kind & kSoundFileBigEndian) && result > 0) SwapItems(buffer, itemSize, result);
  f->readError = result < 0;
  return result;
}

int RawSeek(SoundFile* f, int offset, int whence) {
  if (whence < 0 || whence > 2) return -1;
  int64_t target = offset;
  if (whence == 1) target += f->position;
  if (whence == 2) target += f->length;
  if (target < 0) target = 0;
  if (target > f->length) target = f->length;
  const int t = static_cast<int>(target);
  switch (KindOf(f)) {
    case kSoundFileSystem:
      f->position = t;
      return SysFile_Seek(static_cast<SysFile*>(f->sysFile), t, FILE_BEGIN);
    case kSoundFileMemory:
      f->position = t;
      return t;
    case kSoundFileCallbacks:
      f->position = t;
      return SoundTables.fileSeek ? SoundTables.fileSeek(f->userHandle, offset, whence) : -1;
    case kSoundFileBuffered: {
      const int base = f->position - f->bufferOffset;
      if (!f->bufferStale && t >= base && t < base + kSoundFileBufferSize) {
        f->bufferOffset = t - base;
      } else {
        f->bufferOffset = t % kSoundFileBufferSize;
        f->bufferStale = 1;
        SysFile_Seek(static_cast<SysFile*>(f->sysFile), t - f->bufferOffset, FILE_BEGIN);
      }
      f->position = t;
      return t;
    }
    default:
      return -1;
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
    case kSoundFileBuffered: {
      auto* sys = SysFile_Open(static_cast<const char*>(name), "rb");
      if (!sys) break;
      f->sysFile = sys;
      f->length = SystemLength(sys);
      ok = true;
      if ((kind & kSoundFileKindMask) == kSoundFileBuffered) {
        f->memory = SOUND_CALLOC(kSoundFileBufferSize);
        f->bufferStale = 1;
        if (!f->memory) {
          SysFile_Close(sys);
          SoundError_Set(kSoundErrNoMemory);
          ok = false;
        }
      }
      break;
    }
    case kSoundFileMemory:
      if (length < 1) break;
      f->memory = const_cast<void*>(name);
      f->length = length;
      ok = true;
      break;
    case kSoundFileCallbacks: {
      const SoundEngineTables& t = SoundTables;
      if (!Aural_FileCallbacksSet()) break;
      f->userHandle = t.fileOpen(static_cast<const char*>(name));
      if (!f->userHandle) break;
      t.fileSeek(f->userHandle, 0, 2);
      const int size = t.fileTell(f->userHandle);
      t.fileSeek(f->userHandle, 0, 0);
      f->length = size;
      ok = size >= 0;
      if (!ok) t.fileClose(f->userHandle);
      break;
    }
    default:
      break;
  }
  if (!ok) {
    SOUND_FREE(f);
    return nullptr;
  }
  return f;
}

void AuralFile_WaitIdle(SoundFile* file) {
  while (file && file->pendingRequests > 0) {
    if (SoundEngine_IsNonRealtime()) break;  // nothing else runs to empty the queue
    Sleep(kIdlePollMs);
  }
}

void AuralFile_Close(SoundFile* file) {
  if (!file) return;
  AuralFile_WaitIdle(file);
  switch (KindOf(file)) {
    case kSoundFileSystem:
      SysFile_Close(static_cast<SysFile*>(file->sysFile));
      break;
    case kSoundFileCallbacks:
      if (SoundTables.fileClose) SoundTables.fileClose(file->userHandle);
      break;
    case kSoundFileBuffered:
      SysFile_Close(static_cast<SysFile*>(file->sysFile));
      SOUND_FREE(file->memory);
      break;
    default:
      break;
  }
  SOUND_FREE(file);
}

int AuralFile_Read(void* buffer, int itemSize, int count, SoundFile* file) {
  if (!file || !buffer) return -1;
  if (itemSize == 0) itemSize = 1;
  if (itemSize < 0) return 0;
  int64_t bytes = static_cast<int64_t>(itemSize) * count;
  if (bytes < 0) return 0;
  const int pos = file->synchronous ? file->position : file->logicalPosition;
  if (file->endOffset >= 0 && pos + bytes > static_cast<int64_t>(file->endOffset) + 1) {
    const int64_t room = static_cast<int64_t>(file->endOffset) - pos + 1;
    count = room > 0 ? static_cast<int>(room / itemSize) : 0;
    bytes = static_cast<int64_t>(itemSize) * count;
  }
  if (bytes > INT32_MAX) return -1;
  AuralFile_WaitIdle(file);
  const int result = RawRead(file, buffer, itemSize, static_cast<int>(bytes));
  if (result >= 0) file->logicalPosition += result;
  return result;
}

uint16_t AuralFile_ReadU16(SoundFile* file) {
  uint16_t value = 0;
  if (file && AuralFile_Read(&value, 2, 1, file) != 2) value = 0;
  return value;
}

int AuralFile_Seek(SoundFile* file, int offset, int whence) {
  if (!file) return -1;
  int64_t o = offset;
  if (whence == 0) o += file->startOffset;
  if (whence == 2 && file->endOffset >= 0) o += static_cast<int64_t>(file->endOffset) - file->length + 1;
  if (file->endOffset >= 0 && o > file->endOffset) o = file->endOffset;
  if (o > INT32_MAX) o = INT32_MAX;
  if (o < INT32_MIN) o = INT32_MIN;
  AuralFile_WaitIdle(file);
  const int result = RawSeek(file, static_cast<int>(o), whence);
  file->logicalPosition = result;
  return result;
}

int AuralFile_Tell(SoundFile* file) {
  if (!file) return 0;
  int position;
  switch (KindOf(file)) {
    case kSoundFileSystem:
      position = SysFile_Tell(static_cast<SysFile*>(file->sysFile));
      break;
    case kSoundFileCallbacks:
      position = SoundTables.fileTell ? SoundTables.fileTell(file->userHandle) : -1;
      break;
    default:
      position = file->position;
      break;
  }
  return position - file->startOffset;
}

int AuralFile_Remaining(SoundFile* file) {
  if (!file) return 0;
  const int pos = file->synchronous ? file->position : file->logicalPosition;
  const int64_t end =
      file->endOffset >= 0 && file->endOffset < file->length ? static_cast<int64_t>(file->endOffset) + 1 : file->length;
  return end - pos < 0 ? 0 : static_cast<int>(end - pos);
}

SysFile* SysFile_Open(const char* name, const char* mode) {
  if (!name || !mode || !std::strchr(mode, 'r')) return nullptr;
  auto* f = static_cast<SysFile*>(SOUND_CALLOC(sizeof(SysFile)));
  if (!f) return nullptr;
  wchar_t wide[kMaxWideName + 1] = {};
  wchar_t mapped[MAX_PATH] = {};
  const int n = MultiByteToWideChar(CP_ACP, 0, name, -1, wide, kMaxWideName);
  wide[kMaxWideName] = 0;
  // Device paths ("\My Documents\...") live in the device root.
  if (n > 0 && Device_MapPath(wide, mapped, MAX_PATH))
    f->handle = CreateFileW(mapped, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  else
    f->handle = INVALID_HANDLE_VALUE;
  if (f->handle == INVALID_HANDLE_VALUE) {
    SOUND_FREE(f);
    return nullptr;
  }
  return f;
}

void SysFile_Close(SysFile* file) {
  if (!file) return;
  CloseHandle(file->handle);
  SOUND_FREE(file);
}

int SysFile_Read(void* buffer, int bytes, SysFile* file) {
  DWORD got = 0;
  if (!file || bytes <= 0 || !ReadFile(file->handle, buffer, static_cast<DWORD>(bytes), &got, nullptr)) return 0;
  return static_cast<int>(got);
}

int SysFile_Seek(SysFile* file, int offset, int whence) {
  if (!file || whence < 0 || whence > 2) return -1;
  static const DWORD methods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  const DWORD result = SetFilePointer(file->handle, offset, nullptr, methods[whence]);
  return result == INVALID_SET_FILE_POINTER ? -1 : static_cast<int>(result);
}

int SysFile_Tell(SysFile* file) {
  if (!file) return -1;
  const DWORD result = SetFilePointer(file->handle, 0, nullptr, FILE_CURRENT);
  return result == INVALID_SET_FILE_POINTER ? -1 : static_cast<int>(result);
}
