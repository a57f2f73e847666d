// The real Orvalen's main window, driven from outside as a user and other programs
// would: the tab it opens on, the alarms page against the store and the registry, the
// engine's row refreshes, the delete questions, a hardware key and the help viewer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AlarmItem.h"
#include "DeviceInput.h"
#include "DeviceProgram.h"
#include "HelpViewerRecord.h"
#include "MainWindowProbe.h"
#include "RegKeyRef.h"
#include "TestSupport.h"
#include "hotkeys.h"

namespace {

using device_program::kProgramDevicePath;
using main_window_probe::Row;
namespace probe = main_window_probe;

const std::wstring kProductKey = L"Software\\Ostrel\\Orvalen";
constexpr DWORD kTimeoutMs = 30000;
constexpr ItemHash kWakeUp = 301, kTrain = 302, kGym = 303;

std::wstring AlarmKey(ItemHash hash) { return kProductKey + L"\\Alarms\\Items\\" + std::to_wstring(hash); }

DWORD AlarmFlags(ItemHash hash) {
    DWORD flags = 0;
    testsupport::ReadRegistryDword(HKEY_CURRENT_USER, AlarmKey(hash), L"flags", &flags);
    return flags;
}

void StoreAlarm(ItemHash hash, const wchar_t* title, int minutes, uint32_t days, bool enabled, bool sound) {
    AlarmItem alarm;
    alarm.Hash = hash;
    alarm.title.SetCStr(title);
    alarm.time = 45000.0 + minutes / 1440.0 + 0.1 / 86400.0;
    alarm.flags = (alarm.flags & ~(AlarmItem::kNew | AlarmItem::kDaysMask | AlarmItem::kEnabled)) | days |
                  (enabled ? AlarmItem::kEnabled : 0) | AlarmItem::kVibrateOff | AlarmItem::kEventDialogOff;
    alarm.SetOption1(sound);
    alarm.Save(RegKeyRef::Open(AlarmKey(hash).c_str(), HKEY_CURRENT_USER, false));
}

std::wstring TimeText(int minutes) {
    SYSTEMTIME time = {};
    time.wYear = 2023;
    time.wMonth = 3;
    time.wDay = 15;
    time.wHour = static_cast<WORD>(minutes / 60);
    time.wMinute = static_cast<WORD>(minutes % 60);
    wchar_t text[64] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, text, 64);
    return text;
}

std::vector<std::wstring> Names(const std::vector<Row>& rows) {
    std::vector<std::wstring> names;
    for (const Row& row : rows) names.push_back(row.name);
    return names;
}

// A top-level window of the test that counts the broadcasts of SPI_APPBUTTONCHANGE.
class ShellButtonListener {
public:
    ShellButtonListener() {
        WNDCLASSW type = {};
        type.lpfnWndProc = Procedure;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = L"ShellButtonListener";
        RegisterClassW(&type);
        window_ = CreateWindowExW(0, type.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  type.hInstance, nullptr);
    }
    ~ShellButtonListener() { DestroyWindow(window_); }
    // Handles what has arrived, then the count.
    int Changes() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        return changes_;
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_SETTINGCHANGE && wParam == SPI_APPBUTTONCHANGE) ++changes_;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    static inline int changes_ = 0;
    HWND window_;
};

class MainWindow : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(device_program::Install()); }

    // Starts Orvalen with text and waits for its main window.
    HWND Open(const std::wstring& text) {
        EXPECT_TRUE(program_.Start(testsupport::DevicePath(kProgramDevicePath), text));
        return probe::WaitForMainWindow(kTimeoutMs);
    }
    // "Train" 7:15 and "Wake up" 6:30, both on, shown on the alarms page; null when not.
    HWND OpenWithTwoAlarms() {
        StoreAlarm(kWakeUp, L"Wake up", 6 * 60 + 30, 0x7F, true, true);
        StoreAlarm(kTrain, L"Train", 7 * 60 + 15, 0x3E, true, false);
        HWND window = Open(L"alarms");
        return window && WaitForNames(window, {L"Train", L"Wake up"}) ? window : nullptr;
    }
    std::vector<Row> Rows(HWND window) { return probe::AlarmRows(window, program_.Handle()); }
    // Waits until the alarms list shows these names in this order.
    bool WaitForNames(HWND window, const std::vector<std::wstring>& names) {
        return testsupport::PollUntil(kTimeoutMs, [&] { return Names(Rows(window)) == names; });
    }
    static DWORD SecondInstance(const std::wstring& text) {
        return testsupport::RunProgram(testsupport::DevicePath(kProgramDevicePath), text);
    }

    testsupport::ChildProcess program_;
};

}  // namespace

TEST_F(MainWindow, AlarmsPageFollowsTheStoreAndExitEndsTheProgram) {
    StoreAlarm(kWakeUp, L"Wake up", 6 * 60 + 30, 0x7F, true, true);
    StoreAlarm(kTrain, L"Train", 7 * 60 + 15, 0x3E, true, false);
    StoreAlarm(kGym, L"Gym", 18 * 60, 0x14, false, true);
    HWND window = Open(L"alarms");
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(probe::WaitForPage(window, L"Alarms", kTimeoutMs));
    ASSERT_TRUE(WaitForNames(window, {L"Train", L"Wake up", L"Gym"}));  // active ones first, by name
    std::vector<Row> rows = Rows(window);
    EXPECT_EQ(TimeText(7 * 60 + 15), rows[0].time);
    EXPECT_EQ(L"Off", rows[0].sound);
    EXPECT_EQ(L"On", rows[1].sound);
    EXPECT_EQ(0, rows[0].image);
    EXPECT_EQ(1, rows[2].image);  // switched off

    // Words from a second instance rewrite the rows.
    EXPECT_EQ(0u, SecondInstance(L"alarm_sound " + std::to_wstring(kTrain)));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return Rows(window)[0].sound == L"On"; }));
    EXPECT_EQ(0u, SecondInstance(L"alarm_active " + std::to_wstring(kWakeUp)));
    EXPECT_TRUE(WaitForNames(window, {L"Train", L"Gym", L"Wake up"}));
    EXPECT_EQ(1, Rows(window)[2].image);
    EXPECT_FALSE(AlarmFlags(kWakeUp) & AlarmItem::kEnabled);

    // "Active" from the menu on the selected alarm.
    probe::SelectRow(window, 1);
    probe::Command(window, 30055);
    EXPECT_TRUE(AlarmFlags(kGym) & AlarmItem::kEnabled);
    EXPECT_TRUE(WaitForNames(window, {L"Gym", L"Train", L"Wake up"}));

    // Delete asks first; Yes on the real box removes the alarm.
    probe::SelectRow(window, 1);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(30061, 0), 0);
    EXPECT_EQ(L"Are you sure you want to delete the alarm? Train, " + TimeText(7 * 60 + 15),
              testsupport::AnswerQuestion(IDYES, kTimeoutMs));
    EXPECT_TRUE(WaitForNames(window, {L"Gym", L"Wake up"}));
    EXPECT_FALSE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, AlarmKey(kTrain)));

    // "alarm_delete" from a second instance: the engine asks, and the row goes.
    testsupport::ChildProcess second;
    ASSERT_TRUE(second.Start(testsupport::DevicePath(kProgramDevicePath), L"alarm_delete " + std::to_wstring(kGym)));
    EXPECT_EQ(L"Are you sure you want to delete the alarm?", testsupport::AnswerQuestion(IDYES, kTimeoutMs));
    EXPECT_EQ(0u, second.Wait(kTimeoutMs));
    EXPECT_TRUE(WaitForNames(window, {L"Wake up"}));
    EXPECT_FALSE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, AlarmKey(kGym)));

    probe::Command(window, 30073);  // "Exit"
    EXPECT_EQ(0u, program_.Wait(kTimeoutMs));
    DWORD tab = 99, column = 99;
    EXPECT_TRUE(testsupport::ReadRegistryDword(HKEY_CURRENT_USER, kProductKey, L"CurTabSel", &tab));
    EXPECT_EQ(1u, tab);
    EXPECT_TRUE(
        testsupport::ReadRegistryDword(HKEY_CURRENT_USER, kProductKey + L"\\Alarms\\ListSort", L"Column", &column));
    EXPECT_EQ(0u, column);
    EXPECT_TRUE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, kProductKey + L"\\Alarms\\ColumnsWidth"));
}

// The alarm goes while the page's own question is up (here by "alarm_delete" from a
// second instance): Yes afterwards deletes nothing a second time.
TEST_F(MainWindow, AlarmDeletedWhileThePagesQuestionIsOpenIsNotDeletedTwice) {
    HWND window = OpenWithTwoAlarms();
    ASSERT_NE(nullptr, window);
    probe::SelectRow(window, 0);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(30061, 0), 0);
    const std::wstring pageQuestion = L"Are you sure you want to delete the alarm? Train, " + TimeText(7 * 60 + 15);
    testsupport::ChildProcess second;
    ASSERT_TRUE(second.Start(testsupport::DevicePath(kProgramDevicePath), L"alarm_delete " + std::to_wstring(kTrain)));
    EXPECT_EQ(L"Are you sure you want to delete the alarm?",
              testsupport::AnswerQuestion(IDYES, kTimeoutMs, L"Are you sure you want to delete the alarm?"));
    EXPECT_EQ(0u, second.Wait(kTimeoutMs));
    EXPECT_TRUE(WaitForNames(window, {L"Wake up"}));
    EXPECT_EQ(pageQuestion, testsupport::AnswerQuestion(IDYES, kTimeoutMs, pageQuestion));
    // The other alarm stays, and the program with it (the answer is handled once Exit comes).
    EXPECT_EQ(std::vector<std::wstring>{L"Wake up"}, Names(Rows(window)));
    EXPECT_TRUE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, AlarmKey(kWakeUp)));
    EXPECT_EQ(DWORD(testsupport::ChildProcess::kStillRunning), program_.Wait(0));
    probe::Command(window, 30073);
    EXPECT_EQ(0u, program_.Wait(kTimeoutMs));
}

TEST_F(MainWindow, OtherTextOpensTheStoredTabAndClosingEndsTheProgram) {
    const struct {
        DWORD stored;
        const wchar_t* caption;
    } cases[] = {{2, L"Timers"}, {0xFFFFFFFF, L"Clock"}, {7, L"Clock"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kProductKey, L"CurTabSel", c.stored));
        HWND window = Open(L"hello");
        ASSERT_NE(nullptr, window);
        EXPECT_TRUE(probe::WaitForPage(window, c.caption, kTimeoutMs)) << c.stored;
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, program_.Wait(kTimeoutMs)) << c.stored;
    }
}

TEST_F(MainWindow, BoundHardwareKeyRunsItsCommandOnTheAlarmsPage) {
    StoreAlarm(kWakeUp, L"Wake up", 6 * 60 + 30, 0x7F, true, true);
    // "Enable/disable alarm" (the fifth binding of the Alarms screen) on the calendar key.
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kProductKey + L"\\Clock\\Buttons\\Alarms", L"4",
                                                0x800000C1));
    HWND window = Open(L"alarms");
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(WaitForNames(window, {L"Wake up"}));
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return Device_FindHotKey(0, 0xC1, nullptr, nullptr) != 0; }));
    EXPECT_FALSE(Device_FindHotKey(0, 0xC2, nullptr, nullptr));

    DeviceInput_Key(0xC2);  // unbound: nothing happens
    DeviceInput_Key(0xC1);
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return Rows(window)[0].image == 1; }));
    EXPECT_FALSE(AlarmFlags(kWakeUp) & AlarmItem::kEnabled);

    // Switching to another program gives the key back to the shell, and says so to
    // every window; coming back takes it again.
    ShellButtonListener shell;
    SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(Device_FindHotKey(0, 0xC1, nullptr, nullptr));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return shell.Changes() == 1; }));
    SendMessageW(window, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(Device_FindHotKey(0, 0xC1, nullptr, nullptr));
    EXPECT_EQ(1, shell.Changes());

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, program_.Wait(kTimeoutMs));
    // The window is gone, and the key with it.
    EXPECT_FALSE(Device_FindHotKey(0, 0xC1, nullptr, nullptr));
}

TEST_F(MainWindow, TapAndHoldOnARowOpensItsMenuBelowTheRowsNothing) {
    HWND window = OpenWithTwoAlarms();
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return probe::SelectedRow(window) == 0; }));
    const RECT second = probe::RowRect(window, program_.Handle(), 1);
    ASSERT_GT(second.bottom, second.top);

    // Held below the last row: swallowed, the selection stays. The plain tap on the second
    // row after it only selects once the held one is done with.
    const int height = second.bottom - second.top;
    DeviceInput_TapAndHold(second.left + 20, second.bottom + 2 * height);
    DeviceInput_Tap(second.left + 20, (second.top + second.bottom) / 2);
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return probe::SelectedRow(window) == 1; }));
    EXPECT_EQ(nullptr, probe::OpenPopupMenu(program_.Id()));

    // Held on the first row: it is selected and its menu opens.
    const RECT first = probe::RowRect(window, program_.Handle(), 0);
    DeviceInput_TapAndHold(first.left + 20, (first.top + first.bottom) / 2);
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return probe::OpenPopupMenu(program_.Id()) != nullptr; }));
    EXPECT_EQ(0, probe::SelectedRow(window));
    DeviceInput_Key(VK_ESCAPE);
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return probe::OpenPopupMenu(program_.Id()) == nullptr; }));

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, program_.Wait(kTimeoutMs));
}

TEST_F(MainWindow, HelpShowsTheLanguagesFileAtThePagesTopic) {
    ASSERT_TRUE(testsupport::InstallHelpViewer());
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::ExeDir() + L"\\..\\framework\\fixtures\\translation.zip",
                                            L"\\Program Files\\Orvalen\\translation.zip"));
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kProductKey + L"\\Clock\\Language", L"LangID", 1031));
    const std::string german = "<html><a name=\"alarms\">Wecker</a></html>";
    const std::string english = "<html><a name=\"alarms\">Alarms</a></html>";
    const std::wstring germanFile = testsupport::DevicePath(L"\\Program Files\\Orvalen\\Lng\\Orvalen_DEU.htm");
    CreateDirectoryW(testsupport::DevicePath(L"\\Program Files\\Orvalen\\Lng").c_str(), nullptr);
    ASSERT_TRUE(testsupport::WriteBytes(germanFile, german));
    ASSERT_TRUE(testsupport::WriteBytes(testsupport::DevicePath(L"\\Program Files\\Orvalen\\Lng\\Orvalen.htm"), english));

    HWND window = Open(L"alarms");
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(probe::WaitForPage(window, L"Wecker", kTimeoutMs));  // the German pack's name
    const std::wstring shown = testsupport::DevicePath(L"\\Windows\\Orvalen.htm");
    for (const std::string* expected : {&german, &english}) {
        DWORD before = 0;
        testsupport::ReadRegistryDword(HKEY_LOCAL_MACHINE, HELP_VIEWER_RECORD_KEY, HELP_VIEWER_COUNT_VALUE, &before);
        probe::Command(window, 2052);  // "Help"
        ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] {
            DWORD count = 0;
            testsupport::ReadRegistryDword(HKEY_LOCAL_MACHINE, HELP_VIEWER_RECORD_KEY, HELP_VIEWER_COUNT_VALUE, &count);
            return count > before;
        }));
        std::wstring command;
        testsupport::ReadRegistryString(HKEY_LOCAL_MACHINE, HELP_VIEWER_RECORD_KEY, HELP_VIEWER_COMMAND_VALUE, &command);
        EXPECT_EQ(L"file:Orvalen.htm#alarms", command);
        std::string bytes;
        EXPECT_TRUE(testsupport::ReadBytes(shown, &bytes));
        EXPECT_EQ(*expected, bytes);
        // Without the German file the language-neutral one is shown.
        DeleteFileW(germanFile.c_str());
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, program_.Wait(kTimeoutMs));
}
