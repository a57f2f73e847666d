// The watcher through which scripts/run.sh starts the program: its report must say what
// really happened on the device, since the run's reader has nothing else to go by.
#include "AlarmItem.h"
#include "RegKeyRef.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const wchar_t kProductKey[] = L"Software\\Ostrel\\Orvalen";
const wchar_t kProgramDevicePath[] = L"\\Program Files\\Orvalen\\Orvalen.exe";
const wchar_t kCommandTextVariable[] = L"ORVALEN_RUN_COMMAND_TEXT";
constexpr DWORD kRunTimeoutMs = 90000;

class RunWatch : public testing::Test {
protected:
    void SetUp() override {
        runFolder_ = testsupport::DeviceRoot() + L"\\run";
        ASSERT_TRUE(CreateDirectoryW(runFolder_.c_str(), nullptr));
    }

    // Runs the watcher on the program as scripts/run.sh does, answering its request for a
    // screenshot, and reads the report and the exit code it leaves.
    void Watch(const std::wstring& program, const wchar_t* commandText) {
        SetEnvironmentVariableW(kCommandTextVariable, commandText);
        testsupport::ChildProcess watcher;
        ASSERT_TRUE(watcher.Start(testsupport::HostPath(ORVALEN_RUN_WATCH_PATH),
                                  L"\"" + program + L"\" \"" + runFolder_ + L"\" 240 320 96 10 60"));
        const std::wstring wanted = runFolder_ + L"\\screenshot.wanted";
        bool asked = false;
        ASSERT_TRUE(testsupport::PollUntil(kRunTimeoutMs, [&] {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            if (GetFileAttributesW(wanted.c_str()) != INVALID_FILE_ATTRIBUTES) {
                DeleteFileW(wanted.c_str());
                testsupport::WriteBytes(runFolder_ + L"\\screenshot.taken", std::string());
                asked = true;
            }
            return WaitForSingleObject(watcher.Handle(), 0) == WAIT_OBJECT_0;
        }));
        EXPECT_TRUE(asked);
        ASSERT_TRUE(testsupport::ReadBytes(runFolder_ + L"\\report.txt", &report_));
        ASSERT_TRUE(testsupport::ReadBytes(runFolder_ + L"\\exit-code", &exitCode_));
    }

    bool Says(const char* text) const { return report_.find(text) != std::string::npos; }

    std::wstring runFolder_;
    std::string report_;
    std::string exitCode_;
};

TEST_F(RunWatch, ReportsTheNotificationsAndTheStore) {
    ASSERT_TRUE(testsupport::InstallLauncher());
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(ORVALEN_PROGRAM_PATH), kProgramDevicePath));
    {
        RegKeyRef key = RegKeyRef::Open((std::wstring(kProductKey) + L"\\Alarms\\Items\\4711").c_str(),
                                        HKEY_CURRENT_USER, false);
        ASSERT_TRUE(key.IsOpen());
        AlarmItem alarm;
        alarm.Hash = 4711;
        alarm.flags &= ~AlarmItem::kNew;
        alarm.time = 0.25 + 0.1 / 86400;  // every day at 06:00:00.1, as the editor keeps times
        alarm.Save(key);
    }

    const std::wstring program = testsupport::DevicePath(kProgramDevicePath);
    // A clock change: Orvalen registers the alarm's wake-ups and, with nothing to show, ends.
    Watch(program, L"AppRunAfterTimeChange");
    EXPECT_EQ("0\n", exitCode_);
    // Each one second before its moment, named by the device's paths.
    EXPECT_TRUE(Says(" 05:59:59 device time: \\Windows\\OrvalenStartup.exe AppRunAtTime\n")) << report_;
    EXPECT_TRUE(Says("when the clock is set: \\Windows\\OrvalenStartup.exe AppRunAfterTimeChange\n")) << report_;
    EXPECT_TRUE(Says("when the time zone is set: \\Windows\\OrvalenStartup.exe AppRunAfterTzChange\n")) << report_;
    EXPECT_TRUE(Says("Item store: 1 alarm, 0 timers, 0 stopwatches.")) << report_;
}

TEST_F(RunWatch, ReportsTheExitCodeAndEveryWindowShownOnTheDevice) {
    // A window on the device's desktop, as the program's would be; the launcher without a
    // "Location" ends at once with exit code 1.
    const std::wstring windowClass = testsupport::UniqueName(L"RunWatchShown");
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = windowClass.c_str();
    ASSERT_NE(0, RegisterClassW(&wc));
    HWND shown = CreateWindowExW(0, windowClass.c_str(), L"Shown by the test", WS_POPUP | WS_VISIBLE, 0, 26, 240, 100,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, shown);

    Watch(testsupport::LauncherExe(), L"");
    DestroyWindow(shown);
    UnregisterClassW(windowClass.c_str(), wc.hInstance);

    EXPECT_EQ("1\n", exitCode_);
    EXPECT_TRUE(Says("Exit code: 1; Orvalen ended by itself")) << report_;
    const std::string line = "class \"" + std::string(windowClass.begin(), windowClass.end()) +
                             "\", title \"Shown by the test\", 240 x 100 at (0, 26)\n";
    EXPECT_TRUE(Says(line.c_str())) << report_;
    EXPECT_TRUE(Says("Screenshot: taken when the first window was up")) << report_;
    EXPECT_FALSE(Says("This version of Orvalen shows no window")) << report_;
}

}  // namespace
