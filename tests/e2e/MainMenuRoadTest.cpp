// The real Orvalen's main-menu popup and about page, driven from outside: "main_menu"
// from a second instance shows the popup, each cell shows its tab of the main window,
// and the about page's delayed screenshot is a bitmap ImageMagick reads.
#include <gtest/gtest.h>

#include <string>

#include "DeviceProgram.h"
#include "MainMenuProbe.h"
#include "MainWindowProbe.h"
#include "QuestionBox.h"
#include "TestSupport.h"

namespace {

using device_program::kProgramDevicePath;
namespace popup_probe = main_menu_probe;
namespace window_probe = main_window_probe;
constexpr DWORD kTimeoutMs = 30000;
constexpr UINT kDelayedScreenshot = 30110;
constexpr int kAboutTab = 4;

class MainMenuRoad : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(device_program::Install()); }
    static DWORD SecondInstance(const std::wstring& text) {
        return testsupport::RunProgram(testsupport::DevicePath(kProgramDevicePath), text);
    }
    testsupport::ChildProcess program_;
};

}  // namespace

TEST_F(MainMenuRoad, EachCellOfThePopupShowsItsTab) {
    ASSERT_TRUE(program_.Start(testsupport::DevicePath(kProgramDevicePath), L"alarms"));
    HWND window = window_probe::WaitForMainWindow(kTimeoutMs);
    ASSERT_NE(nullptr, window);
    const wchar_t* const captions[] = {L"Clock", L"Alarms", L"Timers", L"Stopwatch", L"About"};
    // Out of order, so each choice moves the window to another tab.
    for (int cell : {4, 0, 2, 3, 1}) {
        EXPECT_EQ(0u, SecondInstance(L"main_menu")) << cell;
        HWND popup = popup_probe::WaitForPopup(kTimeoutMs);
        ASSERT_NE(nullptr, popup) << cell;
        popup_probe::ChooseCell(popup, cell);
        EXPECT_TRUE(popup_probe::WaitForNoPopup(kTimeoutMs)) << cell;
        EXPECT_TRUE(window_probe::WaitForPage(window, captions[cell], kTimeoutMs)) << captions[cell];
    }
    // Cancel on the soft key ends the popup and leaves the tab.
    EXPECT_EQ(0u, SecondInstance(L"main_menu"));
    HWND popup = popup_probe::WaitForPopup(kTimeoutMs);
    ASSERT_NE(nullptr, popup);
    PostMessageW(popup, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(popup_probe::WaitForNoPopup(kTimeoutMs));
    EXPECT_EQ(L"Alarms", window_probe::PageCaption(window));
    EXPECT_EQ(DWORD(testsupport::ChildProcess::kStillRunning), program_.Wait(0));
}

// The tests' display driver has no screen to read: the about page says so ten seconds
// after the command and leaves no file (scripts/options-screenshots.sh checks the bitmap
// itself on a real screen).
TEST_F(MainMenuRoad, DelayedScreenshotComesTenSecondsAfterTheCommand) {
    ASSERT_TRUE(program_.Start(testsupport::DevicePath(kProgramDevicePath), L"alarms"));
    HWND window = window_probe::WaitForMainWindow(kTimeoutMs);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0u, SecondInstance(L"main_menu"));
    HWND popup = popup_probe::WaitForPopup(kTimeoutMs);
    ASSERT_NE(nullptr, popup);
    popup_probe::ChooseCell(popup, kAboutTab);
    ASSERT_TRUE(window_probe::WaitForPage(window, L"About", kTimeoutMs));

    const ULONGLONG asked = GetTickCount64();
    window_probe::Command(window, kDelayedScreenshot);
    EXPECT_EQ(L"Cannot save file!", testsupport::AnswerQuestion(IDOK, kTimeoutMs));
    EXPECT_GE(GetTickCount64() - asked, 9500u) << "taken 10 s after the command";
    const std::wstring shot = testsupport::DeviceRoot() + L"\\My Documents\\Orvalen-ver4.3-screenshot.bmp";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(shot.c_str()));
}
