// The program's notifications against the device's notification engine.
#include "CommandWord.h"
#include "DateFunctions.h"
#include "DeviceClock.h"
#include "DeviceControl.h"
#include "NotifyDatabase.h"
#include "NotifyEnum.h"
#include "NotifyRecord.h"
#include "SystemNotifications.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

const wchar_t kLauncher[] = L"\\Windows\\OrvalenStartup.exe";
const wchar_t kForeign[] = L"\\Windows\\other.exe";
constexpr OleDate kSecond = 1.0 / 86400.0;

struct Listed {
    HANDLE handle;
    DWORD type, event;
    OleDate start;
    std::wstring application, arguments;
};

std::vector<Listed> List() {
    std::vector<Listed> all;
    for (DWORD i = 0;; ++i) {
        Listed n = {};
        SYSTEMTIME start = {};
        wchar_t application[MAX_PATH] = {}, arguments[MAX_PATH] = {};
        if (!DeviceControl_GetNotification(i, &n.handle, &n.type, &n.event, nullptr, &start, application, MAX_PATH,
                                           arguments, MAX_PATH))
            return all;
        n.start = n.type == CNT_TIME ? Time_SystemTimeToDate(start) : 0;
        n.application = application;
        n.arguments = arguments;
        all.push_back(n);
    }
}

std::vector<Listed> Own(DWORD type) {
    std::vector<Listed> own;
    for (const Listed& n : List())
        if (n.application == kLauncher && n.type == type) own.push_back(n);
    return own;
}

HANDLE SetTime(const wchar_t* application, OleDate at, const wchar_t* arguments = CommandWord::kAppRunAtTime) {
    CE_NOTIFICATION_TRIGGER trigger = {sizeof trigger, CNT_TIME};
    std::wstring app = application, args = arguments;
    trigger.lpszApplication = &app[0];
    trigger.lpszArguments = &args[0];
    Time_DateToSystemTime(at, trigger.stStartTime);
    return CeSetUserNotificationEx(nullptr, &trigger, nullptr);
}

HANDLE SetEvent(DWORD event, const wchar_t* application, const wchar_t* arguments) {
    CE_NOTIFICATION_TRIGGER trigger = {sizeof trigger, CNT_EVENT, event};
    std::wstring app = application, args = arguments;
    trigger.lpszApplication = &app[0];
    trigger.lpszArguments = args.empty() ? nullptr : &args[0];
    return CeSetUserNotificationEx(nullptr, &trigger, nullptr);
}

OleDate Now() { return Time_LocalNowAsDate(true); }

// Dates in notifications keep whole seconds.
void ExpectAt(OleDate expected, OleDate actual) { EXPECT_NEAR(expected, actual, 0.6 * kSecond); }

}  // namespace

TEST(SystemNotifications, FirstFiveDueMomentsOneSecondEarlyAndNeverSoonerThanTwentySeconds) {
    OleDate now = Now();
    std::vector<OleDate> due;
    due.push_back(now + 5 * kSecond);
    for (int minutes = 1; minutes <= 6; ++minutes) due.push_back(now + minutes * 60 * kSecond);
    SystemNotifications::ScheduleRunAtTimes(kLauncher, due, {}, 0, now);

    std::vector<Listed> own = Own(CNT_TIME);
    ASSERT_EQ(5u, own.size());
    ExpectAt(now + 19 * kSecond, own[0].start);
    for (size_t i = 1; i < own.size(); ++i) {
        ExpectAt(due[i] - kSecond, own[i].start);
        EXPECT_EQ(CommandWord::kAppRunAtTime, own[i].arguments);
    }
}

TEST(SystemNotifications, WholeMinuteDueMomentsWakeExactlyOneSecondBefore) {
    // Whole minutes of tomorrow, as the dates of alarms' occurrences hold them.
    const int minutes[] = {1, 59, 870, 1439};
    const OleDate tomorrow = std::floor(Now()) + 1;
    std::vector<OleDate> due;
    for (int m : minutes) due.push_back(tomorrow + Time_DateFromParts(1899, 12, 30, m / 60, m % 60, 0, 0));
    SystemNotifications::ScheduleRunAtTimes(kLauncher, due, {}, 0, Now());
    ASSERT_EQ(4u, DeviceControl_GetNotificationCount());
    for (DWORD i = 0; i < 4; ++i) {
        SYSTEMTIME start = {};
        ASSERT_TRUE(DeviceControl_GetNotification(i, nullptr, nullptr, nullptr, nullptr, &start, nullptr, 0, nullptr, 0));
        const int before = minutes[i] - 1;
        EXPECT_EQ(before / 60, start.wHour) << minutes[i];
        EXPECT_EQ(before % 60, start.wMinute) << minutes[i];
        EXPECT_EQ(59, start.wSecond) << minutes[i];
        EXPECT_EQ(0, start.wMilliseconds) << minutes[i];
    }
}

// The service may fire (and remove) a notification between the program's reading of
// the handle list and its use of a handle: the walk goes on past it, and a wake-up that
// was to be updated in place is made anew.
TEST(SystemNotifications, NotificationsThatVanishUnderTheProgramAreSkippedOrMadeAnew) {
    OleDate now = Now();
    HANDLE first = SetTime(kLauncher, now + 0.1);
    HANDLE vanishing = SetTime(kLauncher, now + 0.2);
    HANDLE last = SetTime(kLauncher, now + 0.3);
    NotifyEnum own(kLauncher);
    ASSERT_TRUE(CeClearUserNotification(vanishing));
    std::vector<HANDLE> seen;
    for (HANDLE handle = nullptr; own.Next(&handle);) seen.push_back(handle);
    EXPECT_EQ((std::vector<HANDLE>{first, last}), seen);
    EXPECT_EQ(2u, own.Position()) << "the place in the list fetched at the start";

    // One that fired between the scan and its update is made anew.
    SystemNotifications::Own scanned = SystemNotifications::ScanOwn(kLauncher);
    ASSERT_TRUE(CeClearUserNotification(first));
    SystemNotifications::ScheduleRunAtTimes(kLauncher, {now + 0.05, now + 0.3}, scanned.runAtTimes,
                                            scanned.firstRunAtTimePosition, now);
    std::vector<Listed> times = Own(CNT_TIME);
    ASSERT_EQ(2u, times.size());
    EXPECT_EQ(last, times[0].handle);
    ExpectAt(now + 0.3 - kSecond, times[0].start);
    ExpectAt(now + 0.05 - kSecond, times[1].start);
}

TEST(SystemNotifications, ExistingTimeNotificationsAreUpdatedInPlaceAndTheSurplusCleared) {
    OleDate now = Now();
    HANDLE foreign = SetTime(kForeign, now + 0.5);
    HANDLE first = SetTime(kLauncher, now + 0.1);
    SetTime(kLauncher, now + 0.2);
    SetTime(kLauncher, now + 0.3);
    SystemNotifications::Own scanned = SystemNotifications::ScanOwn(kLauncher);
    ASSERT_EQ(3u, scanned.runAtTimes.size());
    EXPECT_EQ(1u, scanned.firstRunAtTimePosition);

    SystemNotifications::ScheduleRunAtTimes(kLauncher, {now + 0.05}, scanned.runAtTimes,
                                            scanned.firstRunAtTimePosition, now);
    std::vector<Listed> all = List();
    ASSERT_EQ(2u, all.size());
    EXPECT_EQ(foreign, all[0].handle);
    EXPECT_EQ(first, all[1].handle);
    ExpectAt(now + 0.05 - kSecond, all[1].start);
}

TEST(SystemNotifications, ManyForeignNotificationsFirstMakeTheProgramsAnew) {
    OleDate now = Now();
    for (int i = 0; i < 40; ++i) ASSERT_NE(nullptr, SetTime(kForeign, now + 1));
    HANDLE old = SetTime(kLauncher, now + 0.1);
    SystemNotifications::Own scanned = SystemNotifications::ScanOwn(kLauncher);
    ASSERT_EQ(40u, scanned.firstRunAtTimePosition);

    SystemNotifications::ScheduleRunAtTimes(kLauncher, {now + 0.2, now + 0.3}, scanned.runAtTimes,
                                            scanned.firstRunAtTimePosition, now);
    std::vector<Listed> own = Own(CNT_TIME);
    ASSERT_EQ(2u, own.size());
    EXPECT_NE(old, own[0].handle);
    EXPECT_EQ(42u, List().size());
}

TEST(SystemNotifications, OneTimeChangeAndOneZoneChangeNotificationStay) {
    HANDLE kept = SetEvent(NOTIFICATION_EVENT_TIME_CHANGE, kLauncher, CommandWord::kAppRunAfterTimeChange);
    SetEvent(NOTIFICATION_EVENT_TIME_CHANGE, kLauncher, CommandWord::kAppRunAfterTimeChange);
    for (int round = 0; round < 2; ++round) {
        SystemNotifications::Own scanned = SystemNotifications::ScanOwn(kLauncher);
        SystemNotifications::RegisterTimeChangeEvents(kLauncher, scanned.timeChanges, scanned.zoneChanges);
    }
    std::vector<Listed> events = Own(CNT_EVENT);
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(kept, events[0].handle);
    EXPECT_EQ(DWORD(NOTIFICATION_EVENT_TZ_CHANGE), events[1].event);
    EXPECT_EQ(CommandWord::kAppRunAfterTzChange, events[1].arguments);
}

TEST(SystemNotifications, ClearingAndTheDatabaseScanLeaveOnlyForeignNotifications) {
    OleDate now = Now();
    HANDLE foreign = SetTime(kForeign, now + 1);
    SetTime(kLauncher, now + 1);
    SetEvent(NOTIFICATION_EVENT_TZ_CHANGE, kLauncher, CommandWord::kAppRunAfterTzChange);
    // The scan compares the path exactly; the enumerator ignores case.
    NotifyDatabase::DeleteRecordsOf(L"\\WINDOWS\\ORVALENSTARTUP.EXE");
    EXPECT_EQ(3u, List().size());
    NotifyDatabase::DeleteRecordsOf(kLauncher);
    ASSERT_EQ(1u, List().size());
    EXPECT_EQ(foreign, List()[0].handle);

    SetTime(L"\\windows\\orvalenstartup.exe", now + 1);
    SystemNotifications::ClearOwn(kLauncher);
    ASSERT_EQ(1u, List().size());
    EXPECT_TRUE(NotifyDatabase::FlushVolume());
}

TEST(SystemNotifications, DuplicatesAcrossTheSystemAreClearedOncePerGroup) {
    OleDate at = Now() + 1;
    std::vector<HANDLE> firsts = {SetTime(kForeign, at), SetTime(kLauncher, at, L""),
                                  SetEvent(NOTIFICATION_EVENT_TIME_CHANGE, kLauncher, L"")};
    for (int copy = 0; copy < 3; ++copy) {
        SetTime(kForeign, at);
        SetTime(kLauncher, at, L"");
        SetEvent(NOTIFICATION_EVENT_TIME_CHANGE, kLauncher, L"");
    }
    HANDLE other = SetTime(kForeign, at + kSecond);
    SystemNotifications::RemoveDuplicates();
    std::vector<Listed> all = List();
    ASSERT_EQ(4u, all.size());
    EXPECT_EQ(other, all.back().handle);
}

TEST(NotifyRecord, OrderIsTotalWithMissingTexts) {
    // Every mix of present and missing texts: the order must be a strict weak order.
    std::vector<CE_NOTIFICATION_TRIGGER> triggers;
    wchar_t a[] = L"a", b[] = L"b";
    wchar_t* texts[] = {nullptr, a, b};
    for (wchar_t* application : texts)
        for (wchar_t* arguments : texts)
            for (DWORD type : {DWORD(CNT_EVENT), DWORD(CNT_TIME)}) {
                CE_NOTIFICATION_TRIGGER t = {sizeof t, type, 0, application, arguments};
                triggers.push_back(t);
            }
    std::vector<NotifyRecord> records;
    for (size_t i = 0; i < triggers.size() * 2; ++i) {
        CE_NOTIFICATION_INFO_HEADER info = {};
        info.pcent = &triggers[i % triggers.size()];
        records.emplace_back(reinterpret_cast<HANDLE>(i + 1), info);
    }
    for (const NotifyRecord& x : records) {
        EXPECT_FALSE(NotifyRecord::Before(x, x));
        for (const NotifyRecord& y : records) {
            if (!NotifyRecord::Before(x, y)) continue;
            EXPECT_FALSE(NotifyRecord::Before(y, x));
            for (const NotifyRecord& z : records) {
                if (NotifyRecord::Before(y, z)) {
                    EXPECT_TRUE(NotifyRecord::Before(x, z));
                }
            }
        }
    }
    std::sort(records.begin(), records.end(), NotifyRecord::Before);
    for (size_t i = 0; i < records.size(); i += 2) EXPECT_TRUE(records[i].SameAs(records[i + 1]));
}
