#pragma once
// The file layer every reader goes through: a system file, a memory block or the
// caller's five file callbacks, seen through a window (start offset, inclusive end).
// Sources are synchronous here; the buffered system file, big-endian items and requests
// queued to the loader thread come with streams.
#include <windows.h>
#include <cstdint>

enum : uint32_t {
  kSoundFileSystem = 0,
  kSoundFileMemory = 1,
  kSoundFileCallbacks = 2,
  kSoundFileKindMask = 0xF,
};

struct SoundFile {
  uint32_t kind;
  HANDLE* sysFile;                 // the platform file record (one handle)
  const uint8_t* memory;
  int32_t position;
  void* userHandle;
  int32_t length;
  int32_t bufferOffset;
  uint8_t bufferStale;
  int32_t synchronous;
  int32_t logicalPosition;
  int32_t pendingRequests;
  uint8_t readError;
  int32_t startOffset;
  int32_t endOffset;               // last readable byte, -1 for none
};

// `name` is a narrow file name, or the block's address for kind 1 with `length` its size.
// Null on failure (the caller reports the error).
SoundFile* AuralFile_Open(const void* name, uint32_t kind, int length);
void AuralFile_Close(SoundFile* file);
// Bytes read; -1 for a null file or buffer; 0 when the request is negative.
int AuralFile_Read(void* buffer, int itemSize, int count, SoundFile* file);
int AuralFile_Seek(SoundFile* file, int offset, int whence);
int AuralFile_Tell(SoundFile* file);
// Bytes the window still holds from the current position.
int AuralFile_Remaining(SoundFile* file);
