#include <gtest/gtest.h>

#include <string>

#include "Dpi.h"
#include "PlatformHelpers.h"
#include "RegistryTree.h"
#include "ShellTaskBar.h"
#include "SoundFileExt.h"
#include "Taskbar.h"
#include "TestPaths.h"
#include "TestRegistry.h"

TEST(Taskbar, MeasuresTheBarOrScalesItsDesignedHeight) {
    EXPECT_EQ(26, Taskbar_MeasureHeight(nullptr, 96));
    EXPECT_EQ(52, Taskbar_MeasureHeight(nullptr, 192));
    EXPECT_EQ(33, Taskbar_MeasureHeight(nullptr, 120));  // (3120 + 48) / 96

    // The device shell's bar; no other test makes one.
    HWND bar = ShellTaskBar_Create(31);
    ASSERT_NE(nullptr, bar);
    ASSERT_EQ(bar, ShellTaskBar_Find());
    EXPECT_EQ(31, Taskbar_MeasureHeight(bar, 192));
    EXPECT_EQ(31, Taskbar_Show());
    // A bar without height counts as none; the first measure stays.
    SetWindowPos(bar, nullptr, 0, 0, 240, 0, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(52, Taskbar_MeasureHeight(bar, 192));
    EXPECT_EQ(31, Taskbar_Show());
    DestroyWindow(bar);
}

TEST(Dpi, ScalesDesignValuesKeepingTheSign) {
    EXPECT_EQ(52, Dpi_Scale(26, 192));
    EXPECT_EQ(-52, Dpi_Scale(-26, 192));
    EXPECT_EQ(14, Dpi_Scale(10, 131));  // (1310 + 48) / 96, rounded down
    EXPECT_EQ(0, Dpi_Scale(0, 192));
    EXPECT_GT(Dpi_GetX(), 0);
}

TEST(SoundFileExt, AcceptsMpegAndWavExtensionsOnly) {
    for (const wchar_t* accepted : {L"MP3", L"mpo", L"Wav", L"mp1", L"Mp2", L"MPO"})
        EXPECT_TRUE(SoundFile_IsMpegOrWavExt(accepted)) << accepted;
    for (const wchar_t* rejected : {L"mp4", L"wave", L"ogg", L"mp", L"", L"wma", L"mpg"})
        EXPECT_FALSE(SoundFile_IsMpegOrWavExt(rejected)) << rejected;
    EXPECT_FALSE(SoundFile_IsMpegOrWavExt(nullptr));
}

TEST(RegistryTree, DeletesAKeyWithEverythingBelowIt) {
    const std::wstring root = L"Software\\Ostrel\\Orvalen\\Tree";
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, root + L"\\A\\A1\\A2", L"v", 1));
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, root + L"\\B", L"v", 2));
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, root, L"v", 3));

    wchar_t path[kRegTreePathCapacity];
    wcscpy(path, root.c_str());
    EXPECT_TRUE(Reg_DeleteKeyTree(HKEY_CURRENT_USER, path));
    EXPECT_EQ(root, path);
    EXPECT_FALSE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, root));
    EXPECT_TRUE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, L"Software\\Ostrel\\Orvalen"));
    // A key that is not there is gone already.
    EXPECT_TRUE(Reg_DeleteKeyTree(HKEY_CURRENT_USER, path));
}

// A subkey whose path would not fit the buffer stops the deletion: false, and the key
// stays, instead of a write past the buffer.
TEST(RegistryTree, StopsWhereASubkeyPathWouldNotFit) {
    const std::wstring root = L"Software\\Ostrel\\Orvalen\\" + std::wstring(200, L'k');
    const std::wstring longChild = std::wstring(100, L'c');
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, root + L"\\" + longChild, L"v", 1));

    wchar_t path[kRegTreePathCapacity];
    wcscpy(path, root.c_str());
    EXPECT_FALSE(Reg_DeleteKeyTree(HKEY_CURRENT_USER, path));
    EXPECT_EQ(root, path);
    EXPECT_TRUE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, root + L"\\" + longChild));
}

TEST(PlatformHelpers, ReadsThePhoneLockState) {
    // This system reports a major version above 4: the lock lives under the machine key.
    ASSERT_GT(Sys_GetOsMajorVersion(), 4);
    EXPECT_EQ(0, Sys_GetPhoneLockState());
    const struct {
        DWORD value;
        int state;
    } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 2}, {4, 0}};
    for (const auto& c : cases) {
        ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_LOCAL_MACHINE, L"Security\\Phone", L"L", c.value));
        EXPECT_EQ(c.state, Sys_GetPhoneLockState()) << c.value;
    }
}

TEST(PlatformHelpers, FindsTheDevicesWindowsFolder) {
    wchar_t folder[MAX_PATH] = {};
    Sys_GetWindowsFolder(folder);
    EXPECT_EQ(testsupport::DevicePath(L"\\Windows"), folder);
}
