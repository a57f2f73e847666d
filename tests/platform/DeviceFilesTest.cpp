#include <gtest/gtest.h>
#include <shlobj.h>
#include "DeviceFiles.h"
#include "DeviceSession.h"
#include "TestSupport.h"

namespace {
std::wstring Mapped(const wchar_t* cePath) {
    wchar_t out[MAX_PATH];
    return Device_MapPath(cePath, out, MAX_PATH) ? out : L"<failed>";
}

std::wstring Unmapped(const std::wstring& hostPath) {
    wchar_t out[MAX_PATH];
    return Device_UnmapPath(hostPath.c_str(), out, MAX_PATH) ? out : L"<failed>";
}

std::wstring Special(int csidl, BOOL create) {
    wchar_t out[MAX_PATH];
    return Device_GetSpecialFolderPath(csidl, out, MAX_PATH, create) ? out : L"<failed>";
}
}  // namespace

class DeviceFiles : public testsupport::FreshDeviceTest {};

TEST_F(DeviceFiles, RootComesFromTheEnvironment) {
    wchar_t variable[MAX_PATH];
    ASSERT_NE(0u, GetEnvironmentVariableW(DEVICE_ROOT_VARIABLE, variable, MAX_PATH));
    wchar_t root[MAX_PATH];
    ASSERT_TRUE(Device_GetRoot(root, MAX_PATH));
    EXPECT_EQ(0, lstrcmpiW(variable, root));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(root));
    wchar_t tiny[4];
    EXPECT_FALSE(Device_GetRoot(tiny, 4));
}

TEST_F(DeviceFiles, RelativeRootIsPassedOnAsAFullPath) {
    const std::wstring root = testsupport::DeviceRoot();
    const size_t slash = root.find_last_of(L'\\');
    wchar_t previous[MAX_PATH];
    ASSERT_NE(0u, GetCurrentDirectoryW(MAX_PATH, previous));
    ASSERT_TRUE(SetCurrentDirectoryW(root.substr(0, slash).c_str()));
    DeviceSession_Detach();
    Device_SetRoot(root.substr(slash + 1).c_str());
    const BOOL attached = DeviceSession_Attach();
    SetCurrentDirectoryW(previous);
    ASSERT_TRUE(attached);
    wchar_t inherited[MAX_PATH];
    ASSERT_NE(0u, GetEnvironmentVariableW(DEVICE_ROOT_VARIABLE, inherited, MAX_PATH));
    EXPECT_EQ(root, inherited);
}

TEST_F(DeviceFiles, DriveLessPathsLandInTheDeviceRoot) {
    const std::wstring root = testsupport::DeviceRoot();
    EXPECT_EQ(root + L"\\Windows\\OrvalenStartup.exe", Mapped(L"\\Windows\\OrvalenStartup.exe"));
    EXPECT_EQ(root + L"\\navitel.exe", Mapped(L"\\navitel.exe"));
    EXPECT_EQ(root, Mapped(L"\\"));
    // ".." climbs inside the device only, as far as its root.
    EXPECT_EQ(root + L"\\Windows\\StartUp\\a.lnk", Mapped(L"\\Windows\\Start Menu\\..\\StartUp\\.\\a.lnk"));
    EXPECT_EQ(root + L"\\a.lnk", Mapped(L"\\Windows\\..\\..\\..\\a.lnk"));
    EXPECT_EQ(root + L"\\etc\\", Mapped(L"\\../.../.. /etc/"));
    EXPECT_EQ(root, Mapped(L"\\.."));
    // Host paths stay as they are.
    EXPECT_EQ(L"C:\\windows\\notepad.exe", Mapped(L"C:\\windows\\notepad.exe"));
    EXPECT_EQ(L"\\\\server\\share\\x", Mapped(L"\\\\server\\share\\x"));
    EXPECT_FALSE(Device_MapPath(nullptr, nullptr, 0));
    // And back, for showing: only a path inside the root loses it.
    EXPECT_EQ(L"\\My Documents\\a.bmp", Unmapped(root + L"\\My Documents\\a.bmp"));
    EXPECT_EQ(L"\\", Unmapped(root));
    EXPECT_EQ(root + L"x\\a.bmp", Unmapped(root + L"x\\a.bmp"));
    EXPECT_EQ(L"C:\\windows", Unmapped(L"C:\\windows"));
}

TEST_F(DeviceFiles, SpecialFoldersAreInsideTheDevice) {
    const std::wstring root = testsupport::DeviceRoot();
    EXPECT_EQ(root + L"\\Windows", Special(CSIDL_WINDOWS, FALSE));
    EXPECT_EQ(L"<failed>", Special(CSIDL_PROGRAMS, FALSE));  // not made until asked for
    EXPECT_EQ(root + L"\\Windows\\Start Menu\\Programs", Special(CSIDL_PROGRAMS, TRUE));
    EXPECT_EQ(root + L"\\Windows\\Start Menu", Special(CSIDL_STARTMENU, FALSE));
    EXPECT_EQ(root + L"\\My Documents", Special(CSIDL_PERSONAL | CSIDL_FLAG_CREATE, FALSE));
    EXPECT_EQ(root + L"\\My Documents\\My Pictures", Special(CSIDL_MYPICTURES, TRUE));
    EXPECT_EQ(L"<failed>", Special(CSIDL_COMMON_ADMINTOOLS, TRUE));
}
