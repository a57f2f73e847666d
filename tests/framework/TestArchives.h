#pragma once
// Archives for the zip and translation tests: the ones the build made with zip, and
// small stored archives built here byte by byte for headers zip would never write.
#include <windows.h>

#include <string>
#include <vector>

namespace testarchives {

// A file the build put into the framework tests' fixture folder.
std::wstring FixturePath(const std::wstring& name);
std::string ReadFileBytes(const std::wstring& path);

// Where the member's header fields sit inside an archive's bytes.
struct MemberOffsets {
    size_t central = 0;  // central directory record
    size_t local = 0;    // local header
    size_t data = 0;     // first byte of the member's (compressed) data
    DWORD compressedSize = 0;
};
bool FindMember(const std::string& archive, const std::string& name, MemberOffsets* offsets);
void PutLittleEndian32(std::string& bytes, size_t offset, DWORD value);

// Stored members with whatever header fields a test wants.
struct CraftedMember {
    std::string name;
    std::string data;
    WORD versionMadeBy = 0x0314;  // Unix host
    DWORD externalAttributes = 0x81A40000;  // rw-r--r--
    WORD flags = 0;
    DWORD dosDateTime = 0x5A2E6000;  // 2025-01-14 12:00:00
    std::string localExtra;
};
std::string CraftArchive(const std::vector<CraftedMember>& members);

}  // namespace testarchives
