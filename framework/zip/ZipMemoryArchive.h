#pragma once
// An archive held in memory (the built-in skin resource). The bytes are borrowed and
// must outlive the archive.
#include "ZipArchive.h"

class ZipMemoryArchive : public ZipArchive {
public:
    ZipMemoryArchive(const void* data, DWORD size);
    bool EnsureOpen() override;

private:
    const void* m_data;
    DWORD m_size;
};
