#include "ZipMemoryArchive.h"

#include "Zip.h"

ZipMemoryArchive::ZipMemoryArchive(const void* data, DWORD size) : m_data(data), m_size(size) {}

bool ZipMemoryArchive::EnsureOpen() {
    if (!m_handle) m_handle = Zip_Open(m_data, m_size, ZipSourceMemory);
    return m_handle != nullptr;
}
