#include <gtest/gtest.h>
// iowin32.h relies on unzip.h's declarations.
#include <minizip/unzip.h>
#include <minizip/iowin32.h>

#include <string>
#include <vector>

#include "FixtureFile.h"

namespace {

// The archive the build made with zip, opened through the wide-path Win32 file functions.
class ZipReader {
public:
    explicit ZipReader(const wchar_t* name)
    {
        zlib_filefunc64_def files;
        fill_win32_filefunc64W(&files);
        const std::wstring path = FixtureFile::Path(name);
        zip_ = unzOpen2_64(path.c_str(), &files);
    }
    ~ZipReader()
    {
        if (zip_)
            unzClose(zip_);
    }
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    unzFile Get() const { return zip_; }

    // Reads one member whole; closing it checks the CRC.
    bool ReadMember(const char* name, std::vector<std::uint8_t>& bytes, unz_file_info64& info)
    {
        if (unzLocateFile(zip_, name, 1) != UNZ_OK ||
            unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(zip_) != UNZ_OK)
            return false;
        bytes.clear();
        char chunk[8192];
        int got;
        while ((got = unzReadCurrentFile(zip_, chunk, sizeof chunk)) > 0)
            bytes.insert(bytes.end(), chunk, chunk + got);
        const bool closedClean = unzCloseCurrentFile(zip_) == UNZ_OK;
        return got == 0 && closedClean;
    }

private:
    unzFile zip_ = nullptr;
};

std::vector<std::string> MemberNames(unzFile zip)
{
    std::vector<std::string> names;
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
        char name[256];
        if (unzGetCurrentFileInfo64(zip, nullptr, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK)
            names.push_back(name);
    }
    return names;
}

}  // namespace

TEST(Minizip, ListsTheMembersZipWrote)
{
    ZipReader zip(L"archive.zip");
    ASSERT_NE(zip.Get(), nullptr);
    unz_global_info64 global;
    ASSERT_EQ(unzGetGlobalInfo64(zip.Get(), &global), UNZ_OK);
    EXPECT_EQ(global.number_entry, 3u);
    EXPECT_EQ(MemberNames(zip.Get()), (std::vector<std::string>{"hello.txt", "numbers.txt", "tone.wav"}));
}

TEST(Minizip, MemberBytesMatchTheFilesZipWasGiven)
{
    ZipReader zip(L"archive.zip");
    ASSERT_NE(zip.Get(), nullptr);
    struct Member {
        const char* name;
        const wchar_t* source;
        int method;
    };
    const Member members[] = {
        {"hello.txt", L"hello.txt", 0},
        {"numbers.txt", L"numbers.txt", Z_DEFLATED},
        {"tone.wav", L"tone.wav", 0},
    };
    for (const Member& member : members) {
        SCOPED_TRACE(member.name);
        std::vector<std::uint8_t> bytes;
        unz_file_info64 info;
        ASSERT_TRUE(zip.ReadMember(member.name, bytes, info));
        EXPECT_EQ(info.compression_method, unsigned(member.method));
        const std::vector<std::uint8_t> source = FixtureFile::Read(member.source);
        ASSERT_FALSE(source.empty());
        EXPECT_EQ(info.uncompressed_size, source.size());
        EXPECT_TRUE(bytes == source);
    }
    std::vector<std::uint8_t> hello;
    unz_file_info64 info;
    ASSERT_TRUE(zip.ReadMember("hello.txt", hello, info));
    EXPECT_EQ(std::string(hello.begin(), hello.end()), "Orvalen archive member\r\nsecond line\r\n");
}

TEST(Minizip, ReportsAMissingMember)
{
    ZipReader zip(L"archive.zip");
    ASSERT_NE(zip.Get(), nullptr);
    EXPECT_EQ(unzLocateFile(zip.Get(), "absent.txt", 1), UNZ_END_OF_LIST_OF_FILE);
}

TEST(Minizip, RefusesATruncatedArchive)
{
    ZipReader zip(L"truncated.zip");
    EXPECT_EQ(zip.Get(), nullptr);
}
