#include "TestArchives.h"

#include <zlib.h>

#include "TestFiles.h"
#include "TestPaths.h"

#include <cstring>

namespace testarchives {

namespace {

DWORD Read32(const std::string& bytes, size_t offset) {
    DWORD value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

WORD Read16(const std::string& bytes, size_t offset) {
    return static_cast<WORD>(static_cast<unsigned char>(bytes[offset]) |
                             static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

void Append16(std::string& out, WORD value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void Append32(std::string& out, DWORD value) {
    Append16(out, static_cast<WORD>(value & 0xFFFF));
    Append16(out, static_cast<WORD>(value >> 16));
}

}  // namespace

// The build puts the fixtures beside the test program.
std::wstring FixturePath(const std::wstring& name) {
    return testsupport::ExeDir() + L"\\fixtures\\" + name;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    testsupport::ReadBytes(path, &bytes);
    return bytes;
}

bool FindMember(const std::string& archive, const std::string& name, MemberOffsets* offsets) {
    if (archive.size() < 22) return false;
    const size_t end = archive.size() - 22;  // no archive comment
    if (Read32(archive, end) != 0x06054b50) return false;
    const WORD count = Read16(archive, end + 10);
    size_t central = Read32(archive, end + 16);
    for (WORD i = 0; i < count && central + 46 <= archive.size(); ++i) {
        const WORD nameLength = Read16(archive, central + 28);
        const WORD extraLength = Read16(archive, central + 30);
        const WORD commentLength = Read16(archive, central + 32);
        if (archive.compare(central + 46, nameLength, name) == 0) {
            offsets->central = central;
            offsets->local = Read32(archive, central + 42);
            offsets->compressedSize = Read32(archive, central + 20);
            offsets->data = offsets->local + 30 + Read16(archive, offsets->local + 26) +
                            Read16(archive, offsets->local + 28);
            return true;
        }
        central += 46 + nameLength + extraLength + commentLength;
    }
    return false;
}

void PutLittleEndian32(std::string& bytes, size_t offset, DWORD value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string CraftArchive(const std::vector<CraftedMember>& members) {
    std::string out, central;
    for (const CraftedMember& m : members) {
        const DWORD crc = crc32(0, reinterpret_cast<const Bytef*>(m.data.data()), static_cast<uInt>(m.data.size()));
        const DWORD offset = static_cast<DWORD>(out.size());
        const DWORD size = static_cast<DWORD>(m.data.size());

        Append32(out, 0x04034b50);
        Append16(out, 20);
        Append16(out, m.flags);
        Append16(out, 0);  // stored
        Append32(out, m.dosDateTime);
        Append32(out, crc);
        Append32(out, size);
        Append32(out, size);
        Append16(out, static_cast<WORD>(m.name.size()));
        Append16(out, static_cast<WORD>(m.localExtra.size()));
        out += m.name + m.localExtra + m.data;

        Append32(central, 0x02014b50);
        Append16(central, m.versionMadeBy);
        Append16(central, 20);
        Append16(central, m.flags);
        Append16(central, 0);
        Append32(central, m.dosDateTime);
        Append32(central, crc);
        Append32(central, size);
        Append32(central, size);
        Append16(central, static_cast<WORD>(m.name.size()));
        Append16(central, 0);  // no central extra
        Append16(central, 0);  // no comment
        Append16(central, 0);
        Append16(central, 0);
        Append32(central, m.externalAttributes);
        Append32(central, offset);
        central += m.name;
    }
    const DWORD centralOffset = static_cast<DWORD>(out.size());
    out += central;
    Append32(out, 0x06054b50);
    Append16(out, 0);
    Append16(out, 0);
    Append16(out, static_cast<WORD>(members.size()));
    Append16(out, static_cast<WORD>(members.size()));
    Append32(out, static_cast<DWORD>(central.size()));
    Append32(out, centralOffset);
    Append16(out, 0);
    return out;
}

}  // namespace testarchives
