#include "ZipFile.h"

#include <minizip/ioapi.h>

#include <algorithm>

namespace {

ZipFile* FromStream(voidpf stream) {
    return static_cast<ZipFile*>(stream);
}

// minizip "opens" the name it is given; the name is the ZipFile itself.
voidpf ZCALLBACK OpenCallback(voidpf, const void* name, int) {
    return const_cast<void*>(name);
}

uLong ZCALLBACK ReadCallback(voidpf, voidpf stream, void* buffer, uLong size) {
    return FromStream(stream)->Read(buffer, 1, size);
}

uLong ZCALLBACK WriteCallback(voidpf, voidpf, const void*, uLong) {
    return 0;
}

ZPOS64_T ZCALLBACK TellCallback(voidpf, voidpf stream) {
    return FromStream(stream)->Tell();
}

long ZCALLBACK SeekCallback(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    return FromStream(stream)->Seek(offset, origin) ? 0 : -1;
}

// The ZipFile belongs to the zip layer, which closes it after minizip is done.
int ZCALLBACK CloseCallback(voidpf, voidpf) {
    return 0;
}

int ZCALLBACK ErrorCallback(voidpf, voidpf stream) {
    return FromStream(stream)->HasError() ? 1 : 0;
}

}  // namespace

ZipFile::~ZipFile() {
    if (m_closeOnEnd && m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
}

ZipResult ZipFile::Open(const void* source, DWORD length, int mode) {
    switch (mode) {
    case ZipSourceHandle: {
        LARGE_INTEGER zero = {}, current = {};
        HANDLE file = const_cast<HANDLE>(source);
        if (!SetFilePointerEx(file, zero, &current, FILE_CURRENT)) return ZipSeekError;
        m_isHandle = true;
        m_file = file;
        m_startOffset = static_cast<ULONGLONG>(current.QuadPart);
        return ZipOk;
    }
    case ZipSourceName: {
        if (!source) return ZipBadArgs;
        HANDLE file = CreateFileW(static_cast<const wchar_t*>(source), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return ZipNoFile;
        m_isHandle = true;
        m_file = file;
        m_closeOnEnd = true;
        return ZipOk;
    }
    case ZipSourceMemory:
        if (!source && length) return ZipBadArgs;
        m_memory = static_cast<const BYTE*>(source);
        m_memoryLength = length;
        return ZipOk;
    default:
        return ZipBadArgs;
    }
}

DWORD ZipFile::Read(void* buffer, DWORD size, DWORD count) {
    if (size == 0) return 0;
    const ULONGLONG wanted = static_cast<ULONGLONG>(size) * count;
    if (m_isHandle) {
        DWORD done = 0;
        if (wanted > MAXDWORD || !ReadFile(m_file, buffer, static_cast<DWORD>(wanted), &done, nullptr)) {
            m_error = true;
            return 0;
        }
        return done / size;
    }
    const ULONGLONG remaining = m_position < m_memoryLength ? m_memoryLength - m_position : 0;
    const ULONGLONG done = std::min(wanted, remaining);
    if (done) memcpy(buffer, m_memory + m_position, static_cast<size_t>(done));
    m_position += done;
    return static_cast<DWORD>(done / size);
}

bool ZipFile::Seek(ULONGLONG offset, int origin) {
    if (m_isHandle) {
        LARGE_INTEGER distance;
        DWORD method;
        switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET:
            distance.QuadPart = static_cast<LONGLONG>(m_startOffset + offset);
            method = FILE_BEGIN;
            break;
        case ZLIB_FILEFUNC_SEEK_CUR:
            distance.QuadPart = static_cast<LONGLONG>(offset);
            method = FILE_CURRENT;
            break;
        case ZLIB_FILEFUNC_SEEK_END:
            distance.QuadPart = static_cast<LONGLONG>(offset);
            method = FILE_END;
            break;
        default:
            return false;
        }
        return SetFilePointerEx(m_file, distance, nullptr, method) != FALSE;
    }
    ULONGLONG target;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: target = offset; break;
    case ZLIB_FILEFUNC_SEEK_CUR: target = m_position + offset; break;
    case ZLIB_FILEFUNC_SEEK_END: target = m_memoryLength + offset; break;
    default: return false;
    }
    if (target > m_memoryLength) return false;
    m_position = target;
    return true;
}

ULONGLONG ZipFile::Tell() {
    if (!m_isHandle) return m_position;
    LARGE_INTEGER zero = {}, current = {};
    if (!SetFilePointerEx(m_file, zero, &current, FILE_CURRENT)) {
        m_error = true;
        return static_cast<ULONGLONG>(-1);
    }
    return static_cast<ULONGLONG>(current.QuadPart) - m_startOffset;
}

void ZipFile::FillCallbacks(zlib_filefunc64_def& callbacks) {
    callbacks.zopen64_file = OpenCallback;
    callbacks.zread_file = ReadCallback;
    callbacks.zwrite_file = WriteCallback;
    callbacks.ztell64_file = TellCallback;
    callbacks.zseek64_file = SeekCallback;
    callbacks.zclose_file = CloseCallback;
    callbacks.zerror_file = ErrorCallback;
    callbacks.opaque = nullptr;
}
