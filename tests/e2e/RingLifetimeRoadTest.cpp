// Rings and the program's end, through the real program on the test's device: a ring
// that is up and unanswered when the program ends (a crash, here: the process killed)
// rings again at the next start, and neither closing the main window nor the idle
// check ends the program while a ring waits for its answer or an item is about to fall
// due sooner than the device's wake-up could start the program for it.
#include "AlarmItem.h"
#include "DeviceClock.h"
#include "DeviceProgram.h"
#include "ItemStore.h"
#include "RegKeyRef.h"
#include "RegKeyRefTyped.h"
#include "RingMeasure.h"
#include "TestSupport.h"

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
// A timer that does not run, with that many seconds set and left.
void StoreStoppedTimer(ItemHash hash, int seconds, const wchar_t* title) {
    TimerItem timer;
    timer.Hash = hash;
    timer.flags &= ~TimerItem::kNew;
    timer.time = timer.origTime = seconds * kTicksPerSecond;
    timer.title.SetCStr(title);
    timer.Save(OpenItem(L"Timers", hash));
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
// during the ring leaves the ring up; the program killed during it leaves the ring saved
// as the snooze it is, and the next start rings it again; answered, it is over.
TEST_F(RingLifetimeRoad, AnUnansweredAlarmRingsAgainAtTheNextStart) {
    const OleDate due = Time_LocalNowAsDate(true) + 120 * kSecond;
    StoreAlarm(kAlarmHash, due, L"Once");
    {
        RegKeyRef key = OpenItem(L"Alarms", kAlarmHash);
        DWORD flags = 0;
        ASSERT_EQ(ERROR_SUCCESS, RegKeyRef_QueryTypedDword(key, &flags, AlarmItem::kFlagsValue));
        RegKey_WriteDword(key, flags | AlarmItem::kNotifyOnce, AlarmItem::kFlagsValue);
        RegKey_WriteDword(key, EventItem::kSnoozeTypeKeepShowing, EventItem::kSnoozeTypeValue);
    }
    ASSERT_EQ(0u, RunToEnd(L"AppRunAfterTimeChange"));
    ASSERT_NE(0u, ring_measure::RingAt(due, kTimeoutMs, false).dialog) << "the alarm never rang";

    HWND main = OpenMainWindow();
    ASSERT_NE(nullptr, main);
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return !FindWindowW(kMainWindowClass, nullptr); }));
    EXPECT_FALSE(testsupport::PollUntil(3000, [] { return !EngineRuns(); }))
        << "closing the main window ended the program during the ring";
    EXPECT_NE(nullptr, FindAlarmRing());

    EndProgram();
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
    StoreRunningTimer(kTimerHash, due, L"Eggs");
    {
        RegKeyRef key = OpenItem(L"Timers", kTimerHash);
        DWORD flags = 0;
        ASSERT_EQ(ERROR_SUCCESS, RegKeyRef_QueryTypedDword(key, &flags, TimerItem::kFlagsValue));
        RegKey_WriteDword(key, flags | TimerItem::kNoChain, TimerItem::kFlagsValue);
        RegKey_WriteDword(key, static_cast<DWORD>(kNextTimerHash), TimerItem::kNextTimerValue);
    }
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

// A timer started 8 s before it falls due, then the main window closed: the device's
// wake-up for it could come only 19 s after the start, so the program stays and the
// timer rings on its second.
TEST_F(RingLifetimeRoad, ATimerDueSoonRingsOnItsSecondWithTheMainWindowClosed) {
    StoreStoppedTimer(kTimerHash, 8, L"Soon");
    testsupport::ChildProcess program;
    ASSERT_TRUE(Start(program, L""));
    HWND main = testsupport::WaitForWindow(kMainWindowClass, kTimeoutMs);
    ASSERT_NE(nullptr, main);
    testsupport::ChildProcess second;
    ASSERT_TRUE(Start(second, (L"timer_start " + std::to_wstring(kTimerHash)).c_str()));
    ASSERT_EQ(0u, second.Wait(kTimeoutMs));
    // Its due moment as the start's save left it: the save's time plus the time left.
    OleDate saved = 0;
    Ticks100ns left = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegKeyRef_QueryDate(RegKeyRef::Open(kProductKey, HKEY_CURRENT_USER, true), &saved,
                                                 ItemStore::kSavedTimeValue));
    ASSERT_EQ(ERROR_SUCCESS,
              RegKeyRef_QueryBinary(OpenItem(L"Timers", kTimerHash), &left, sizeof left, TimerItem::kTimeValue));
    const OleDate due = saved + static_cast<double>(left / kTicksPerSecond) * kSecond;
    const DWORD dueTick =
        DeviceClock_GetTickCount() + static_cast<DWORD>((due - Time_LocalNowAsDate(true)) * 86400000.0);
    PostMessageW(main, WM_CLOSE, 0, 0);

    DWORD rangTick = 0;
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] {
        if (!FindTimerRing()) return false;
        rangTick = DeviceClock_GetTickCount();
        return true;
    })) << "the timer never rang";
    EXPECT_LE(LONG(rangTick - dueTick), 4000) << "the timer rang late";
}
