#include "Zip.h"

#include <minizip/unzip.h>

#include <cstring>
#include <new>
#include <string>

#include "ZipFile.h"

namespace {

constexpr int kUnzipHandleKind = 1;
constexpr int kNoMember = -1;
constexpr WORD kExtraTimestampId = 0x5455;  // "UT", little-endian
constexpr ULONGLONG kUnixEpochAsFileTime = 116444736000000000ULL;
constexpr ULONGLONG kFileTimeTicksPerSecond = 10000000ULL;

thread_local ZipResult t_lastResult = ZipOk;

ZipResult Keep(ZipResult result) {
    t_lastResult = result;
    return result;
}

struct ArchiveState {
    unzFile archive = nullptr;
    ZipFile file;
    int memberCount = 0;
    int currentIndex = 0;          // minizip's current member
    int openIndex = kNoMember;     // member open for reading
    int cachedIndex = kNoMember;
    ZipMemberInfo cachedEntry = {};
};

}  // namespace

struct ZipHandle {
    int kind;
    ArchiveState* state;
};

namespace {

ZipResult FromUnzipError(int error) {
    return error == UNZ_ERRNO ? ZipReadError : ZipCorrupt;
}

ArchiveState* StateOf(ZipHandle* handle, ZipResult& result) {
    if (!handle || !handle->state) {
        result = ZipBadArgs;
        return nullptr;
    }
    if (handle->kind != kUnzipHandleKind) {
        result = ZipWrongMode;
        return nullptr;
    }
    result = ZipOk;
    return handle->state;
}

void CloseMember(ArchiveState& state) {
    if (state.openIndex != kNoMember) {
        unzCloseCurrentFile(state.archive);
        state.openIndex = kNoMember;
    }
}

// Back to the first member when the target lies before the current one, then forward.
ZipResult GoToMember(ArchiveState& state, int index) {
    if (index < state.currentIndex) {
        int error = unzGoToFirstFile(state.archive);
        if (error != UNZ_OK) return FromUnzipError(error);
        state.currentIndex = 0;
    }
    while (state.currentIndex < index) {
        int error = unzGoToNextFile(state.archive);
        if (error != UNZ_OK) return FromUnzipError(error);
        ++state.currentIndex;
    }
    return ZipOk;
}

// Drops drive prefixes, leading separators and everything up to a "..": names never
// climb out of the archive.
std::wstring CleanMemberName(std::wstring name) {
    auto isSeparator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    for (bool changed = true; changed;) {
        changed = false;
        if (name.size() >= 2 && name[1] == L':') {
            name.erase(0, 2);
            changed = true;
            continue;
        }
        if (!name.empty() && isSeparator(name[0])) {
            name.erase(0, 1);
            changed = true;
            continue;
        }
        // What a ".." in the middle leaves may itself begin with one.
        if (name == L".." || (name.size() >= 3 && name[0] == L'.' && name[1] == L'.' && isSeparator(name[2]))) {
            name.erase(0, name.size() >= 3 ? 3 : 2);
            changed = true;
            continue;
        }
        for (size_t i = 0; i + 3 < name.size(); ++i) {
            if (isSeparator(name[i]) && name[i + 1] == L'.' && name[i + 2] == L'.' && isSeparator(name[i + 3])) {
                name.erase(0, i + 4);
                changed = true;
                break;
            }
        }
    }
    return name;
}

DWORD AttributesOf(const unz_file_info64& info) {
    const int host = static_cast<int>((info.version >> 8) & 0xFF);
    const DWORD external = info.external_fa;
    if (host == 0 || host == 7 || host == 11 || host == 14) {  // MS-DOS, Macintosh, NTFS, VFAT
        DWORD attributes = 0;
        if (external & 0x20) attributes |= FILE_ATTRIBUTE_ARCHIVE;
        if (external & 0x10) attributes |= FILE_ATTRIBUTE_DIRECTORY;
        if (external & 0x02) attributes |= FILE_ATTRIBUTE_HIDDEN;
        if (external & 0x01) attributes |= FILE_ATTRIBUTE_READONLY;
        if (external & 0x04) attributes |= FILE_ATTRIBUTE_SYSTEM;
        return attributes;
    }
    // Unix-style mode in the high word: directory bit and owner-write bit.
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    if (external & 0x40000000) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(external & 0x00800000)) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

FILETIME DosTimeToUtc(DWORD dosDate) {
    SYSTEMTIME local = {};
    local.wYear = static_cast<WORD>(((dosDate >> 25) & 0x7F) + 1980);
    local.wMonth = static_cast<WORD>((dosDate >> 21) & 0x0F);
    local.wDay = static_cast<WORD>((dosDate >> 16) & 0x1F);
    local.wHour = static_cast<WORD>((dosDate >> 11) & 0x1F);
    local.wMinute = static_cast<WORD>((dosDate >> 5) & 0x3F);
    local.wSecond = static_cast<WORD>((dosDate & 0x1F) * 2);
    FILETIME localTime = {}, utc = {};
    if (!SystemTimeToFileTime(&local, &localTime) || !LocalFileTimeToFileTime(&localTime, &utc)) return FILETIME{};
    return utc;
}

FILETIME UnixTimeToFileTime(DWORD seconds) {
    ULARGE_INTEGER value;
    value.QuadPart = seconds * kFileTimeTicksPerSecond + kUnixEpochAsFileTime;
    FILETIME time;
    time.dwLowDateTime = value.LowPart;
    time.dwHighDateTime = value.HighPart;
    return time;
}

DWORD ReadLittleEndian(const BYTE* p, int bytes) {
    DWORD value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
    return value;
}

// The "UT" block of an extra field: a flag byte, then the modification, access and
// creation times its bits announce. A time is taken only while it fits in the block.
void ApplyExtendedTimestamp(const BYTE* extra, size_t size, ZipMemberInfo& entry) {
    if (size <= 4) return;
    size_t offset = 0;
    while (offset + 4 <= size) {
        const WORD id = static_cast<WORD>(ReadLittleEndian(extra + offset, 2));
        const size_t blockSize = ReadLittleEndian(extra + offset + 2, 2);
        const BYTE* block = extra + offset + 4;
        if (offset + 4 + blockSize > size) return;
        if (id == kExtraTimestampId && blockSize >= 1) {
            const BYTE flags = block[0];
            size_t position = 1;
            FILETIME* targets[3] = {&entry.modificationTime, &entry.accessTime, &entry.creationTime};
            for (int bit = 0; bit < 3; ++bit) {
                if (!(flags & (1 << bit))) continue;
                if (position + 4 > blockSize) break;
                *targets[bit] = UnixTimeToFileTime(ReadLittleEndian(block + position, 4));
                position += 4;
            }
            return;
        }
        offset += 4 + blockSize;
    }
}

// Reads the member's local extra field (the "UT" times live there).
ZipResult ReadLocalExtra(ArchiveState& state, std::basic_string<BYTE>& extra) {
    int error = unzOpenCurrentFile(state.archive);
    if (error != UNZ_OK) return FromUnzipError(error);
    int size = unzGetLocalExtrafield(state.archive, nullptr, 0);
    ZipResult result = ZipOk;
    if (size < 0) {
        result = FromUnzipError(size);
    } else if (size > 0) {
        extra.resize(static_cast<size_t>(size));
        int read = unzGetLocalExtrafield(state.archive, &extra[0], static_cast<unsigned>(size));
        if (read != size) result = read < 0 ? FromUnzipError(read) : ZipCorrupt;
    }
    unzCloseCurrentFile(state.archive);
    return result;
}

ZipResult DescribeMember(ArchiveState& state, int index, ZipMemberInfo& entry) {
    ZipResult result = GoToMember(state, index);
    if (result != ZipOk) return result;

    unz_file_info64 info = {};
    char name[kZipMaxName + 1] = {};
    int error = unzGetCurrentFileInfo64(state.archive, &info, name, kZipMaxName, nullptr, 0, nullptr, 0);
    if (error != UNZ_OK) return FromUnzipError(error);
    std::basic_string<BYTE> extra;
    result = ReadLocalExtra(state, extra);
    if (result != ZipOk) return result;

    wchar_t wideName[kZipMaxName] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, kZipMaxName)) wideName[0] = 0;
    wideName[kZipMaxName - 1] = 0;
    const std::wstring cleaned = CleanMemberName(wideName);

    entry = ZipMemberInfo{};
    entry.index = index;
    wcsncpy(entry.name, cleaned.c_str(), kZipMaxName - 1);
    entry.attributes = AttributesOf(info);
    entry.modificationTime = entry.accessTime = entry.creationTime = DosTimeToUtc(info.dosDate);
    ApplyExtendedTimestamp(extra.data(), extra.size(), entry);
    entry.compressedSize = info.compressed_size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(info.compressed_size);
    entry.uncompressedSize = info.uncompressed_size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(info.uncompressed_size);

    state.cachedIndex = index;
    state.cachedEntry = entry;
    return ZipOk;
}

void DestroyState(ArchiveState* state) {
    if (!state) return;
    if (state->archive) {
        CloseMember(*state);
        unzClose(state->archive);
    }
    delete state;
}

}  // namespace

ZipHandle* Zip_Open(const void* source, DWORD length, int mode) {
    ArchiveState* state = new (std::nothrow) ArchiveState;
    if (!state) {
        Keep(ZipFailed);
        return nullptr;
    }
    ZipResult result = state->file.Open(source, length, mode);
    if (result != ZipOk) {
        DestroyState(state);
        Keep(result);
        return nullptr;
    }
    zlib_filefunc64_def callbacks;
    ZipFile::FillCallbacks(callbacks);
    state->archive = unzOpen2_64(&state->file, &callbacks);
    unz_global_info64 global = {};
    if (!state->archive || unzGetGlobalInfo64(state->archive, &global) != UNZ_OK || global.number_entry > 0x7FFFFFFF) {
        DestroyState(state);
        Keep(ZipNoFile);
        return nullptr;
    }
    state->memberCount = static_cast<int>(global.number_entry);
    ZipHandle* handle = new (std::nothrow) ZipHandle{kUnzipHandleKind, state};
    if (!handle) {
        DestroyState(state);
        Keep(ZipFailed);
        return nullptr;
    }
    Keep(ZipOk);
    return handle;
}

ZipResult Zip_FindItem(ZipHandle* handle, const wchar_t* name, bool ignoreCase, ZipMemberInfo* entry, int* index) {
    ZipResult result;
    ArchiveState* state = StateOf(handle, result);
    if (!state) return Keep(result);
    if (!name || !entry || !index) return Keep(ZipBadArgs);

    char narrowName[kZipMaxName + 1] = {};
    const bool converted = WideCharToMultiByte(CP_ACP, 0, name, -1, narrowName, kZipMaxName, nullptr, nullptr) != 0;
    if (!converted || unzLocateFile(state->archive, narrowName, ignoreCase ? 2 : 1) != UNZ_OK) {
        *index = -1;
        *entry = ZipMemberInfo{};
        entry->index = -1;
        return Keep(ZipNotFound);
    }
    unz_file_pos position = {};
    if (unzGetFilePos(state->archive, &position) != UNZ_OK) return Keep(ZipCorrupt);
    state->currentIndex = static_cast<int>(position.num_of_file);
    CloseMember(*state);
    *index = state->currentIndex;
    return Zip_GetItem(handle, *index, entry);
}

ZipResult Zip_GetItem(ZipHandle* handle, int index, ZipMemberInfo* entry) {
    ZipResult result;
    ArchiveState* state = StateOf(handle, result);
    if (!state) return Keep(result);
    if (!entry || index < -1 || index >= state->memberCount) return Keep(ZipBadArgs);
    CloseMember(*state);

    if (index == -1) {
        *entry = ZipMemberInfo{};
        entry->index = state->memberCount;
        return Keep(ZipOk);
    }
    if (index == state->cachedIndex) {
        *entry = state->cachedEntry;
        return Keep(ZipOk);
    }
    return Keep(DescribeMember(*state, index, *entry));
}

ZipResult Zip_UnzipItem(ZipHandle* handle, int index, void* buffer, DWORD length, DWORD* bytesRead) {
    if (bytesRead) *bytesRead = 0;
    ZipResult result;
    ArchiveState* state = StateOf(handle, result);
    if (!state) return Keep(result);
    if (state->openIndex != index) CloseMember(*state);
    if (index < 0 || index >= state->memberCount || (!buffer && length)) return Keep(ZipBadArgs);

    if (state->openIndex != index) {
        result = GoToMember(*state, index);
        if (result != ZipOk) return Keep(result);
        unz_file_info64 info = {};
        int error = unzGetCurrentFileInfo64(state->archive, &info, nullptr, 0, nullptr, 0, nullptr, 0);
        if (error != UNZ_OK) return Keep(FromUnzipError(error));
        if (info.flag & 1) return Keep(ZipPassword);
        error = unzOpenCurrentFile(state->archive);
        if (error != UNZ_OK) return Keep(FromUnzipError(error));
        state->openIndex = index;
    }

    DWORD total = 0;
    while (total < length) {
        // minizip reads at most an unsigned int per call.
        const unsigned chunk = static_cast<unsigned>(length - total > 0x40000000 ? 0x40000000 : length - total);
        int read = unzReadCurrentFile(state->archive, static_cast<BYTE*>(buffer) + total, chunk);
        if (read < 0) {
            CloseMember(*state);
            return Keep(ZipFailed);
        }
        if (read == 0) break;
        total += static_cast<DWORD>(read);
    }
    if (bytesRead) *bytesRead = total;

    if (unzeof(state->archive)) {
        // The whole member is out: closing checks its CRC.
        const int error = unzCloseCurrentFile(state->archive);
        state->openIndex = kNoMember;
        return Keep(error == UNZ_OK ? ZipOk : ZipFailed);
    }
    if (total == length) return Keep(ZipMore);
    // The data ended before the size the member declares.
    CloseMember(*state);
    return Keep(ZipFailed);
}

ZipResult Zip_Close(ZipHandle* handle) {
    if (!handle) return Keep(ZipBadArgs);
    if (handle->kind != kUnzipHandleKind) return Keep(ZipWrongMode);
    DestroyState(handle->state);
    delete handle;
    return Keep(ZipOk);
}

ZipResult Zip_LastResult() {
    return t_lastResult;
}

HANDLE Zip_GetFileHandle(ZipHandle* handle) {
    ZipResult result;
    ArchiveState* state = StateOf(handle, result);
    return state ? state->file.FileHandle() : nullptr;
}
