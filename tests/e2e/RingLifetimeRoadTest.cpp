// Rings and the program's end, through the real program on the test's device: a ring
// that is up and unanswered when the program ends (quit from its menu, or killed as a
// crash would end it) rings again at the next start, and neither closing the main
// window nor the idle check ends the program while a ring waits for its answer or an
// item falls due sooner than the device's wake-up could start the program for it.
#include "AlarmItem.h"
#include "DeviceProgram.h"
#include "RegKeyRef.h"
#include "RegKeyRefTyped.h"
#include "RingMeasure.h"
#include "TestSupport.h"
#include "TimerItem.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace device_program;

const wchar_t kProductKey[] = L"Software\\Ostrel\\Orvalen";
const wchar_t kMainWindowClass[] = L"OrvalenMainWnd";
constexpr OleDate kSecond = 1.0 / 86400.0;
const ItemHash kAlarmHash = 4713;
const ItemHash kTimerHash = 4714;
const ItemHash kNextTimerHash = 4715;
const UINT kDismissCommand = 30036;  // Dismiss on the alarm's ring, Close on the timer's

std::wstring ItemKey(const wchar_t* list, ItemHash hash) {
    return std::wstring(kProductKey) + L"\\" + list + L"\\Items\\" + std::to_wstring(hash);
}
RegKeyRef OpenItem(const wchar_t* list, ItemHash hash) {
    return RegKeyRef::Open(ItemKey(list, hash).c_str(), HKEY_CURRENT_USER, false);
}

class RingLifetimeRoad : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Install()); }
    void TearDown() override { EndProgram(); }

    // Starts the program as the device's wake-up would.
    bool Start(testsupport::ChildProcess& program, const wchar_t* word) {
        return program.Start(testsupport::DevicePath(kProgramDevicePath), word);
    }
    // The running program's main window, opened by a second start's word.
    HWND OpenMainWindow() {
        testsupport::ChildProcess second;
        if (!Start(second, L"alarms") || second.Wait(kTimeoutMs) != 0) return nullptr;
        return testsupport::WaitForWindow(kMainWindowClass, kTimeoutMs);
    }
};

}  // namespace

// A one-time alarm that keeps its ring screen up until answered. The main window closed
// during the ring leaves the ring up; the program quit from its menu during it leaves
// the ring saved as the snooze it is, and the next start rings it again; answered, it
// is over.
TEST_F(RingLifetimeRoad, AnUnansweredAlarmRingsAgainAtTheNextStart) {
    const OleDate due = Time_LocalNowAsDate(true) + 120 * kSecond;
    StoreAlarm(kAlarmHash, due, L"Once", [](AlarmItem& alarm) {
        alarm.flags |= AlarmItem::kNotifyOnce;
        alarm.SnoozeType = EventItem::kSnoozeTypeKeepShowing;
    });
    ASSERT_EQ(0u, RunToEnd(L"AppRunAfterTimeChange"));
    ASSERT_NE(0u, ring_measure::RingAt(due, kTimeoutMs, false).dialog) << "the alarm never rang";
    ScopedHandle ringing(OpenRunningProgram());
    ASSERT_TRUE(ringing);

    HWND main = OpenMainWindow();
    ASSERT_NE(nullptr, main);
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return !FindWindowW(kMainWindowClass, nullptr); }));
    EXPECT_EQ(DWORD(WAIT_TIMEOUT), WaitForSingleObject(ringing.Get(), 3000))
        << "closing the main window ended the program during the ring";
    EXPECT_NE(nullptr, FindAlarmRing());

    main = OpenMainWindow();
    ASSERT_NE(nullptr, main);
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDS_EXIT, 0), 0);
    ASSERT_EQ(DWORD(WAIT_OBJECT_0), WaitForSingleObject(ringing.Get(), kTimeoutMs)) << "Exit did not end the program";
    // What an older version or the Today item reads: a snooze due when the ring began.
    AlarmItem saved;
    ASSERT_TRUE(saved.Load(OpenItem(L"Alarms", kAlarmHash)));
    EXPECT_TRUE(saved.IsSnoozed());
    EXPECT_TRUE(saved.flags & AlarmItem::kEnabled);
    EXPECT_LE(saved.snooze, Time_LocalNowAsDate(true));

    testsupport::ChildProcess program;
    ASSERT_TRUE(Start(program, L"AppRunAtTime"));
    HWND ring = nullptr;
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return (ring = FindAlarmRing()) != nullptr; }))
        << "the unanswered ring was lost";
    PostMessageW(ring, WM_COMMAND, MAKEWPARAM(kDismissCommand, 0), 0);
    EXPECT_EQ(0u, program.Wait(kTimeoutMs));
    AlarmItem answered;
    ASSERT_TRUE(answered.Load(OpenItem(L"Alarms", kAlarmHash)));
    EXPECT_TRUE(answered.IsDismissed());
    EXPECT_FALSE(answered.flags & AlarmItem::kEnabled);
}

// A timer whose chain is started by hand when its ring closes: killed during the ring,
// the expired timer is kept, rings again at the next start, and its Close starts the chain.
TEST_F(RingLifetimeRoad, AnUnansweredTimerRingsAgainAndItsCloseStartsTheChain) {
    const OleDate due = Time_LocalNowAsDate(true) + 120 * kSecond;
    StoreRunningTimer(kTimerHash, due, L"Eggs", [](TimerItem& timer) {
        timer.flags |= TimerItem::kNoChain;
        timer.NextTimer = kNextTimerHash;
    });
    StoreStoppedTimer(kNextTimerHash, 300, L"Tea");
    {
        testsupport::ChildProcess program;
        ASSERT_NE(0u, ring_measure::TimerRingAt(due, kTimeoutMs, false, program).dialog) << "the timer never rang";
        EndProgram();
    }
    testsupport::ChildProcess program;
    ASSERT_TRUE(Start(program, L"AppRunAtTime"));
    HWND ring = nullptr;
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return (ring = FindTimerRing()) != nullptr; }))
        << "the unanswered ring was lost";
    PostMessageW(ring, WM_COMMAND, MAKEWPARAM(kDismissCommand, 0), 0);
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] {
        DWORD flags = 0;
        return RegKeyRef_QueryTypedDword(OpenItem(L"Timers", kNextTimerHash), &flags, TimerItem::kFlagsValue) ==
                   ERROR_SUCCESS &&
               (flags & TimerItem::kRunning);
    })) << "the chain did not start";
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] {
        return !testsupport::RegistryKeyExists(HKEY_CURRENT_USER, ItemKey(L"Timers", kTimerHash));
    })) << "the expired timer stayed";
}

// A 10 s timer started, then the main window closed: the device's wake-up for it could
// come only 19 s after the start, so the program that runs stays and rings it itself.
TEST_F(RingLifetimeRoad, ATimerDueSoonRingsOnItsSecondWithTheMainWindowClosed) {
    StoreStoppedTimer(kTimerHash, 10, L"Soon");
    testsupport::ChildProcess program;
    ASSERT_TRUE(Start(program, L""));
    HWND main = testsupport::WaitForWindow(kMainWindowClass, kTimeoutMs);
    ASSERT_NE(nullptr, main);
    testsupport::ChildProcess second;
    ASSERT_TRUE(Start(second, (L"timer_start " + std::to_wstring(kTimerHash)).c_str()));
    ASSERT_EQ(0u, second.Wait(kTimeoutMs));
    PostMessageW(main, WM_CLOSE, 0, 0);

    HWND ring = nullptr;
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return (ring = FindTimerRing()) != nullptr; }))
        << "the timer never rang";
    DWORD ringer = 0;
    GetWindowThreadProcessId(ring, &ringer);
    EXPECT_EQ(program.Id(), ringer) << "the program ended, leaving the timer to the device's late wake-up";
}
