#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "TestArchives.h"
#include "TestPaths.h"
#include "Zip.h"
#include "ZipFileArchive.h"
#include "ZipMemoryArchive.h"

using namespace testarchives;

namespace {

std::string AsString(const ZipEntryData& entry) {
    return entry.data ? std::string(reinterpret_cast<const char*>(entry.data.get()), entry.size) : std::string();
}

ULONGLONG Ticks(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

constexpr ULONGLONG kUnixEpochTicks = 116444736000000000ULL;
constexpr ULONGLONG kFixtureTimeTicks = 1600000000ULL * 10000000ULL + kUnixEpochTicks;

struct Members {
    std::string stored = ReadFileBytes(FixturePath(L"members\\stored.bin"));
    std::string deflated = ReadFileBytes(FixturePath(L"members\\deflated.txt"));
    std::string nested = ReadFileBytes(FixturePath(L"members\\folder\\Nested.TXT"));
};

}  // namespace

TEST(ZipArchive, ReadsStoredAndDeflatedMembersByteExact) {
    Members expected;
    ASSERT_GT(expected.stored.size(), 10000u);
    ASSERT_GT(expected.deflated.size(), 50000u);

    ZipFileArchive archive(FixturePath(L"archive.zip").c_str());
    EXPECT_EQ(expected.stored, AsString(archive.ReadEntry(L"stored.bin")));
    EXPECT_EQ(expected.deflated, AsString(archive.ReadEntry(L"deflated.txt")));
    // Names match ignoring case; reading again after Close reopens the file.
    archive.Close();
    EXPECT_EQ(expected.nested, AsString(archive.ReadEntry(L"FOLDER/nested.txt")));
    EXPECT_EQ(expected.deflated, AsString(archive.ReadEntry(L"Deflated.TXT")));

    // The same bytes from memory, as the built-in skin is read.
    const std::string bytes = ReadFileBytes(FixturePath(L"archive.zip"));
    ZipMemoryArchive inMemory(bytes.data(), static_cast<DWORD>(bytes.size()));
    EXPECT_EQ(expected.stored, AsString(inMemory.ReadEntry(L"stored.bin")));
    EXPECT_EQ(expected.deflated, AsString(inMemory.ReadEntry(L"deflated.txt")));
}

TEST(ZipArchive, MissingMemberOrFileGivesEmptyBuffer) {
    ZipFileArchive archive(FixturePath(L"archive.zip").c_str());
    ZipEntryData missing = archive.ReadEntry(L"absent.txt");
    EXPECT_EQ(0u, missing.size);
    EXPECT_FALSE(missing.data);

    ZipFileArchive noFile(FixturePath(L"no-such-archive.zip").c_str());
    EXPECT_FALSE(noFile.EnsureOpen());
    EXPECT_EQ(ZipNoFile, Zip_LastResult());
    EXPECT_EQ(0u, noFile.ReadEntry(L"stored.bin").size);
}

TEST(ZipLayer, DescribesMembersOfARealArchive) {
    ZipHandle* zip = Zip_Open(FixturePath(L"archive.zip").c_str(), 0, ZipSourceName);
    ASSERT_NE(nullptr, zip);
    ZipMemberInfo info;
    ASSERT_EQ(ZipOk, Zip_GetItem(zip, -1, &info));
    EXPECT_EQ(4, info.index);

    int index = -1;
    ASSERT_EQ(ZipOk, Zip_FindItem(zip, L"deflated.txt", true, &info, &index));
    EXPECT_STREQ(L"deflated.txt", info.name);
    EXPECT_EQ(index, info.index);
    EXPECT_LT(info.compressedSize, info.uncompressedSize / 4);
    EXPECT_EQ(kFixtureTimeTicks, Ticks(info.modificationTime));
    EXPECT_EQ(kFixtureTimeTicks, Ticks(info.accessTime));
    EXPECT_EQ(FILE_ATTRIBUTE_ARCHIVE, info.attributes);

    ASSERT_EQ(ZipOk, Zip_FindItem(zip, L"stored.bin", true, &info, &index));
    EXPECT_EQ(info.compressedSize, info.uncompressedSize);

    // Unix mode without the owner-write bit.
    ASSERT_EQ(ZipOk, Zip_FindItem(zip, L"readonly.txt", true, &info, &index));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY), info.attributes);

    EXPECT_EQ(ZipNotFound, Zip_FindItem(zip, L"DEFLATED.TXT", false, &info, &index));
    EXPECT_EQ(-1, index);
    EXPECT_EQ(-1, info.index);
    EXPECT_EQ(ZipBadArgs, Zip_GetItem(zip, 4, &info));
    EXPECT_EQ(ZipOk, Zip_Close(zip));
    EXPECT_EQ(ZipBadArgs, Zip_Close(nullptr));
}

TEST(ZipLayer, SmallBufferReadsContinueWhereTheyStopped) {
    Members expected;
    ZipHandle* zip = Zip_Open(FixturePath(L"archive.zip").c_str(), 0, ZipSourceName);
    ASSERT_NE(nullptr, zip);
    ZipMemberInfo info;
    int index = -1;
    ASSERT_EQ(ZipOk, Zip_FindItem(zip, L"deflated.txt", true, &info, &index));

    std::string joined;
    char buffer[7000];
    ZipResult result;
    int calls = 0;
    do {
        DWORD read = 0;
        result = Zip_UnzipItem(zip, index, buffer, sizeof buffer, &read);
        joined.append(buffer, read);
        ++calls;
    } while (result == ZipMore && calls < 1000);
    EXPECT_EQ(ZipOk, result);
    EXPECT_GT(calls, 2);
    EXPECT_EQ(expected.deflated, joined);
    Zip_Close(zip);
}

TEST(ZipLayer, OpensFromAHandleAtTheArchivesStart) {
    Members expected;
    // The archive sits 300 bytes into a file, as an archive appended to another.
    const std::wstring path = testsupport::DeviceRoot() + L"\\prefixed-archive.bin";
    const std::string bytes = std::string(300, 'P') + ReadFileBytes(FixturePath(L"archive.zip"));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    SetFilePointer(file, 300, nullptr, FILE_BEGIN);

    ZipHandle* zip = Zip_Open(file, 0, ZipSourceHandle);
    ASSERT_NE(nullptr, zip);
    ZipMemberInfo info;
    int index = -1;
    ASSERT_EQ(ZipOk, Zip_FindItem(zip, L"folder/Nested.TXT", false, &info, &index));
    std::string data(info.uncompressedSize, '\0');
    EXPECT_EQ(ZipOk, Zip_UnzipItem(zip, index, &data[0], info.uncompressedSize));
    EXPECT_EQ(expected.nested, data);
    Zip_Close(zip);
    // The layer leaves a handle it was given open.
    EXPECT_NE(INVALID_SET_FILE_POINTER, SetFilePointer(file, 0, nullptr, FILE_CURRENT));
    CloseHandle(file);
    DeleteFileW(path.c_str());

    EXPECT_EQ(nullptr, Zip_Open(INVALID_HANDLE_VALUE, 0, ZipSourceHandle));
    EXPECT_EQ(ZipSeekError, Zip_LastResult());
    EXPECT_EQ(nullptr, Zip_Open(bytes.data(), 0, 7));
    EXPECT_EQ(ZipBadArgs, Zip_LastResult());
}

TEST(ZipArchive, DamagedArchivesFailCleanly) {
    const std::string original = ReadFileBytes(FixturePath(L"archive.zip"));
    MemberOffsets deflated, stored;
    ASSERT_TRUE(FindMember(original, "deflated.txt", &deflated));
    ASSERT_TRUE(FindMember(original, "stored.bin", &stored));

    {  // Cut in half: no central directory.
        const std::string cut = original.substr(0, original.size() / 2);
        ZipMemoryArchive archive(cut.data(), static_cast<DWORD>(cut.size()));
        EXPECT_FALSE(archive.EnsureOpen());
        EXPECT_EQ(ZipNoFile, Zip_LastResult());
        EXPECT_EQ(0u, archive.ReadEntry(L"stored.bin").size);
    }
    {  // Not an archive at all, and nothing at all.
        const std::string text(5000, 'x');
        EXPECT_FALSE(ZipMemoryArchive(text.data(), static_cast<DWORD>(text.size())).EnsureOpen());
        EXPECT_FALSE(ZipMemoryArchive(nullptr, 0).EnsureOpen());
    }
    {  // A damaged deflate stream.
        std::string damaged = original;
        for (size_t i = 0; i < 64; ++i) damaged[deflated.data + deflated.compressedSize / 2 + i] ^= 0x5A;
        ZipMemoryArchive archive(damaged.data(), static_cast<DWORD>(damaged.size()));
        EXPECT_EQ(0u, archive.ReadEntry(L"deflated.txt").size);
        EXPECT_EQ(ZipFailed, Zip_LastResult());
    }
    {  // One changed byte in a stored member fails its checksum.
        std::string damaged = original;
        damaged[stored.data + 100] ^= 0x01;
        ZipMemoryArchive archive(damaged.data(), static_cast<DWORD>(damaged.size()));
        EXPECT_EQ(0u, archive.ReadEntry(L"stored.bin").size);
        EXPECT_EQ(ZipFailed, Zip_LastResult());
    }
}

// The header's size decides the allocation, so it must neither be trusted beyond a
// cap nor give back a buffer with an unfilled tail.
TEST(ZipArchive, DeclaredSizesMustMatchTheData) {
    const std::string original = ReadFileBytes(FixturePath(L"archive.zip"));
    MemberOffsets member;
    ASSERT_TRUE(FindMember(original, "deflated.txt", &member));
    const DWORD realSize = static_cast<DWORD>(ReadFileBytes(FixturePath(L"members\\deflated.txt")).size());

    for (DWORD declared : std::initializer_list<DWORD>{0xFFFFFFF0u, ZipArchive::kMaxEntrySize + 1, realSize + 5000, realSize - 5000}) {
        std::string patched = original;
        PutLittleEndian32(patched, member.central + 24, declared);
        PutLittleEndian32(patched, member.local + 22, declared);
        ZipMemoryArchive archive(patched.data(), static_cast<DWORD>(patched.size()));
        ZipEntryData entry = archive.ReadEntry(L"deflated.txt");
        EXPECT_EQ(0u, entry.size) << declared;
        EXPECT_FALSE(entry.data) << declared;
    }
}

TEST(ZipLayer, CleansMemberNamesAndReadsDosAttributes) {
    std::vector<CraftedMember> members(7);
    members[0].name = "skins/../face.png";
    members[5].name = "a/../../up.png";
    members[6].name = "..\\..\\back.png";
    members[1].name = "C:\\dial.png";
    members[2].name = "/\\hand.png";
    members[3].name = "dos.txt";
    members[3].versionMadeBy = 0x0014;  // MS-DOS host
    members[3].externalAttributes = 0x27;  // archive, system, hidden, read-only
    members[4].name = "dir/";
    members[4].externalAttributes = 0x41ED0010;  // Unix directory
    for (CraftedMember& m : members) m.data = "data of " + m.name;
    const std::string bytes = CraftArchive(members);

    ZipHandle* zip = Zip_Open(bytes.data(), static_cast<DWORD>(bytes.size()), ZipSourceMemory);
    ASSERT_NE(nullptr, zip);
    const wchar_t* names[] = {L"face.png", L"dial.png", L"hand.png", L"dos.txt", L"dir/", L"up.png", L"back.png"};
    for (int i = 0; i < 7; ++i) {
        ZipMemberInfo info;
        ASSERT_EQ(ZipOk, Zip_GetItem(zip, i, &info));
        EXPECT_STREQ(names[i], info.name);
    }
    ZipMemberInfo info;
    // Walking backwards goes through the first member again.
    ASSERT_EQ(ZipOk, Zip_GetItem(zip, 3, &info));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_READONLY),
              info.attributes);
    ASSERT_EQ(ZipOk, Zip_GetItem(zip, 4, &info));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_DIRECTORY), info.attributes);
    Zip_Close(zip);
}

// A "UT" block whose flags announce more times than it holds: only the times that fit
// are read; the rest keep the DOS time.
TEST(ZipLayer, ReadsTimestampBlocksOnlyAsFarAsTheyGo) {
    auto block = [](const std::string& payload) {
        std::string b = "UT";
        b.push_back(static_cast<char>(payload.size()));
        b.push_back(0);
        return b + payload;
    };
    auto le32 = [](DWORD v) {
        std::string s(4, '\0');
        for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
        return s;
    };
    std::vector<CraftedMember> members(4);
    members[0].name = "short.txt";  // flags say all three, room for one
    members[0].localExtra = block("\x07" + le32(1600000000));
    members[1].name = "full.txt";   // another block first, then all three times
    members[1].localExtra = std::string("xx\x02\x00\x01\x02", 6) +
                            block("\x07" + le32(1600000000) + le32(1600000100) + le32(1600000200));
    members[2].name = "overrun.txt";  // claims more bytes than the extra field holds
    members[2].localExtra = std::string("UT\x20\x00\x07", 5) + le32(1600000000);
    members[3].name = "encrypted.txt";
    members[3].flags = 1;
    for (CraftedMember& m : members) m.data = "contents";
    const std::string bytes = CraftArchive(members);

    ZipHandle* zip = Zip_Open(bytes.data(), static_cast<DWORD>(bytes.size()), ZipSourceMemory);
    ASSERT_NE(nullptr, zip);
    ZipMemberInfo dosOnly;
    ASSERT_EQ(ZipOk, Zip_GetItem(zip, 2, &dosOnly));
    EXPECT_NE(kFixtureTimeTicks, Ticks(dosOnly.modificationTime));
    EXPECT_EQ(Ticks(dosOnly.modificationTime), Ticks(dosOnly.accessTime));
    EXPECT_NE(0u, Ticks(dosOnly.modificationTime));

    ZipMemberInfo info;
    ASSERT_EQ(ZipOk, Zip_GetItem(zip, 0, &info));
    EXPECT_EQ(kFixtureTimeTicks, Ticks(info.modificationTime));
    EXPECT_EQ(Ticks(dosOnly.accessTime), Ticks(info.accessTime));
    EXPECT_EQ(Ticks(dosOnly.creationTime), Ticks(info.creationTime));

    ASSERT_EQ(ZipOk, Zip_GetItem(zip, 1, &info));
    EXPECT_EQ(kFixtureTimeTicks, Ticks(info.modificationTime));
    EXPECT_EQ(kFixtureTimeTicks + 100 * 10000000ULL, Ticks(info.accessTime));
    EXPECT_EQ(kFixtureTimeTicks + 200 * 10000000ULL, Ticks(info.creationTime));

    char buffer[16];
    EXPECT_EQ(ZipPassword, Zip_UnzipItem(zip, 3, buffer, sizeof buffer));
    DWORD read = 0;
    EXPECT_EQ(ZipOk, Zip_UnzipItem(zip, 0, buffer, sizeof buffer, &read));
    EXPECT_EQ("contents", std::string(buffer, read));
    Zip_Close(zip);
}

namespace {

// Reaches the file under an open archive, as a storage card taken out would.
class ProbedFileArchive : public ZipFileArchive {
public:
    using ZipFileArchive::ZipFileArchive;
    HANDLE File() const { return Zip_GetFileHandle(m_handle); }
};

}  // namespace

TEST(ZipArchive, ReopensWhenItsFileWentAway) {
    Members expected;
    const std::wstring path = testsupport::DeviceRoot() + L"\\skin.zip";
    const std::wstring away = testsupport::DeviceRoot() + L"\\skin-away.zip";
    ASSERT_TRUE(CopyFileW(FixturePath(L"archive.zip").c_str(), path.c_str(), FALSE));
    ProbedFileArchive archive(path.c_str());
    ASSERT_EQ(expected.nested, AsString(archive.ReadEntry(L"folder/Nested.TXT")));

    // The handle goes bad: the next read opens the file again.
    CloseHandle(archive.File());
    EXPECT_EQ(expected.stored, AsString(archive.ReadEntry(L"stored.bin")));

    // The file itself is gone for a while: reads retry until it is back.
    CloseHandle(archive.File());
    ASSERT_TRUE(MoveFileW(path.c_str(), away.c_str()));
    std::thread putBack([&] {
        Sleep(700);
        MoveFileW(away.c_str(), path.c_str());
    });
    const DWORD start = GetTickCount();
    EXPECT_EQ(expected.deflated, AsString(archive.ReadEntry(L"deflated.txt")));
    putBack.join();
    EXPECT_GE(GetTickCount() - start, 600u);

    // Gone for good: about ten retries, 300 ms apart, then an empty read.
    CloseHandle(archive.File());
    ASSERT_TRUE(MoveFileW(path.c_str(), away.c_str()));
    const DWORD giveUpStart = GetTickCount();
    EXPECT_EQ(0u, archive.ReadEntry(L"deflated.txt").size);
    EXPECT_GE(GetTickCount() - giveUpStart, 2900u);
    EXPECT_FALSE(archive.EnsureOpen());
}
