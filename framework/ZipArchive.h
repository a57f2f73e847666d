#pragma once
// A zip archive from which a named member is read whole into memory.
#include <windows.h>
#include <cstdint>
#include <memory>
#include <vector>

// A member's bytes, shared; empty with size 0 when the member is missing.
struct ZipEntryData {
    std::shared_ptr<std::vector<uint8_t>> bytes;
    size_t size = 0;
};

class ZipArchive {
public:
    virtual ~ZipArchive() { Close(); }
    virtual void Close() {}
    virtual ZipEntryData ReadEntry(const wchar_t* name) = 0;
    virtual const wchar_t* Prefix() const { return L""; }
    // True when the archive can be read.
    virtual bool EnsureOpen() = 0;
};
