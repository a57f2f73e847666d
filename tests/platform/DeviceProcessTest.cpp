#include <gtest/gtest.h>
#include "DeviceProcess.h"
#include "ProbeHelpers.h"

namespace {
std::wstring Resolved(const wchar_t* program) {
    wchar_t out[MAX_PATH];
    return Device_ResolveProgram(program, out, MAX_PATH) ? out : L"<failed>";
}
}  // namespace

class DeviceProcess : public testsupport::FreshDeviceTest {};

TEST_F(DeviceProcess, ProgramNamesResolveTheDeviceWay) {
    const std::wstring root = testsupport::DeviceRoot();
    EXPECT_EQ(root + L"\\Windows\\peghelp.exe", Resolved(L"peghelp.exe"));
    EXPECT_EQ(root + L"\\Windows\\peghelp.exe", Resolved(L"peghelp"));
    EXPECT_EQ(root + L"\\Windows\\wmplayer.exe", Resolved(L"\\Windows\\wmplayer.exe"));
    EXPECT_EQ(root + L"\\tcpmp.exe", Resolved(L"\\tcpmp.exe"));
    EXPECT_EQ(root + L"\\Games\\x.exe", Resolved(L"Games\\x.exe"));
    EXPECT_EQ(L"Z:\\bin\\x.exe", Resolved(L"Z:\\bin\\x.exe"));
    EXPECT_EQ(root + L"\\x.exe", Resolved(L"../../../x.exe"));
    EXPECT_EQ(root + L"\\x.exe", Resolved(L"Games\\..\\..\\x.exe"));
    EXPECT_EQ(L"<failed>", Resolved(L""));
    EXPECT_EQ(L"<failed>", Resolved(nullptr));
}

TEST_F(DeviceProcess, BareNameStartsTheProgramInDeviceWindows) {
    ASSERT_TRUE(probe::Install(L"\\Windows\\probe.exe"));
    ASSERT_EQ(0u, testsupport::RunProgram(L"probe.exe", L"AppRunAtTime"));
    EXPECT_EQ(L"AppRunAtTime", probe::Text(PROBE_WINMAIN_FILE));
    EXPECT_EQ(0, lstrcmpiW(testsupport::DevicePath(L"\\Windows\\probe.exe").c_str(),
                           probe::Text(PROBE_MODULE_FILE).c_str()));
}

TEST_F(DeviceProcess, ChildGetsExactlyTheArguments) {
    ASSERT_TRUE(probe::Install(L"\\Program Files\\Probe Dir\\probe.exe"));
    const std::wstring texts[] = {L"new_alarm 123", L"-x  \"a b\"  c ", L"", L"\"quoted\"", L"  lead"};
    for (const std::wstring& text : texts) {
        SCOPED_TRACE(testing::Message() << "text [" << std::string(text.begin(), text.end()) << "]");
        probe::Clear();
        ASSERT_EQ(0u, testsupport::RunProgram(L"\\Program Files\\Probe Dir\\probe.exe", text));
        EXPECT_EQ(text, probe::Text(PROBE_COMMAND_TEXT_FILE));
        EXPECT_EQ(probe::WinMainText(text), probe::Text(PROBE_WINMAIN_FILE));
    }
}

TEST_F(DeviceProcess, MissingProgramFailsCleanly) {
    PROCESS_INFORMATION pi = {};
    SetLastError(0);
    EXPECT_FALSE(Device_CreateProcess(L"nothere.exe", L"AppRunAtTime", &pi));
    DWORD error = GetLastError();
    EXPECT_TRUE(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) << error;
    EXPECT_EQ(nullptr, pi.hProcess);
}
