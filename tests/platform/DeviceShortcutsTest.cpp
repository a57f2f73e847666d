// Shortcut files as the handheld's shell reads them, written here by hand in its text
// form: the program with its arguments, the icon, what the shell starts when one is
// tapped, and files that are no shortcut.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "DeviceShortcuts.h"
#include "ProbeReport.h"
#include "TestSupport.h"

namespace {

void Plant(const wchar_t* cePath, const std::string& text) {
    const std::wstring path = testsupport::DevicePath(cePath);
    SHCreateDirectoryExW(nullptr, path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
    ASSERT_TRUE(testsupport::WriteBytes(path, text));
}

class DeviceShortcuts : public testsupport::FreshDeviceTest {};

}  // namespace

TEST_F(DeviceShortcuts, ReadsProgramArgumentsAndIcon) {
    const struct {
        const char* text;
        const wchar_t* program;
        const wchar_t* arguments;
        const wchar_t* iconFile;  // null: none
        int iconIndex;
    } cases[] = {
        {"26#\"\\Program Files\\a b\\x.exe\" alarms?\\Program Files\\Orvalen\\Glyphpack.dll,-101",
         L"\\Program Files\\a b\\x.exe", L"alarms", L"\\Program Files\\Orvalen\\Glyphpack.dll", -101},
        {"17#\\Windows\\calc.exe -x  y", L"\\Windows\\calc.exe", L"-x  y", nullptr, 0},
        {"7#\"p.exe\" ?\\i.dll,5", L"p.exe", L"", L"\\i.dll", 5},
        {"7#\"u.exe\" a?b", L"u.exe", L"a?b", nullptr, 0},  // no icon after the mark
        {"1#\\Glyph.dll,-417", L"", L"", L"\\Glyph.dll", -417},
        {"9#\"x y.exe\"\r\n", L"x y.exe", L"", nullptr, 0},
    };
    for (const auto& c : cases) {
        Plant(L"\\case.lnk", c.text);
        DeviceShortcut read = {};
        ASSERT_TRUE(Device_ReadShortcut(L"\\case.lnk", &read)) << c.text;
        EXPECT_STREQ(c.program, read.program) << c.text;
        EXPECT_STREQ(c.arguments, read.arguments) << c.text;
        EXPECT_EQ(c.iconFile != nullptr, read.hasIcon != FALSE) << c.text;
        if (c.iconFile) {
            EXPECT_STREQ(c.iconFile, read.iconFile) << c.text;
            EXPECT_EQ(c.iconIndex, read.iconIndex) << c.text;
        }
    }

    wchar_t target[MAX_PATH];
    Plant(L"\\My Documents\\t.lnk", "21#\"\\Windows\\target.exe\" -a?x.dll,1");
    ASSERT_TRUE(SHGetShortcutTarget(L"\\My Documents\\t.lnk", target, MAX_PATH));
    EXPECT_STREQ(L"\\Windows\\target.exe", target);
    EXPECT_FALSE(SHGetShortcutTarget(L"\\My Documents\\t.lnk", target, 10));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    Plant(L"\\icon.lnk", "1#\\Glyph.dll,-417");
    EXPECT_FALSE(SHGetShortcutTarget(L"\\icon.lnk", target, MAX_PATH)) << "an icon starts nothing";
}

TEST_F(DeviceShortcuts, FilesThatAreNoShortcutFail) {
    for (const std::string& text : {std::string(), std::string("#x.exe"), std::string("x#y.exe"),
                                    std::string("12 x.exe"), std::string("3#\"unclosed"), std::string("5#"),
                                    std::string("4#") + std::string(5000, 'a')}) {
        Plant(L"\\bad.lnk", text);
        DeviceShortcut read = {};
        EXPECT_FALSE(Device_ReadShortcut(L"\\bad.lnk", &read)) << text.substr(0, 20);
        EXPECT_EQ(DWORD(ERROR_BAD_FORMAT), GetLastError()) << text.substr(0, 20);
    }
    DeviceShortcut read = {};
    EXPECT_FALSE(Device_ReadShortcut(L"\\missing.lnk", &read));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(Device_OpenShortcut(L"\\missing.lnk"));
}

TEST_F(DeviceShortcuts, TappingOneStartsItsProgramWithItsArguments) {
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(PROBE_EXE), L"\\Program Files\\Probe\\probe.exe"));
    Plant(L"\\Windows\\Start Menu\\Programs\\probe.lnk",
          "32#\"\\Program Files\\Probe\\probe.exe\" new_alarm 12?\\Glyph.dll,-411");
    ASSERT_TRUE(Device_OpenShortcut(L"\\Windows\\Start Menu\\Programs\\probe.lnk"));
    ASSERT_TRUE(testsupport::WaitForFile(testsupport::DevicePath(PROBE_DONE_FILE), 30000));
    std::wstring text;
    ASSERT_TRUE(testsupport::ReadUtf16(testsupport::DevicePath(PROBE_COMMAND_TEXT_FILE), &text));
    EXPECT_EQ(L"new_alarm 12", text);
}
