// Every command word sent by other processes to a running Orvalen: the store and the
// registry change as each word says, and malformed records change nothing.
#include "AlarmItem.h"
#include "CommandHandler.h"
#include "CopyDataCommand.h"
#include "DeviceProgram.h"
#include "EditorProbe.h"
#include "MainMenuProbe.h"
#include "DeviceControl.h"
#include "EngineMessage.h"
#include "EngineWnd.h"
#include "FullScreenClockWnd.h"
#include "MainWindowProbe.h"
#include "RegKeyRef.h"
#include "TestSupport.h"
#include "TimerItem.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

const std::wstring kProductKey = L"Software\\Ostrel\\Orvalen";
using device_program::kProgramDevicePath;
constexpr ItemHash kAlarmHash = 1001;
constexpr ItemHash kSnoozedHash = -5;  // addressed as 4294967291
constexpr ItemHash kTimerHash = 2002;
constexpr DWORD kTimeoutMs = 30000;

bool WaitUntil(const std::function<bool()>& ready) {
    ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
    while (!ready()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
    return true;
}

std::wstring ItemKey(const wchar_t* list, ItemHash hash) {
    return kProductKey + L"\\" + list + L"\\Items\\" + std::to_wstring(hash);
}

DWORD Flags(const wchar_t* list, ItemHash hash) {
    DWORD flags = 0;
    testsupport::ReadRegistryDword(HKEY_CURRENT_USER, ItemKey(list, hash), L"flags", &flags);
    return flags;
}
DWORD AlarmFlags(ItemHash hash) { return Flags(L"Alarms", hash); }
DWORD TimerFlags() { return Flags(L"Timers", kTimerHash); }

// The word's main-menu popup comes up; it is cancelled and goes.
bool PopupShownAndCancelled() {
    HWND popup = main_menu_probe::WaitForPopup(kTimeoutMs);
    if (!popup) return false;
    PostMessageW(popup, WM_COMMAND, IDCANCEL, 0);
    return main_menu_probe::WaitForNoPopup(kTimeoutMs);
}

class CommandWords : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device_program::Install());
        StoreItems();
        // The screen saver keeps the instance running while the words arrive.
        ASSERT_TRUE(program_.Start(testsupport::DevicePath(kProgramDevicePath), L"-scrsvr"));
        ASSERT_TRUE(WaitUntil([&] { return (engine_ = FindWindowW(EngineWnd::kClassName, nullptr)) != nullptr; }));
        HWND clock = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            clock = FindWindowW(FullScreenClockWnd::kClassName, nullptr);
            return clock && IsWindowVisible(clock);
        }));
    }

    void StoreItems() {
        AlarmItem daily, snoozed;
        for (AlarmItem* alarm : {&daily, &snoozed})
            alarm->flags = (alarm->flags & ~AlarmItem::kNew) | AlarmItem::kVibrateOff;
        daily.Hash = kAlarmHash;
        daily.time = Time_LocalNowAsDate(true) + 0.5;  // never due while the test runs
        snoozed.Hash = kSnoozedHash;
        snoozed.SetDismissed(false);
        snoozed.snooze = Time_LocalNowAsDate(true) + 1.0 / 24;
        daily.Save(RegKeyRef::Open(ItemKey(L"Alarms", kAlarmHash).c_str(), HKEY_CURRENT_USER, false));
        snoozed.Save(RegKeyRef::Open(ItemKey(L"Alarms", kSnoozedHash).c_str(), HKEY_CURRENT_USER, false));
        TimerItem timer;
        timer.Hash = kTimerHash;
        timer.flags = (timer.flags & ~TimerItem::kNew) | TimerItem::kVibrateOff;
        timer.time = timer.origTime / 2;
        timer.Save(RegKeyRef::Open(ItemKey(L"Timers", kTimerHash).c_str(), HKEY_CURRENT_USER, false));
    }

    void Send(const std::wstring& text) { CopyDataCommand(text.c_str()).SendTo(engine_); }
    void SendRecord(ULONG_PTR id, DWORD bytes, const void* data) {
        COPYDATASTRUCT record = {id, bytes, const_cast<void*>(data)};
        SendMessageW(engine_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
    }

    // Sends text and waits until the main window shows the page of that caption.
    void ExpectPage(const std::wstring& text, const std::wstring& caption) {
        Send(text);
        HWND window = main_window_probe::WaitForMainWindow(kTimeoutMs);
        EXPECT_TRUE(window && main_window_probe::WaitForPage(window, caption, kTimeoutMs))
            << testing::PrintToString(text);
    }
    // Hands text, which asks a yes/no question, over through a second instance of the
    // program (which waits for the answer) and answers it; the question's text.
    std::wstring SendAndAnswer(const std::wstring& text, UINT button) {
        testsupport::ChildProcess second;
        EXPECT_TRUE(second.Start(testsupport::DevicePath(kProgramDevicePath), text));
        const std::wstring question = testsupport::AnswerQuestion(button, kTimeoutMs);
        EXPECT_EQ(0u, second.Wait(kTimeoutMs)) << testing::PrintToString(text);
        return question;
    }

    testsupport::ChildProcess program_;
    HWND engine_ = nullptr;
};

}  // namespace

TEST_F(CommandWords, EveryWordReachesItsHandler) {
    const std::wstring alarm = std::to_wstring(kAlarmHash), timer = std::to_wstring(kTimerHash);
    struct FlagCase {
        std::wstring text;
        std::function<DWORD()> flags;
        DWORD bit;
        bool set;
    } flagCases[] = {
        {L"alarm_active " + alarm, [] { return AlarmFlags(kAlarmHash); }, AlarmItem::kEnabled, false},
        {L"alarm_active " + alarm + L" again", [] { return AlarmFlags(kAlarmHash); }, AlarmItem::kEnabled, true},
        {L"alarm_sound " + alarm, [] { return AlarmFlags(kAlarmHash); }, AlarmItem::kPlaySound, false},
        {L"alarm_vibrate " + alarm, [] { return AlarmFlags(kAlarmHash); }, AlarmItem::kVibrateOff, false},
        {L"alarm_skip 4294967291", [] { return AlarmFlags(kSnoozedHash); }, AlarmItem::kSkipNext, true},
        {L"cancel_snooze", [] { return AlarmFlags(kSnoozedHash); }, AlarmItem::kDismissed, true},
        {L"timer_start " + timer, TimerFlags, TimerItem::kRunning, true},
        {L"timer_stop " + timer, TimerFlags, TimerItem::kRunning, false},
        {L"timer_restart " + timer, TimerFlags, TimerItem::kRunning, true},
        {L"timer_sound " + timer, TimerFlags, TimerItem::kPlaySound, false},
        {L"timer_vibrate " + timer, TimerFlags, TimerItem::kVibrateOff, false},
    };
    for (const FlagCase& c : flagCases) {
        EXPECT_NE(c.set, (c.flags() & c.bit) != 0) << "before " << testing::PrintToString(c.text);
        Send(c.text);
        EXPECT_EQ(c.set, (c.flags() & c.bit) != 0) << testing::PrintToString(c.text);
    }
    // The restart began again from the set duration, which the registry shows in whole ticks.
    RegKeyRef timerKey = RegKeyRef::Open(ItemKey(L"Timers", kTimerHash).c_str(), HKEY_CURRENT_USER, true);
    LONGLONG left = 0, set = 0;
    DWORD size = sizeof left;
    RegQueryValueExW(timerKey.Key(), TimerItem::kTimeValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&left), &size);
    size = sizeof set;
    RegQueryValueExW(timerKey.Key(), TimerItem::kOrigTimeValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&set), &size);
    EXPECT_GT(left, set / 2);

    using namespace EngineMessage;
    const struct PageCase {
        std::wstring text, caption;
    } pageCases[] = {
        {L"alarms", L"Alarms"},
        {L"alarms, please", L"Alarms"},
        {L"timers", L"Timers"},
        {L"start_stopwatch", L"Stopwatch"},
        // Whole-text words with more text, item words without a usable id, anything else:
        // the main window, as it is.
        {L"-startfull", L"Stopwatch"},
        {L"AppRunAtTime now", L"Stopwatch"},
        {L"-install please", L"Stopwatch"},
        {L"alarm_active", L"Stopwatch"},
        {L"alarm_active 0", L"Stopwatch"},
        {L"alarm_active 4294968297", L"Stopwatch"},  // 2^32 + 1001 names no alarm
        {L"", L"Stopwatch"},
        {L"hello", L"Stopwatch"},
    };
    for (const PageCase& c : pageCases) ExpectPage(c.text, c.caption);
    EXPECT_TRUE(AlarmFlags(kAlarmHash) & AlarmItem::kEnabled) << "an overflowing id changed the alarm";
    Send(L"main_menu");
    EXPECT_TRUE(PopupShownAndCancelled());

    // The delete questions are real boxes: No keeps the item, Yes deletes it. Each word
    // comes from a second instance of the program, which hands it over and ends.
    EXPECT_EQ(L"Are you sure you want to delete the timer?", SendAndAnswer(L"timer_delete " + timer, IDNO));
    EXPECT_TRUE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, ItemKey(L"Timers", kTimerHash)));
    EXPECT_EQ(L"Are you sure you want to delete the timer?", SendAndAnswer(L"timer_delete " + timer, IDYES));
    EXPECT_FALSE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, ItemKey(L"Timers", kTimerHash)));

    EXPECT_EQ(L"Are you sure you want to delete the alarm?", SendAndAnswer(L"alarm_delete " + alarm, IDYES));
    EXPECT_FALSE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, ItemKey(L"Alarms", kAlarmHash)));

    // A clock change while the screen saver shows reschedules but keeps the program.
    Send(L"AppRunAfterTimeChange");
    EXPECT_EQ(DWORD(testsupport::ChildProcess::kStillRunning), program_.Wait(1500));

    // Uninstalling ends the program, which takes its notifications with it.
    Send(L"-uninstall");
    EXPECT_EQ(0u, program_.Wait(kTimeoutMs));
    EXPECT_EQ(0u, DeviceControl_GetNotificationCount());
}

TEST_F(CommandWords, MalformedRecordsChangeNothing) {
    const DWORD alarmFlags = AlarmFlags(kAlarmHash), timerFlags = TimerFlags();
    const wchar_t start[] = L"timer_start 2002";
    SendRecord(1371, sizeof start, start);                       // another dwData
    SendRecord(CopyDataCommand::kCommandId, sizeof start - 1, start);  // odd
    SendRecord(CopyDataCommand::kCommandId, sizeof start - 2, start);  // no terminator
    SendRecord(CopyDataCommand::kCommandId, 1, start);                 // short
    SendRecord(CopyDataCommand::kCommandId, 0, start);                 // empty
    Send(L"timer_start 4294969298");                                   // 2^32 + 2002: names nothing
    // A valid word after them: only its own popup comes.
    Send(L"main_menu");
    EXPECT_TRUE(PopupShownAndCancelled());
    EXPECT_EQ(nullptr, main_menu_probe::WaitForPopup(1000));
    EXPECT_EQ(alarmFlags, AlarmFlags(kAlarmHash));
    EXPECT_EQ(timerFlags, TimerFlags());
    EXPECT_EQ(DWORD(testsupport::ChildProcess::kStillRunning), program_.Wait(0));
}

// Editor windows of the program: the frames whose header shows one of the item editors' captions.
static int EditorCount(DWORD processId) {
    struct Count {
        DWORD processId;
        int editors;
    } count = {processId, 0};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* c = reinterpret_cast<Count*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            HWND header = GetDlgItem(window, 11700);
            const std::wstring caption = header ? editor_probe::Text(header) : std::wstring();
            if (owner == c->processId && (caption == L"Alarm properties" || caption == L"Timer properties")) ++c->editors;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.editors;
}

// A thousand words that open windows, sent at once: the first opens its editor, every
// further one only brings it forward. The program stays up with one editor and then
// handles the word after them.
TEST_F(CommandWords, AFloodOfEditorWordsOpensOneEditor) {
    const std::wstring words[] = {L"new_alarm", L"new_timer", L"main_menu", L"alarm_edit " + std::to_wstring(kAlarmHash),
                                  L"timer_edit " + std::to_wstring(kTimerHash)};
    for (int i = 0; i < 1000; ++i) Send(words[i % 5]);
    Send(L"alarms");
    HWND window = main_window_probe::WaitForMainWindow(kTimeoutMs);
    ASSERT_TRUE(window && main_window_probe::WaitForPage(window, L"Alarms", kTimeoutMs));
    HWND editor = editor_probe::WaitForEditor(program_.Id(), L"Alarm properties");
    ASSERT_NE(nullptr, editor);
    EXPECT_EQ(1, EditorCount(program_.Id()));
    EXPECT_EQ(nullptr, main_menu_probe::WaitForPopup(0));
    editor_probe::PressCancel(editor);
    EXPECT_TRUE(WaitUntil([&] { return EditorCount(program_.Id()) == 0; }));
    EXPECT_EQ(DWORD(testsupport::ChildProcess::kStillRunning), program_.Wait(0));
}
