#pragma once
// An archive through which a named member is read whole into memory. Subclasses say
// where the archive lives and how to (re)open it.
#include <windows.h>

#include <boost/shared_array.hpp>
#include <string>

struct ZipHandle;

// A member's bytes, shared; size 0 and no data when the member could not be read.
struct ZipEntryData {
    boost::shared_array<BYTE> data;
    DWORD size = 0;
};

class ZipArchive {
public:
    // Members declaring more than this are refused: a damaged or hostile header must not
    // make us allocate whatever it claims.
    static constexpr DWORD kMaxEntrySize = 32u * 1024 * 1024;

    ZipArchive() = default;
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;
    virtual ~ZipArchive();

    // Closes the archive; the next read opens it again.
    virtual void Close();
    // The whole member, found by name ignoring case; empty on any failure. The member
    // must inflate to exactly its declared size and pass its checksum.
    virtual ZipEntryData ReadEntry(const wchar_t* name);
    virtual std::wstring Prefix() const { return std::wstring(); }
    // True when the archive can be read (opening it when needed).
    virtual bool EnsureOpen() = 0;

protected:
    ZipHandle* m_handle = nullptr;
};
