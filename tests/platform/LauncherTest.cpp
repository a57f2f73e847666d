#include <gtest/gtest.h>
#include "ProbeHelpers.h"

namespace {
const wchar_t kProgramKey[] = L"Software\\Ostrel\\Orvalen";
const wchar_t kLocationValue[] = L"Location";
const DWORD kNoLocation = 1;
const DWORD kStartFailed = 2;

class Launcher : public testsupport::FreshDeviceTest {
protected:
    void SetUp() override {
        FreshDeviceTest::SetUp();
        ASSERT_TRUE(testsupport::InstallLauncher());
    }
    static bool SetLocation(const std::wstring& path, DWORD type = REG_SZ) {
        return testsupport::WriteRegistryString(HKEY_CURRENT_USER, kProgramKey, kLocationValue, path, type);
    }
    static DWORD Launch(const std::wstring& text) {
        return testsupport::RunProgram(testsupport::kLauncherDevicePath, text);
    }
};
}  // namespace

TEST_F(Launcher, StartsLocationWithExactlyItsOwnCommandText) {
    ASSERT_TRUE(probe::Install(L"\\Program Files\\Orvalen\\Orvalen.exe"));
    ASSERT_TRUE(SetLocation(testsupport::DevicePath(L"\\Program Files\\Orvalen\\Orvalen.exe")));
    const std::wstring texts[] = {L"AppRunAtTime", L"new_alarm 3735928559", L"-x  \"a b\"  c ", L"  -scrsvr", L""};
    for (const std::wstring& text : texts) {
        SCOPED_TRACE(testing::Message() << "text [" << std::string(text.begin(), text.end()) << "]");
        probe::Clear();
        ASSERT_EQ(0u, Launch(text));
        ASSERT_TRUE(probe::WaitDone());
        EXPECT_EQ(text, probe::Text(PROBE_COMMAND_TEXT_FILE));
        EXPECT_EQ(probe::WinMainText(text), probe::Text(PROBE_WINMAIN_FILE));
    }
}

TEST_F(Launcher, TakesExpandableLocationUnexpanded) {
    // A folder literally named with a variable: expanding it would miss the program.
    ASSERT_TRUE(probe::Install(L"\\Lit%TEMP%\\probe.exe"));
    ASSERT_TRUE(SetLocation(testsupport::DevicePath(L"\\Lit%TEMP%\\probe.exe"), REG_EXPAND_SZ));
    ASSERT_EQ(0u, Launch(L"alarms"));
    ASSERT_TRUE(probe::WaitDone());
    EXPECT_EQ(L"alarms", probe::Text(PROBE_WINMAIN_FILE));
}

TEST_F(Launcher, DriveLessLocationIsADevicePath) {
    ASSERT_TRUE(probe::Install(L"\\Orvalen\\Orvalen.exe"));
    ASSERT_TRUE(SetLocation(L"\\Orvalen\\Orvalen.exe"));
    ASSERT_EQ(0u, Launch(L"timers"));
    ASSERT_TRUE(probe::WaitDone());
    EXPECT_EQ(L"timers", probe::Text(PROBE_WINMAIN_FILE));
}

TEST_F(Launcher, MissingOrDamagedLocationEndsWithAnError) {
    EXPECT_EQ(kNoLocation, Launch(L"AppRunAtTime"));  // no key at all

    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kProgramKey, kLocationValue, 42));
    EXPECT_EQ(kNoLocation, Launch(L"AppRunAtTime"));
    ASSERT_TRUE(SetLocation(L""));
    EXPECT_EQ(kNoLocation, Launch(L"AppRunAtTime"));
    const BYTE odd[] = {'C', 0, ':'};
    ASSERT_TRUE(testsupport::WriteRegistryRaw(HKEY_CURRENT_USER, kProgramKey, kLocationValue, REG_SZ, odd, 3));
    EXPECT_EQ(kStartFailed, Launch(L"AppRunAtTime"));  // the torn text names no program

    ASSERT_TRUE(SetLocation(testsupport::DevicePath(L"\\gone\\Orvalen.exe")));
    EXPECT_EQ(kStartFailed, Launch(L"AppRunAtTime"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(testsupport::DevicePath(PROBE_DONE_FILE).c_str()));
}
