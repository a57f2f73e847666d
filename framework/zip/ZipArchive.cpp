#include "ZipArchive.h"

#include <new>

#include "Zip.h"

ZipArchive::~ZipArchive() {
    ZipArchive::Close();
}

void ZipArchive::Close() {
    if (m_handle) {
        Zip_Close(m_handle);
        m_handle = nullptr;
    }
}

ZipEntryData ZipArchive::ReadEntry(const wchar_t* name) {
    if (!name || !EnsureOpen()) return ZipEntryData();
    ZipMemberInfo info;
    int index = -1;
    if (Zip_FindItem(m_handle, name, true, &info, &index) != ZipOk) return ZipEntryData();
    if (info.uncompressedSize == 0 || info.uncompressedSize > kMaxEntrySize) return ZipEntryData();

    ZipEntryData entry;
    entry.data.reset(new (std::nothrow) BYTE[info.uncompressedSize]);
    if (!entry.data) return ZipEntryData();
    DWORD read = 0;
    if (Zip_UnzipItem(m_handle, index, entry.data.get(), info.uncompressedSize, &read) != ZipOk ||
        read != info.uncompressedSize) {
        return ZipEntryData();
    }
    entry.size = read;
    return entry;
}
