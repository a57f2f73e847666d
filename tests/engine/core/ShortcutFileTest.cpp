// Shortcut files as the program writes them: the text the handheld's shell reads, the
// folder they go to, and a file written over an older one.
#include "ShortcutFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <shlobj.h>

namespace {

const wchar_t kIcons[] = L"\\Program Files\\Orvalen\\Glyphpack.dll";

class ShortcutFile : public testsupport::FreshDeviceTest {};

}  // namespace

TEST(ShortcutContent, CountsTheQuotedTargetAndEndsWithTheIcon) {
    // A 30-character target counts 32 with its quotes.
    EXPECT_EQ("32#\"\\Windows\\OrvalenStartup000.exe\" alarms?\\Program Files\\Orvalen\\Glyphpack.dll,-101",
              Shortcut_Content(L"\\Windows\\OrvalenStartup000.exe", L"alarms", kIcons, -101));
    EXPECT_EQ("9#\"x y.exe\" ?\\Program Files\\Orvalen\\Glyphpack.dll,-100",
              Shortcut_Content(L"x y.exe", L"", kIcons, -100));
    EXPECT_EQ("1#\\Program Files\\Orvalen\\Glyphpack.dll,-417", Shortcut_Content(nullptr, nullptr, kIcons, -417));
}

TEST_F(ShortcutFile, GoesToProgramsElseTheStartMenuAndReplacesAnOldFile) {
    std::wstring folder;
    EXPECT_FALSE(Shortcut_MenuFolder(folder)) << "a device without a Start menu";
    const std::wstring startMenu = testsupport::DevicePath(L"\\Windows\\Start Menu");
    ASSERT_EQ(ERROR_SUCCESS, SHCreateDirectoryExW(nullptr, startMenu.c_str(), nullptr));
    ASSERT_TRUE(Shortcut_MenuFolder(folder));
    EXPECT_EQ(0, lstrcmpiW(startMenu.c_str(), folder.c_str()));
    ASSERT_TRUE(CreateDirectoryW((startMenu + L"\\Programs").c_str(), nullptr));
    ASSERT_TRUE(Shortcut_MenuFolder(folder));
    EXPECT_EQ(0, lstrcmpiW((startMenu + L"\\Programs").c_str(), folder.c_str()));

    const std::wstring file = folder + L"\\a.lnk";
    ASSERT_TRUE(testsupport::WriteBytes(file, std::string(300, 'x')));
    ASSERT_TRUE(Shortcut_WriteFile(file, "1#g.dll,-1"));
    std::string bytes;
    ASSERT_TRUE(testsupport::ReadBytes(file, &bytes));
    EXPECT_EQ("1#g.dll,-1", bytes);
    EXPECT_FALSE(Shortcut_WriteFile(folder + L"\\no such folder\\a.lnk", "1#g.dll,-1"));
}
