#pragma once
// The file layer every reader goes through: a system file, a memory block, the caller's
// five file callbacks or a system file read through a 2048-byte buffer, seen through an
// optional window (start and end offsets) and optionally with big-endian items.
// Failures: null or -1 results; the caller turns them into its last-error code.
#include <windows.h>
#include <cstdint>

enum : uint32_t {
  kSoundFileSystem = 0,
  kSoundFileMemory = 1,
  kSoundFileCallbacks = 2,
  kSoundFileBuffered = 3,
  kSoundFileKindMask = 0xF,
  kSoundFileBigEndian = 0x10,      // 2- and 4-byte items are swapped (tracker loaders)
};

constexpr int kSoundFileBufferSize = 2048;

struct SoundFile {
  uint32_t kind;
  void* sysFile;                   // kinds 0 and 3
  void* memory;                    // the block (kind 1) or the read buffer (kind 3)
  int32_t position;
  void* userHandle;                // kind 2
  int32_t length;
  int32_t bufferOffset;            // kind 3: read position inside the buffer
  uint8_t bufferStale;             // kind 3: refill before use
  int32_t synchronous;             // 1 at open; nothing switches it off
  int32_t logicalPosition;         // the position as callers see it
  int32_t pendingRequests;
  uint8_t readError;               // the last read returned a negative count
  int32_t startOffset;             // window start, added to absolute seeks
  int32_t endOffset;               // last readable byte, -1 for none
};

// `name` is an 8-bit file name (kinds 0, 2, 3) or the block's address (kind 1, `length`
// its size). Null when the source cannot be opened or memory runs out (error 12).
SoundFile* AuralFile_Open(const void* name, uint32_t kind, int length);
void AuralFile_Close(SoundFile* file);
// Bytes read; -1 for a null file or buffer or a failed read, 0 for a negative request.
int AuralFile_Read(void* buffer, int itemSize, int count, SoundFile* file);
uint16_t AuralFile_ReadU16(SoundFile* file);
// whence 0 from the start of the window, 1 from here, 2 from the end. New position or -1.
int AuralFile_Seek(SoundFile* file, int offset, int whence);
int AuralFile_Tell(SoundFile* file);
// Bytes the window still holds from the current position.
int AuralFile_Remaining(SoundFile* file);
void AuralFile_WaitIdle(SoundFile* file);

// The platform layer: one system file handle per record.
struct SysFile {
  HANDLE handle;
};
SysFile* SysFile_Open(const char* name, const char* mode);
void SysFile_Close(SysFile* file);
int SysFile_Read(void* buffer, int bytes, SysFile* file);
int SysFile_Seek(SysFile* file, int offset, int whence);
int SysFile_Tell(SysFile* file);
