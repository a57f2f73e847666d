#include "ZipFileArchive.h"

#include "Zip.h"

ZipFileArchive::ZipFileArchive(const wchar_t* path) : m_path(path ? path : L"") {}

bool ZipFileArchive::EnsureOpen() {
    if (!m_handle) {
        m_handle = Zip_Open(m_path.c_str(), 0, ZipSourceName);
        return m_handle != nullptr;
    }
    LARGE_INTEGER zero = {};
    if (SetFilePointerEx(Zip_GetFileHandle(m_handle), zero, nullptr, FILE_CURRENT)) return true;

    Close();
    m_handle = Zip_Open(m_path.c_str(), 0, ZipSourceName);
    for (int retry = 0; !m_handle && retry < kReopenRetries; ++retry) {
        Sleep(kReopenRetryDelayMs);
        m_handle = Zip_Open(m_path.c_str(), 0, ZipSourceName);
    }
    return m_handle != nullptr;
}
