// Files the program replaces whole (the Today item's texts, the Start-menu shortcuts)
// outlive a writer that dies halfway: one ended by a limit on the size of the files it
// may write leaves the old file as it was; one that finishes replaces it.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Runs the writer with files limited to limitBytes ("unlimited": no limit); true when it
// ended with 0. began tells whether it started at all; a start Wine refused is made again.
bool RunWriter(const std::wstring& kind, const std::wstring& path, const std::string& limitBytes, bool* began) {
    const std::string writer = testsupport::UnixPath(testsupport::HostPath(REPLACE_CRASH_WRITER));
    const std::wstring mark = path + L".began";
    bool ended = false;
    *began = false;
    for (int attempt = 0; attempt < 3 && !*began; ++attempt) {
        DeleteFileW(mark.c_str());
        ended = testsupport::RunHostTool("prlimit", "--fsize=" + limitBytes + " /usr/bin/wine '" + writer + "' " +
                                                        Narrow(kind) + " '" + Narrow(path) + "'");
        *began = GetFileAttributesW(mark.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    DeleteFileW(mark.c_str());
    return ended;
}

}  // namespace

TEST(FileReplaceCrash, AWriterEndedHalfwayLeavesTheOldFileWhole) {
    for (const wchar_t* kind : {L"today", L"shortcut"}) {
        SCOPED_TRACE(Narrow(kind));
        const std::wstring path = testsupport::DeviceRoot() + L"\\replaced-" + kind + L".bin";
        const std::string old = "the old file, whole";
        ASSERT_TRUE(testsupport::WriteBytes(path, old));
        bool began = false;
        // Both files are longer than 64 bytes: the writer dies in the middle of one.
        EXPECT_FALSE(RunWriter(kind, path, "64", &began));
        ASSERT_TRUE(began);
        std::string now;
        EXPECT_TRUE(testsupport::ReadBytes(path, &now));
        EXPECT_EQ(old, now);
        EXPECT_TRUE(RunWriter(kind, path, "unlimited", &began));
        EXPECT_TRUE(testsupport::ReadBytes(path, &now));
        EXPECT_GT(now.size(), 64u);
    }
}
