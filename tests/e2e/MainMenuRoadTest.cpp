// The real Orvalen's main-menu popup, options and about page, driven from outside:
// "main_menu" from a second instance shows the popup, each cell shows its tab of the main
// window, the options its Settings cell opens take effect in the running program, German
// chosen there restarts the program in German through the launcher, and the about page's
// delayed screenshot is a bitmap ImageMagick reads.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "DeviceControl.h"
#include "DeviceInput.h"
#include "DeviceProgram.h"
#include "EditorProbe.h"
#include "InputSenseControl.h"
#include "MainMenuProbe.h"
#include "MainWindowProbe.h"
#include "QuestionBox.h"
#include "TestSupport.h"
#include "hotkeys.h"
#include "pm.h"
#include "resource.h"
// Last: it routes the device calls of this file.
#include "DeviceManager.h"

namespace {

using device_program::kProgramDevicePath;
namespace popup_probe = main_menu_probe;
namespace window_probe = main_window_probe;
constexpr DWORD kTimeoutMs = 30000;
constexpr UINT kDelayedScreenshot = 30110;
constexpr int kAboutTab = 4;
constexpr int kSettingsCell = 5;
constexpr int kNextTabRow = 3;      // "To the next tab", fourth of the clock screen's commands
constexpr UINT kCalendarKey = 0xC1;

// The driver's count of milliseconds without user activity; 0 when it cannot be asked.
DWORD DriverIdleMs() {
    HANDLE device = CreateFileW(InputSense::kDeviceName, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) return 0;
    DWORD idle = 0, returned = 0;
    if (!DeviceIoControl(device, InputSense::kGetIdleTime, nullptr, 0, &idle, sizeof idle, &returned, nullptr))
        idle = 0;
    CloseHandle(device);
    return idle;
}

const wchar_t kProgramFolder[] = L"\\Program Files\\Orvalen\\";

using Texts = std::vector<std::wstring>;

// What read gives once it gives expected, or at the time-out.
Texts SettledTexts(const Texts& expected, const std::function<Texts()>& read) {
    Texts texts;
    testsupport::PollUntil(kTimeoutMs, [&] { return (texts = read()) == expected; });
    return texts;
}

// A German pack beside the program, zipped now from the tests' texts and the program's symbols.
bool InstallGermanPack() {
    auto quoted = [](const std::wstring& path) { return "\"" + testsupport::UnixPath(path) + "\""; };
    const std::wstring source = testsupport::SourceDir();
    return testsupport::RunHostTool(
        "zip", "-j -q -9 " + quoted(testsupport::DevicePath(kProgramFolder + std::wstring(L"translation.zip"))) + " " +
                   quoted(source + L"\\tests\\data\\german\\translation.xml") + " " +
                   quoted(source + L"\\resources\\resource.h"));
}

class MainMenuRoad : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(device_program::Install()); }
    static DWORD SecondInstance(const std::wstring& text) {
        return testsupport::RunProgram(testsupport::DevicePath(kProgramDevicePath), text);
    }
    // "main_menu" from a second instance, then the popup's Settings cell: the options sheet.
    HWND OpenOptionsFromThePopup() {
        if (SecondInstance(L"main_menu") != 0) return nullptr;
        HWND popup = popup_probe::WaitForPopup(kTimeoutMs);
        if (!popup) return nullptr;
        popup_probe::ChooseCell(popup, kSettingsCell);
        return editor_probe::WaitForEditor(program_.Id(), L"Clock Properties");
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

// Opened from the popup's Settings cell, the options reach what they steer: a new
// screen-saver time-out replaces the driver's program client ("-install" left it at five
// minutes), and a key learnt on the Buttons page runs its command.
TEST_F(MainMenuRoad, OptionsFromThePopupRenewTheScreenSaverClientAndBindAKey) {
    ASSERT_TRUE(DeviceControl_StartServices());
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_LOCAL_MACHINE, USER_ACTIVITY_TIMER_KEY,
                                                USER_ACTIVITY_TIMEOUT_VALUE, 1));
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(INPUTSENSE_DLL),
                                            L"\\Program Files\\Orvalen\\inputsense.dll"));
    const std::wstring saverKey = L"Software\\Ostrel\\Orvalen\\Clock\\ScreenSaver";
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, saverKey, L"Active", 1));
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, saverKey, L"Timeout", 300));
    ASSERT_EQ(0u, SecondInstance(L"-install"));
    ASSERT_TRUE(program_.Start(testsupport::DevicePath(kProgramDevicePath), L"-startfull"));
    HWND window = window_probe::WaitForMainWindow(kTimeoutMs);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(window_probe::WaitForPage(window, L"Clock", kTimeoutMs));

    HWND sheet = OpenOptionsFromThePopup();
    ASSERT_NE(nullptr, sheet);
    HWND saver = nullptr, buttons = nullptr;
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] {
        saver = editor_probe::PageWith(sheet, IDC_SAVER_TIMEOUT);
        buttons = editor_probe::PageWith(sheet, IDC_BUTTONS_LIST);
        return saver && buttons;
    }));
    ASSERT_TRUE(editor_probe::SetPickerTime(program_.Handle(), saver, IDC_SAVER_TIMEOUT, 0, 0, 20));
    ASSERT_TRUE(editor_probe::SelectListRow(program_.Handle(), buttons, IDC_BUTTONS_LIST, kNextTabRow));
    PostMessageW(buttons, WM_COMMAND, MAKEWPARAM(IDC_BUTTONS_ASSIGN, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(buttons, IDC_BUTTONS_ASSIGN)));
    // "Assign a key" learns the key pressed while it is in front.
    HWND capture = nullptr;
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] {
        capture = FindWindowW(nullptr, L"Assign a key");
        return capture && GetForegroundWindow() == capture;
    }));
    ASSERT_TRUE(DeviceInput_Key(kCalendarKey));
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return !IsWindow(capture); }));
    editor_probe::PressOk(sheet);
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return !IsWindow(sheet); }));

    // The key is the clock screen's hot key for "To the next tab", and takes the window there.
    int command = 0;
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] {
        return Device_FindHotKey(0, kCalendarKey, nullptr, &command) != FALSE;
    }));
    EXPECT_EQ(IDS_KEY_NEXT_TAB, command);
    ASSERT_TRUE(DeviceInput_Key(kCalendarKey));
    const ULONGLONG lastInput = GetTickCount64();
    EXPECT_TRUE(window_probe::WaitForPage(window, L"Alarms", kTimeoutMs));

    // The driver starts the screen saver once it has counted 20 idle seconds, not 300.
    const std::wstring launcher = testsupport::DevicePath(testsupport::kLauncherDevicePath);
    ASSERT_TRUE(testsupport::PollUntil(90000, [&] {
        return DeviceControl_GetProgramStarts(launcher.c_str(), L"-scrsvr") > 0;
    }));
    const DWORD idleMs = DriverIdleMs();
    const ULONGLONG sinceInput = GetTickCount64() - lastInput;
    EXPECT_GE(idleMs, 20000u);
    EXPECT_LT(idleMs, 40000u);
    RecordProperty("IdleMsAtScreenSaverStart", static_cast<int>(idleMs));
    RecordProperty("MsFromKeyToScreenSaverStart", static_cast<int>(sinceInput));
}

// German chosen on the Languages page of the options, opened from the popup's cell: OK and
// Yes end the program and restart it through the launcher, and it comes up in German.
TEST_F(MainMenuRoad, GermanChosenInTheOptionsRestartsTheProgramInGerman) {
    ASSERT_TRUE(InstallGermanPack());
    ASSERT_TRUE(program_.Start(testsupport::DevicePath(kProgramDevicePath), L"alarms"));
    ASSERT_NE(nullptr, window_probe::WaitForMainWindow(kTimeoutMs));
    const std::wstring todayTexts = testsupport::DevicePath(kProgramFolder + std::wstring(L"today_translation.txt"));
    const std::vector<std::wstring> english = testsupport::ReadCountedTexts(todayTexts);
    ASSERT_FALSE(english.empty());
    EXPECT_EQ(L"Alarms", english[0]);

    HWND sheet = OpenOptionsFromThePopup();
    ASSERT_NE(nullptr, sheet);
    int germanRow = -1;
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] {
        const auto rows = window_probe::ListTexts(sheet, program_.Handle(), IDC_LANGUAGES_LIST, 1);
        for (germanRow = 0; germanRow < static_cast<int>(rows.size()); ++germanRow)
            if (rows[germanRow][0] == L"Deutsch") return true;
        return false;
    }));
    window_probe::SelectRow(sheet, germanRow, IDC_LANGUAGES_LIST);
    editor_probe::PressOk(sheet);
    EXPECT_EQ(L"Orvalen jetzt neu starten?", testsupport::AnswerQuestion(IDYES, kTimeoutMs));

    EXPECT_EQ(0u, program_.Wait(kTimeoutMs)) << "the first instance ended";
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] {
        return DeviceControl_GetProgramStarts(testsupport::kLauncherDevicePath, L"-startfull") == 1 &&
               DeviceControl_GetProgramStarts(testsupport::DevicePath(kProgramDevicePath).c_str(), L"-startfull") == 1;
    })) << "the launcher started with \"-startfull\" and passing it on";
    HWND window = window_probe::WaitForMainWindow(kTimeoutMs);
    ASSERT_NE(nullptr, window);
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    EXPECT_NE(program_.Id(), id);
    ScopedHandle restarted(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id));
    ASSERT_TRUE(restarted);
    EXPECT_TRUE(window_probe::WaitForPage(window, L"Wecker", kTimeoutMs)) << window_probe::PageCaption(window);
    EXPECT_EQ(Texts({L"Gehe zu", L"Men\u00FC"}), SettledTexts({L"Gehe zu", L"Men\u00FC"}, [&] {
                  return window_probe::SoftKeys(window, restarted.Get());
              }));

    EXPECT_EQ(0u, SecondInstance(L"main_menu"));
    HWND popup = popup_probe::WaitForPopup(kTimeoutMs);
    ASSERT_NE(nullptr, popup);
    const Texts captions = {L"Uhr", L"Wecker", L"Kurzzeitwecker", L"Stoppuhr", L"Info", L"Einstellungen"};
    EXPECT_EQ(captions, SettledTexts(captions, [&] { return popup_probe::Captions(popup, restarted.Get()); }));
    EXPECT_EQ(Texts{L"Abbrechen"},
              SettledTexts({L"Abbrechen"}, [&] { return window_probe::SoftKeys(popup, restarted.Get()); }));
    popup_probe::ChooseCell(popup, 2);
    EXPECT_TRUE(window_probe::WaitForPage(window, L"Kurzzeitwecker", kTimeoutMs));

    const Texts todayGerman = {
        L"Wecker", L"Kurzzeitwecker", L"Aktiv", L"L\u00F6schen", L"Ton", L"Vibration", L"Anhalten", L"Starten",
        L"Timer neu starten", L"Orvalen starten", L"Schlummern beenden", L"N\u00E4chsten Wecker auslassen",
        L"Wecker hinzuf\u00FCgen", L"Timer hinzuf\u00FCgen", L"Heute", L"Keine anstehenden Benachrichtigungen",
        L"Bearbeiten...", L"Abbrechen"};
    EXPECT_EQ(todayGerman, testsupport::ReadCountedTexts(todayTexts));
    EXPECT_EQ(1u, device_program::RunningCopies());
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
