#pragma once
// The zip layer: open an archive from a file handle, a file name or a memory block,
// find a member by name, describe it, inflate it into a buffer, close. Central
// directory and inflating come from minizip and zlib; this layer feeds minizip through
// its own file access and turns every outcome into a result code. Every call keeps its
// code as the calling thread's last result.
#include <windows.h>

enum ZipResult : DWORD {
    ZipOk = 0x00000000,
    ZipNoFile = 0x00000200,         // the file could not be opened, or the archive not read
    ZipNotFound = 0x00000500,       // no member of that name
    ZipMore = 0x00000600,           // the buffer is full and more data remains
    ZipCorrupt = 0x00000700,        // bad local header or extra field
    ZipReadError = 0x00000800,      // reading failed, or an unseekable source had to seek
    ZipPassword = 0x00001000,       // the member is encrypted (no password is supported)
    ZipBadArgs = 0x00010000,        // null handle, bad index or bad source kind
    ZipWrongMode = 0x00080000,      // the handle is not an unzip handle
    ZipNotInitialised = 0x01000000, // the state was already opened
    ZipSeekError = 0x02000000,      // the given file handle cannot seek
    ZipFailed = 0x05000000,         // inflating failed or the data does not check out
};

enum ZipSourceMode {
    ZipSourceHandle = 1,  // source: a HANDLE positioned at the archive's start; not closed here
    ZipSourceName = 2,    // source: a zero-terminated wide path
    ZipSourceMemory = 3,  // source: the archive's bytes, length: their count
};

constexpr int kZipMaxName = 260;

struct ZipMemberInfo {
    int index;
    wchar_t name[kZipMaxName];
    DWORD attributes;  // FILE_ATTRIBUTE_* bits
    FILETIME accessTime;  // UTC
    FILETIME creationTime;
    FILETIME modificationTime;
    DWORD compressedSize;
    DWORD uncompressedSize;
};

struct ZipHandle;

// Null on failure; Zip_LastResult tells why.
ZipHandle* Zip_Open(const void* source, DWORD length, int mode);
// On a miss the index is -1 and the entry is zeroed with index -1 (ZipNotFound).
ZipResult Zip_FindItem(ZipHandle* handle, const wchar_t* name, bool ignoreCase,
                       ZipMemberInfo* entry, int* index);
// Index -1 describes the archive itself: the entry's index is the member count.
ZipResult Zip_GetItem(ZipHandle* handle, int index, ZipMemberInfo* entry);
// Reads the next part of a member into buffer. ZipMore: the buffer is full and a next
// call with the same index goes on; ZipOk: the member ended and checked out.
// bytesRead (optional) receives the count stored by this call.
ZipResult Zip_UnzipItem(ZipHandle* handle, int index, void* buffer, DWORD length,
                        DWORD* bytesRead = nullptr);
ZipResult Zip_Close(ZipHandle* handle);
ZipResult Zip_LastResult();
// The file handle under an archive opened from a handle or a name; null for memory.
HANDLE Zip_GetFileHandle(ZipHandle* handle);
