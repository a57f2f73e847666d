// The time-zone action on the device clock: the built-in zones, the device's city
// database when it has one, and the built-in rules checked against Python's zoneinfo.
#include "BuiltInTimeZones.h"
#include "ChangeTimeZoneAction.h"
#include "DeviceCityDb.h"
#include "DeviceClock.h"
#include "DeviceControl.h"
#include "NotificationHelpers.h"
#include "TestSupport.h"
#include "TimeZoneList.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

namespace {

constexpr int kEasternUs = 13;
constexpr int kParis = 31;
constexpr int kWindhoek = 41;
constexpr int kTonga = 81;
constexpr LONGLONG kTicksPerMinute = 600000000;
constexpr DWORD kStartTimeoutMs = 30000;

LONGLONG Ticks(const SYSTEMTIME& st) {
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return LONGLONG(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
}

SYSTEMTIME FromTicks(LONGLONG ticks) {
    FILETIME ft = {DWORD(ticks), DWORD(ULONGLONG(ticks) >> 32)};
    SYSTEMTIME st;
    FileTimeToSystemTime(&ft, &st);
    return st;
}

LONGLONG UtcNow() {
    SYSTEMTIME st;
    DeviceClock_GetSystemTime(&st);
    return Ticks(st);
}

// Device local time less device UTC, in whole minutes.
LONGLONG LocalOffsetMinutes() {
    SYSTEMTIME utc, local;
    DeviceClock_GetSystemTime(&utc);
    DeviceClock_GetLocalTime(&local);
    LONGLONG difference = Ticks(local) - Ticks(utc);
    return (difference + (difference < 0 ? -kTicksPerMinute : kTicksPerMinute) / 2) / kTicksPerMinute;
}

bool Apply(int zoneIndex) {
    ChangeTimeZoneAction action;
    action.ZoneIndex = zoneIndex;
    return action.Execute();
}

TIME_ZONE_INFORMATION Zone() {
    TIME_ZONE_INFORMATION zone = {};
    DeviceClock_GetTimeZoneInformation(&zone);
    return zone;
}

bool SetDeviceUtc(int year, int month, int day, int hour) {
    SYSTEMTIME st = {WORD(year), WORD(month), 0, WORD(day), WORD(hour), 0, 0, 0};
    return DeviceClock_SetSystemTime(&st) != FALSE;
}

DEVICE_TIME_ZONE DatabaseZone(const wchar_t* display, const wchar_t* standard, LONG bias) {
    DEVICE_TIME_ZONE zone = {};
    wcscpy(zone.displayName, display);
    wcscpy(zone.standardName, standard);
    wcscpy(zone.daylightName, standard);
    zone.bias = bias;
    return zone;
}

}  // namespace

TEST(TimeZoneAction, ParisToEasternInWinterMovesTheLocalClockBackSixHoursAndKeepsUtc) {
    ASSERT_TRUE(testsupport::RemoveDeviceLibrary(CITYDB_LIBRARY));
    ASSERT_TRUE(testsupport::InstallLauncher());
    ASSERT_NE(nullptr, notifytest::Set(notifytest::Trigger::Event(NOTIFICATION_EVENT_TZ_CHANGE,
                                                                  testsupport::kLauncherDevicePath,
                                                                  L"AppRunAfterTzChange")));
    SYSTEMTIME now;
    DeviceClock_GetSystemTime(&now);
    ASSERT_TRUE(SetDeviceUtc(now.wYear, 1, 15, 12));
    ASSERT_TRUE(Apply(kParis));
    EXPECT_EQ(60, LocalOffsetMinutes());
    EXPECT_STREQ(L"Romance Standard Time", Zone().StandardName);
    ASSERT_TRUE(testsupport::PollUntil(kStartTimeoutMs, [] {
        return DeviceControl_GetProgramStarts(testsupport::kLauncherDevicePath, L"AppRunAfterTzChange") == 1;
    }));

    const LONGLONG before = UtcNow();
    ASSERT_TRUE(Apply(kEasternUs));
    EXPECT_LT(std::llabs(UtcNow() - before), 10000000) << "the absolute time moved";
    EXPECT_EQ(-300, LocalOffsetMinutes()) << "six hours back from Paris";
    const TIME_ZONE_INFORMATION eastern = Zone();
    EXPECT_EQ(300, eastern.Bias);
    EXPECT_EQ(0, eastern.StandardBias);
    EXPECT_EQ(-60, eastern.DaylightBias);
    EXPECT_STREQ(L"Eastern Standard Time", eastern.StandardName);
    EXPECT_STREQ(L"Eastern Daylight Time", eastern.DaylightName);
    EXPECT_TRUE(testsupport::PollUntil(kStartTimeoutMs, [] {
        return DeviceControl_GetProgramStarts(testsupport::kLauncherDevicePath, L"AppRunAfterTzChange") == 2;
    }));

    // No zone chosen, or a row the table lacks: nothing changes.
    const DWORD zoneChanges = DeviceControl_GetZoneChangeCount();
    for (int index : {ChangeTimeZoneAction::kNoZone, kBuiltInTimeZoneCount}) EXPECT_FALSE(Apply(index)) << index;
    EXPECT_EQ(zoneChanges, DeviceControl_GetZoneChangeCount());
    ASSERT_TRUE(Apply(kTonga));
    EXPECT_EQ(-780, Zone().Bias);
    ASSERT_TRUE(Apply(kWindhoek));
    EXPECT_EQ(60, Zone().DaylightBias) << "Windhoek's daylight time is an hour behind";
}

TEST(TimeZoneAction, BuiltInRulesAgreeWithZoneinfoAroundThisYearsTransitions) {
    ASSERT_TRUE(testsupport::RemoveDeviceLibrary(CITYDB_LIBRARY));
    const struct {
        int row;
        const char* zone;
    } rows[] = {{4, "America/Los_Angeles"}, {13, "America/New_York"}, {31, "Europe/Paris"}, {32, "Europe/Berlin"}};
    SYSTEMTIME now;
    DeviceClock_GetSystemTime(&now);
    std::string arguments = std::string("'") + ZONE_OFFSETS_SCRIPT + "' " + std::to_string(now.wYear);
    for (const auto& r : rows) arguments += std::string(" ") + r.zone;
    std::string offsets;
    ASSERT_TRUE(testsupport::RunHostTool("python3", arguments, &offsets)) << offsets;

    int checked = 0;
    for (const auto& r : rows) {
        ASSERT_TRUE(Apply(r.row)) << r.row;
        std::istringstream lines(offsets);
        std::string zone;
        long long unixSeconds = 0;
        int minutes = 0;
        while (lines >> zone >> unixSeconds >> minutes) {
            if (zone != r.zone) continue;
            const LONGLONG ticks = (unixSeconds + 11644473600LL) * 10000000;
            const SYSTEMTIME utc = FromTicks(ticks);
            ASSERT_TRUE(DeviceClock_SetSystemTime(&utc));
            EXPECT_EQ(minutes, LocalOffsetMinutes()) << r.zone << " at " << unixSeconds;
            ++checked;
        }
    }
    EXPECT_EQ(4 * 2 * 4, checked) << "two transitions a year, four moments each, in every zone";
}

TEST(TimeZoneAction, TheCityDatabaseOrdersTheZonesWhenTheDeviceHasACompleteOne) {
    const DEVICE_TIME_ZONE database[] = {DatabaseZone(L"GMT+9 Tokyo", L"Tokyo Standard Time", -540),
                                         DatabaseZone(L"GMT-3 Buenos Aires", L"SA Eastern Standard Time", 180)};
    ASSERT_TRUE(DeviceControl_SetTimeZoneDatabase(database, 2));
    ASSERT_TRUE(Apply(0));
    EXPECT_EQ(-540, Zone().Bias);
    EXPECT_STREQ(L"Tokyo Standard Time", Zone().StandardName);
    EXPECT_EQ(540, LocalOffsetMinutes());
    ASSERT_TRUE(Apply(1));
    EXPECT_EQ(180, Zone().Bias);
    {
        TimeZoneList list;
        EXPECT_TRUE(list.FromDatabase());
        EXPECT_EQ(2, list.Count());
        EXPECT_EQ(nullptr, list.Zone(2));
    }
    // The database's count rules: its third zone does not exist, whatever the table has.
    EXPECT_FALSE(Apply(2));
    EXPECT_FALSE(Apply(kEasternUs));
    EXPECT_EQ(180, Zone().Bias);
    EXPECT_EQ(0, DeviceControl_GetCityDbUsers()) << "the database was not given back";
    EXPECT_EQ(0, DeviceControl_GetCityDbLoads());

    // Names longer than the zone record's 31 characters are cut there, and nothing beside
    // them changes: 40 characters would run into the dates and the biases behind them.
    const std::wstring longer = L"Far Eastern Standard Time (test zone 40)";
    ASSERT_EQ(40u, longer.size());
    DEVICE_TIME_ZONE named = DatabaseZone(L"GMT+10 Long", longer.c_str(), -600);
    named.daylightBias = -60;
    ASSERT_TRUE(DeviceControl_SetTimeZoneDatabase(&named, 1));
    ASSERT_TRUE(Apply(0));
    const TIME_ZONE_INFORMATION applied = Zone();
    EXPECT_EQ(longer.substr(0, 31), std::wstring(applied.StandardName));
    EXPECT_EQ(longer.substr(0, 31), std::wstring(applied.DaylightName));
    EXPECT_EQ(-600, applied.Bias);
    EXPECT_EQ(0, applied.StandardBias);
    EXPECT_EQ(-60, applied.DaylightBias);
    ASSERT_TRUE(DeviceControl_SetTimeZoneDatabase(database, 2));

    // A library without all its functions counts as missing: the built-in table serves.
    ASSERT_TRUE(CopyFileW(testsupport::HostPath(PARTIAL_CITYDB).c_str(),
                          testsupport::DeviceLibraryPath(CITYDB_LIBRARY).c_str(), FALSE));
    ASSERT_TRUE(Apply(kEasternUs));
    EXPECT_STREQ(L"Eastern Standard Time", Zone().StandardName);
    EXPECT_EQ(0, DeviceControl_GetCityDbUsers());
}

// The list shows the built-in names as a reader expects them: a blank after every comma.
TEST(TimeZoneAction, BuiltInNamesSeparateTheirCitiesWithACommaAndABlank) {
    for (int index = 0; index < kBuiltInTimeZoneCount; ++index) {
        const std::wstring name = BuiltInTimeZone(index)->displayName;
        for (size_t comma = name.find(L','); comma != std::wstring::npos; comma = name.find(L',', comma + 1))
            EXPECT_EQ(L' ', name[comma + 1]) << index << ": " << std::string(name.begin(), name.end());
    }
    EXPECT_STREQ(L"GMT-11 Samoa, Midway", BuiltInTimeZone(1)->displayName);
}
