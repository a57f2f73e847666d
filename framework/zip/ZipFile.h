#pragma once
// The file access minizip reads an archive through: a file handle (given or opened
// here) or a memory block. Offsets are relative to where the archive starts.
#include <windows.h>

#include "Zip.h"

struct zlib_filefunc64_def_s;

class ZipFile {
public:
    ZipFile() = default;
    ~ZipFile();
    ZipFile(const ZipFile&) = delete;
    ZipFile& operator=(const ZipFile&) = delete;

    // Mode and source as for Zip_Open; ZipOk, or ZipBadArgs, ZipNoFile or ZipSeekError.
    ZipResult Open(const void* source, DWORD length, int mode);

    // Reads size * count bytes; returns the number of whole items read.
    DWORD Read(void* buffer, DWORD size, DWORD count);
    bool Seek(ULONGLONG offset, int origin);
    ULONGLONG Tell();
    bool HasError() const { return m_error; }
    HANDLE FileHandle() const { return m_isHandle ? m_file : nullptr; }

    // Callbacks that route minizip's reads to the ZipFile passed as its "file name".
    static void FillCallbacks(zlib_filefunc64_def_s& callbacks);

private:
    bool m_isHandle = false;
    bool m_error = false;
    ULONGLONG m_startOffset = 0;
    bool m_closeOnEnd = false;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    const BYTE* m_memory = nullptr;
    ULONGLONG m_memoryLength = 0;
    ULONGLONG m_position = 0;
};
