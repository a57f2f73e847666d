// The Today item with real programs: the device's Today screen hosting Quindle.dll, the
// real Orvalen.exe changing its store and taking the item's commands, and, when the
// program does not run, the program named by "Location" started with the command.
#include "CopyDataCommand.h"
#include "DeviceControl.h"
#include "DeviceObjects.h"
#include "EditorProbe.h"
#include "ItemStore.h"
#include "ProbeHelpers.h"
#include "ScopedHandle.h"
#include "TestSupport.h"
#include "TodayCommandMenu.h"
#include "TodayCommandSender.h"
#include "TodayItemWnd.h"
#include "TodayScreen.h"
#include "TodayTestStore.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <chrono>

using namespace todaytest;

namespace {

constexpr DWORD kTimeoutMs = 30000;
const wchar_t kMainWindowClass[] = L"OrvalenMainWnd";
constexpr Ticks100ns kSecond = kTicksPerSecond;
const wchar_t kProgram[] = L"\\Program Files\\Orvalen\\Orvalen.exe";
const wchar_t kLibrary[] = L"\\Program Files\\Orvalen\\Quindle.dll";
const wchar_t kHost[] = L"\\Windows\\TodayHost.exe";

void Pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(10);
    } while (GetTickCount64() < end);
}

DWORD Flags(const wchar_t* list, ItemHash hash) {
    return registryprobe::Read(ItemKey(list, hash), L"flags").Dword();
}

// The item window the host published.
HWND PublishedItem() {
    const registryprobe::RawValue value = registryprobe::Read(kProduct, ItemStore::kTodayWindowValue);
    HWND item = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value.Dword()));
    return value.exists && IsWindow(item) ? item : nullptr;
}

// Waits for a helper's result, pumping: the program may send to this thread's windows
// (a broadcast, an activation) while the helper waits for it.
template <typename T>
T PumpUntilReady(std::future<T>& result) {
    while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) Pump(20);
    return result.get();
}

int Height(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return client.bottom;
}

class TodayRoad : public testsupport::FreshDeviceTest {
protected:
    void SetUp() override {
        FreshDeviceTest::SetUp();
        ASSERT_TRUE(testsupport::InstallLauncher());
        ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(QUINDLE_DLL), kLibrary));
        ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(TODAY_HOST_EXE), kHost));
    }
    void StartProgram() {
        ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(ORVALEN_PROGRAM_PATH), kProgram));
        // The main window, on the Alarms tab, keeps the instance running while the commands
        // arrive (an editor taking the foreground would hide a screen saver, and the idle
        // engine end).
        ASSERT_TRUE(program_.Start(testsupport::DevicePath(kProgram), L"alarms"));
        ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] {
            return FindWindowW(CopyDataCommand::kEngineWindowClass, nullptr) && FindWindowW(kMainWindowClass, nullptr);
        }));
    }
    HWND StartHost() {
        if (!host_.Start(testsupport::DevicePath(kHost), L"\"" + std::wstring(kLibrary) + L"\"")) return nullptr;
        HWND item = nullptr;
        testsupport::PollUntil(kTimeoutMs, [&] { return (item = PublishedItem()) != nullptr && Height(item) > 0; });
        return item;
    }

    testsupport::ChildProcess program_;
    testsupport::ChildProcess host_;
};

// The tracker chooses the entry for an action on the item with that Hash, as the store
// the menu was built from lists it; 0 when the shown menu does not carry it.
struct Pick {
    bool alarm;
    ItemHash hash;
    UINT action;
};
Pick g_pick;
const TodayItemWnd* g_item = nullptr;

bool Carries(HMENU menu, UINT id) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (GetMenuItemID(menu, i) == id) return true;
        if (HMENU sub = GetSubMenu(menu, i); sub && Carries(sub, id)) return true;
    }
    return false;
}

UINT PickingTracker(HMENU menu, POINT, HWND) {
    UINT id = g_pick.action;  // a fixed entry
    if (g_pick.hash != 0) {
        const TodayStore& store = g_item->Store();
        for (size_t i = 0; i < (g_pick.alarm ? store.Alarms().size() : store.Timers().size()); ++i) {
            const ItemHash hash = g_pick.alarm ? store.Alarms()[i]->Hash : store.Timers()[i]->Hash;
            if (hash != g_pick.hash) continue;
            id = g_pick.alarm ? TodayCommandMenu::AlarmId(i, TodayCommandMenu::AlarmAction(g_pick.action))
                              : TodayCommandMenu::TimerId(i, TodayCommandMenu::TimerAction(g_pick.action));
        }
    }
    return Carries(menu, id) ? id : 0;
}

}  // namespace

TEST_F(TodayRoad, TheItemFollowsTheProgramsStore) {
    SetPluginHeight(5);
    Save(StoredTimer{3000, 600 * kSecond, L"eggs"});
    Save(StoredTimer{3001, 300 * kSecond, L"tea", false});
    StartProgram();
    HWND item = StartHost();
    ASSERT_NE(nullptr, item);
    wchar_t name[32] = {};
    GetClassNameW(item, name, 32);
    EXPECT_STREQ(L"Quindle", name);
    const int before = Height(item);

    // A second instance starts the other timer: the program saves, tells the item, and
    // the host gives the item the height of its second row.
    EXPECT_EQ(0u, testsupport::RunProgram(testsupport::DevicePath(kProgram), L"timer_start 3001"));
    EXPECT_TRUE(Flags(L"Timers", 3001) & TimerItem::kRunning);
    EXPECT_TRUE(testsupport::PollUntil(10000, [&] { return Height(item) > before; }))
        << "height stayed " << Height(item);

    PostMessageW(FindWindowW(TODAY_SCREEN_CLASS, nullptr), WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, host_.Wait(kTimeoutMs));
}

TEST_F(TodayRoad, EveryMenuEntrySendsItsWordWithTheItemsHash) {
    const std::wstring programFolder = testsupport::DevicePath(L"\\Program Files\\Orvalen");
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::ExeDir() + L"\\..\\framework\\fixtures\\translation.zip",
                                            L"\\Program Files\\Orvalen\\translation.zip"));
    ASSERT_TRUE(registryprobe::WriteDword(kProduct + L"\\Clock\\Language", L"LangID", 1031));
    const OleDate now = Time_LocalNowAsDate(true);
    // No vibrator on this device: only switching vibration on shows.
    Save(StoredAlarm{4001, now + 0.5, AlarmItem::kDaysMask, L"daily", AlarmItem::kVibrateOff});
    StoredAlarm snoozing{4002, now + 0.5, AlarmItem::kDaysMask, L"snoozing"};
    snoozing.snoozing = true;
    snoozing.snooze = now + 0.1;
    Save(snoozing);
    Save(StoredTimer{5001, 100 * kSecond, L"tea", false, false, 300 * kSecond, TimerItem::kVibrateOff});
    StartProgram();

    TodayScreen screen(false);
    ASSERT_TRUE(screen.Create());
    TodayItemWnd item(GetModuleHandleW(nullptr));
    ASSERT_TRUE(item.CreateItem(screen.Window(), 240));
    item.PublishHwnd();
    // The texts the program wrote from its German pack at its start.
    EXPECT_EQ(L"Wecker", item.Texts().Text(TodayTextTable::kAlarms));
    EXPECT_EQ(L"Abbrechen", item.Texts().Text(TodayTextTable::kCancel));

    g_item = &item;
    TodayItemWnd::SetMenuTracker(PickingTracker);
    auto choose = [&](Pick pick) {
        g_pick = pick;
        SendMessageW(item.GetHwnd(), WM_TODAYCUSTOM_ACTION, 0, 0);
        Pump(200);  // the program's 1402: the item reloads before the next menu
    };
    using M = TodayCommandMenu;
    struct FlagCase {
        Pick pick;
        const wchar_t* list;
        ItemHash hash;
        DWORD bit;
        bool set;
    } flagCases[] = {
        {{true, 4001, M::kAlarmSound}, L"Alarms", 4001, AlarmItem::kPlaySound, false},
        {{true, 4001, M::kAlarmVibrate}, L"Alarms", 4001, AlarmItem::kVibrateOff, false},
        {{true, 4001, M::kAlarmSkip}, L"Alarms", 4001, AlarmItem::kSkipNext, true},
        {{true, 4001, M::kAlarmActive}, L"Alarms", 4001, AlarmItem::kEnabled, false},
        {{false, 0, M::kCancelSnoozeId}, L"Alarms", 4002, AlarmItem::kDismissed, true},
        {{false, 5001, M::kTimerStart}, L"Timers", 5001, TimerItem::kRunning, true},
        {{false, 5001, M::kTimerStop}, L"Timers", 5001, TimerItem::kRunning, false},
        {{false, 5001, M::kTimerRestart}, L"Timers", 5001, TimerItem::kRunning, true},
        {{false, 5001, M::kTimerSound}, L"Timers", 5001, TimerItem::kPlaySound, false},
        {{false, 5001, M::kTimerVibrate}, L"Timers", 5001, TimerItem::kVibrateOff, false},
    };
    for (const FlagCase& c : flagCases) {
        SCOPED_TRACE(testing::Message() << c.hash << " action " << c.pick.action);
        EXPECT_NE(c.set, (Flags(c.list, c.hash) & c.bit) != 0);
        choose(c.pick);
        EXPECT_EQ(c.set, (Flags(c.list, c.hash) & c.bit) != 0);
    }

    // The editors open modally over the program: each is cancelled once it shows.
    struct EditorCase {
        Pick pick;
        const wchar_t* caption;
    } editorCases[] = {
        {{true, 4001, M::kAlarmEdit}, L"Alarm properties"},
        {{false, 5001, M::kTimerEdit}, L"Timer properties"},
        {{false, 0, M::kNewAlarmId}, L"Alarm properties"},
        {{false, 0, M::kNewTimerId}, L"Timer properties"},
    };
    for (const EditorCase& c : editorCases) {
        SCOPED_TRACE(testing::Message() << c.pick.hash << " action " << c.pick.action);
        // The device's desktop is this thread's; the canceller looks for the editor there.
        HDESK desktop = GetThreadDesktop(GetCurrentThreadId());
        auto canceller = std::async(std::launch::async, [&] {
            SetThreadDesktop(desktop);
            HWND shown = editor_probe::WaitForEditor(0, c.caption);
            if (shown) editor_probe::PressCancel(shown);
            return shown;
        });
        choose(c.pick);
        EXPECT_NE(nullptr, PumpUntilReady(canceller));
    }

    // Delete asks on the program's question box; the item's menu waits for the answer.
    for (const Pick& pick : {Pick{true, 4001, M::kAlarmDelete}, Pick{false, 5001, M::kTimerDelete}}) {
        SCOPED_TRACE(pick.action);
        auto answer = std::async(std::launch::async, [] { return testsupport::AnswerQuestion(IDYES, kTimeoutMs); });
        choose(pick);
        EXPECT_FALSE(PumpUntilReady(answer).empty());
    }
    EXPECT_FALSE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, ItemKey(L"Alarms", 4001)));
    EXPECT_FALSE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, ItemKey(L"Timers", 5001)));

    // "Run" starts the program, whose second instance hands its empty text over: the main
    // window. Closed first, pumping: the closing program tells the item on this thread.
    HWND mainWindow = FindWindowW(kMainWindowClass, nullptr);
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [mainWindow] {
        Pump(50);
        return !IsWindow(mainWindow);
    }));
    choose({false, 0, M::kRunProgramId});
    EXPECT_NE(nullptr, testsupport::WaitForWindow(kMainWindowClass, kTimeoutMs));
    TodayItemWnd::SetMenuTracker(nullptr);
}

// No program runs: the command menu, chosen with the device's keys on the Today screen,
// starts the program named by "Location" with exactly the word.
TEST_F(TodayRoad, WithoutTheProgramAChoiceStartsItWithTheWord) {
    ASSERT_TRUE(probe::Install(kProgram));
    ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_CURRENT_USER, kProduct, L"Location",
                                                 testsupport::DevicePath(kProgram)));
    HWND item = StartHost();
    ASSERT_NE(nullptr, item);
    HWND screen = GetParent(item);
    PostMessageW(screen, WM_KEYDOWN, VK_DOWN, 0);    // selects the item
    PostMessageW(screen, WM_KEYDOWN, VK_RETURN, 0);  // its action: the menu, "Cancel" on top
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return FindWindowW(L"#32768", nullptr) != nullptr; }));
    // Cancel, Run, Cancel Snooze, New alarm, New timer (the separator is passed over).
    for (int i = 0; i < 5; ++i) PostMessageW(item, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(item, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(probe::WaitDone());
    EXPECT_EQ(L"new_timer", probe::Text(PROBE_COMMAND_TEXT_FILE));
    EXPECT_EQ(1u, DeviceControl_GetProgramStarts(testsupport::DevicePath(kProgram).c_str(), L"new_timer"));

    // "Run" gives no command text at all.
    probe::Clear();
    TodayCommandSender::Send(nullptr);
    ASSERT_TRUE(probe::WaitDone());
    EXPECT_EQ(L"", probe::Text(PROBE_COMMAND_TEXT_FILE));

    // An instance that is quitting refuses the word: the program is started with it.
    probe::Clear();
    {
        wchar_t name[MAX_PATH];
        ASSERT_TRUE(Device_GetObjectName(CopyDataCommand::kInstanceMutexName, name, MAX_PATH));
        ScopedHandle mutex(CreateMutexW(nullptr, TRUE, name));
        WNDCLASSW quitting = {};
        quitting.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            return message == WM_COPYDATA ? FALSE : DefWindowProcW(window, message, wParam, lParam);
        };
        quitting.hInstance = GetModuleHandleW(nullptr);
        quitting.lpszClassName = CopyDataCommand::kEngineWindowClass;
        ASSERT_TRUE(RegisterClassW(&quitting));
        HWND engine = CreateWindowExW(0, quitting.lpszClassName, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      quitting.hInstance, nullptr);
        EXPECT_EQ(0, TodayCommandSender::Send(L"alarms"));
        DestroyWindow(engine);
        UnregisterClassW(quitting.lpszClassName, quitting.hInstance);
    }
    ASSERT_TRUE(probe::WaitDone());
    EXPECT_EQ(L"alarms", probe::Text(PROBE_COMMAND_TEXT_FILE));
    // A damaged "Location" starts nothing.
    const BYTE odd[] = {'C', 0, ':'};
    ASSERT_TRUE(testsupport::WriteRegistryRaw(HKEY_CURRENT_USER, kProduct, L"Location", REG_SZ, odd, sizeof odd));
    EXPECT_FALSE(TodayCommandSender::StartProgram(L"new_alarm"));
}
