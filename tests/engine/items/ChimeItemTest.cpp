// The chime strikes on its quarter, half or full hour, never in its quiet period,
// never after its three-minute window and never twice; it picks its sound by the
// minute and keeps its values under "ChimeItem".
#include "ChimeItem.h"
#include "EngineMessage.h"
#include "FreshDeviceTest.h"
#include "ItemTestHost.h"
#include "RegistryProbe.h"

#include <DeviceClock.h>
#include <gtest/gtest.h>

#include <limits>

namespace {

const wchar_t kProductKey[] = L"Software\\Ostrel\\Orvalen";
const std::wstring kChimeKey = std::wstring(kProductKey) + L"\\ChimeItem";

OleDate At(int day, int hour, int minute, int second = 0, int millisecond = 0) {
    return Time_DateFromParts(2026, 12, day, hour, minute, second, millisecond);
}

void SetDeviceLocal(OleDate date) {
    SYSTEMTIME st;
    Time_DateToSystemTime(date, st);
    ASSERT_TRUE(DeviceClock_SetLocalTime(&st));
}

ChimeItem ActiveChime(int32_t type) {
    ChimeItem chime(RcString(L"\\Program Files\\Orvalen\\Sounds"));
    chime.Active = 1;
    chime.ChimeType = type;
    chime.DisableFromTo = 0;
    return chime;
}

// How many 1376 messages for chime are waiting, taken out of the queue.
int Strikes(ItemTestHost& host, const ChimeItem& chime) {
    int strikes = 0;
    for (const MSG& msg : host.TakeMessages())
        if (msg.message == EngineMessage::kAlarmDue &&
            msg.wParam == reinterpret_cast<WPARAM>(static_cast<const EventItem*>(&chime)))
            ++strikes;
    return strikes;
}

RegKeyRef ProductKey() { return RegKeyRef::Open(kProductKey, HKEY_CURRENT_USER, false); }

}  // namespace

// Each test starts from an empty registry and a device clock of its own, however it is run.
class ChimeItemTest : public testsupport::FreshDeviceTest {};

TEST_F(ChimeItemTest, NextTimeRoundsUpToItsIntervalOutsideTheQuietPeriod) {
    ItemTestHost host;
    ChimeItem hourly = ActiveChime(ChimeItem::kEveryHour);
    EXPECT_DOUBLE_EQ(At(7, 14, 0), hourly.NextTime(At(7, 14, 0)));
    EXPECT_DOUBLE_EQ(At(7, 15, 0), hourly.NextTime(At(7, 14, 0, 0, 1)));
    EXPECT_DOUBLE_EQ(At(7, 15, 0), hourly.EventTime);
    ChimeItem half = ActiveChime(ChimeItem::kEveryHalfHour);
    EXPECT_DOUBLE_EQ(At(7, 14, 30), half.NextTime(At(7, 14, 12)));

    ChimeItem quarter = ActiveChime(ChimeItem::kEveryQuarter);
    quarter.DisableFromTo = 1;
    quarter.DisableFromHour = 21;
    quarter.DisableToHour = 8;
    EXPECT_DOUBLE_EQ(At(7, 20, 45), quarter.NextTime(At(7, 20, 31)));
    EXPECT_DOUBLE_EQ(At(8, 8, 0), quarter.NextTime(At(7, 20, 50)));
    EXPECT_DOUBLE_EQ(At(8, 8, 15), quarter.NextTime(At(7, 23, 10)));
    EXPECT_DOUBLE_EQ(At(8, 8, 15), quarter.NextTime(At(8, 3, 10)));

    hourly.DisableFromTo = 1;
    hourly.DisableFromHour = 1;
    hourly.DisableToHour = 6;
    EXPECT_DOUBLE_EQ(At(7, 6, 0), hourly.NextTime(At(7, 0, 30)));
    hourly.DisableToHour = 1;
    EXPECT_DOUBLE_EQ(At(7, 1, 0), hourly.NextTime(At(7, 0, 30)));

    // Silent and still: no time, and the old one stays.
    hourly.DoSound = 0;
    EXPECT_EQ(kOleDateNever, hourly.NextTime(At(7, 0, 30)));
    EXPECT_DOUBLE_EQ(At(7, 1, 0), hourly.EventTime);
}

TEST_F(ChimeItemTest, StrikesOnceWithinThreeMinutesOfItsTime) {
    ItemTestHost host;
    ChimeItem chime = ActiveChime(ChimeItem::kEveryQuarter);
    chime.NextTime(At(7, 10, 0, 30));
    ASSERT_DOUBLE_EQ(At(7, 10, 15), chime.EventTime);
    chime.Tick(At(7, 10, 14, 59));
    chime.Tick(At(7, 10, 15));
    EXPECT_EQ(0, Strikes(host, chime));
    chime.Tick(At(7, 10, 15, 1));
    EXPECT_EQ(1, Strikes(host, chime));
    chime.Tick(At(7, 10, 15, 2));
    chime.Tick(At(7, 10, 16, 0));
    EXPECT_EQ(0, Strikes(host, chime));
    EXPECT_DOUBLE_EQ(At(7, 10, 30), chime.EventTime);

    // Not while the signaller is busy, nor while switched off.
    host.signallerBusy = true;
    chime.Tick(At(7, 10, 30, 1));
    host.signallerBusy = false;
    chime.DoSound = 0;
    chime.Tick(At(7, 10, 30, 1));
    EXPECT_EQ(0, Strikes(host, chime));
    chime.DoVibrate = 1;
    chime.Tick(At(7, 10, 32, 59));
    EXPECT_EQ(1, Strikes(host, chime));

    // Found late (the device slept): no strike, the next quarter is scheduled.
    SetDeviceLocal(At(7, 10, 48, 30));
    chime.Tick(At(7, 10, 48, 30));
    EXPECT_EQ(0, Strikes(host, chime));
    EXPECT_DOUBLE_EQ(At(7, 11, 0), chime.EventTime);
    EXPECT_EQ(1, host.reschedules);
}

TEST_F(ChimeItemTest, QuietPeriodIsNeverStruck) {
    ItemTestHost host;
    ChimeItem chime = ActiveChime(ChimeItem::kEveryHour);
    chime.DisableFromTo = 1;
    chime.DisableFromHour = 21;
    chime.DisableToHour = 8;
    chime.NextTime(At(7, 20, 10));
    chime.Tick(At(7, 21, 0, 1));
    EXPECT_EQ(0, Strikes(host, chime));
    for (int hour = 21; hour < 32; ++hour) chime.Tick(At(7 + hour / 24, hour % 24, 0, 30));
    EXPECT_EQ(0, Strikes(host, chime));
    chime.Tick(At(8, 8, 0, 30));
    EXPECT_EQ(1, Strikes(host, chime));
}

TEST_F(ChimeItemTest, SoundAndVibrationFollowTheMinute) {
    ItemTestHost host;
    ChimeItem chime = ActiveChime(ChimeItem::kEveryQuarter);
    chime.halfVibration.CycleOnTime = 111;
    chime.quarterVibration.CycleOnTime = 222;
    const struct {
        int hour, minute, repeat, cycleOn;
    } cases[] = {{15, 4, 3, 600},  {15, 56, 3, 600},  {15, 27, 2, 111},  {15, 34, 2, 111},
                 {15, 11, 1, 222}, {15, 49, 1, 222}, {15, 55, 20, 600}, {15, 21, 20, 600}};
    for (const auto& c : cases) {
        SetDeviceLocal(At(7, c.hour, c.minute));
        EXPECT_EQ(c.repeat, chime.GetSoundSettings()->repeat) << c.minute;
        EXPECT_EQ(c.cycleOn, chime.GetVibrationSettings()->CycleOnTime) << c.minute;
    }

    // Striking the hours: as often as the hour on a 12-hour dial.
    chime.ChimeHours = 1;
    const struct {
        int hour, minute, repeat;
    } strokes[] = {{15, 0, 3}, {14, 57, 3}, {0, 3, 12}, {11, 55, 12}, {13, 5, 1}, {9, 30, 2}};
    for (const auto& s : strokes) {
        SetDeviceLocal(At(7, s.hour, s.minute));
        EXPECT_EQ(s.repeat, chime.GetSoundSettings()->repeat) << s.hour << ":" << s.minute;
    }
}

TEST_F(ChimeItemTest, RegistryValuesTheirTypesAndDamagedOnes) {
    ItemTestHost host;
    ChimeItem chime = ActiveChime(ChimeItem::kEveryHalfHour);
    chime.DoVibrate = 1;
    chime.DisableFromHour = 22;
    chime.DisableToHour = 6;
    chime.ChimeHours = 1;
    chime.EventTime = At(7, 10, 30);
    chime.halfSound.volume = 77;
    chime.quarterVibration.CycleOffTime = 333;
    chime.initsnooze.minutes = 3;
    chime.Save(ProductKey());
    for (const wchar_t* name : {L"DoVibrate", L"DoSound", L"Active", L"DisableFromTo", L"ChimeHours", L"SnoozeType"})
        EXPECT_EQ(REG_DWORD, registryprobe::Read(kChimeKey, name).type) << name;
    for (const wchar_t* name : {L"DisableFromHour", L"DisableToHour", L"ChimeType"})
        EXPECT_EQ(4u, registryprobe::Read(kChimeKey, name).bytes.size()) << name;
    EXPECT_EQ(REG_BINARY, registryprobe::Read(kChimeKey, L"ChimeType").type);
    EXPECT_EQ(8u, registryprobe::Read(kChimeKey, L"EventTime").bytes.size());
    EXPECT_TRUE(registryprobe::KeyExists(kChimeKey + L"\\QS\\SoundSettings"));
    EXPECT_TRUE(registryprobe::KeyExists(kChimeKey + L"\\HS\\VibrationSettings"));
    EXPECT_FALSE(registryprobe::Read(kChimeKey, L"flags").exists);

    ChimeItem loaded(RcString(L"\\Sounds"));
    EXPECT_STREQ(L"\\Sounds\\chime1.ogg", loaded.halfSound.custom.CStr());
    EXPECT_EQ(9, loaded.DisableToHour);  // until the load
    loaded.Load(ProductKey());
    EXPECT_EQ(1, loaded.Active);
    EXPECT_EQ(1, loaded.DoVibrate);
    EXPECT_EQ(ChimeItem::kEveryHalfHour, loaded.ChimeType);
    EXPECT_EQ(22, loaded.DisableFromHour);
    EXPECT_EQ(6, loaded.DisableToHour);
    EXPECT_EQ(1, loaded.ChimeHours);
    EXPECT_DOUBLE_EQ(At(7, 10, 30), loaded.EventTime);
    EXPECT_EQ(77, loaded.halfSound.volume);
    EXPECT_EQ(333, loaded.quarterVibration.CycleOffTime);
    EXPECT_EQ(3, loaded.initsnooze.minutes);
    EXPECT_TRUE(loaded.soundSettings == chime.soundSettings);
    EXPECT_STREQ(L"Chime", loaded.GetTitle().CStr());
    ChimeItem copy(loaded);
    EXPECT_EQ(loaded.Hash, copy.Hash);
    EXPECT_EQ(22, copy.DisableFromHour);
    EXPECT_TRUE(copy.halfSound == loaded.halfSound);

    // Numbers that would strike every second or never take their defaults; missing
    // values their load defaults.
    registryprobe::WriteDword(kChimeKey, L"ChimeType", 7);
    registryprobe::WriteDword(kChimeKey, L"DisableToHour", 99);
    const double notANumber = std::numeric_limits<double>::quiet_NaN();
    registryprobe::Write(kChimeKey, L"EventTime", REG_BINARY, &notANumber, sizeof notANumber);
    registryprobe::Delete(kChimeKey, L"DoSound");
    registryprobe::WriteText(kChimeKey, L"Active", L"10");
    loaded.Load(ProductKey());
    EXPECT_EQ(ChimeItem::kEveryHour, loaded.ChimeType);
    EXPECT_EQ(21, loaded.DisableFromHour);
    EXPECT_EQ(8, loaded.DisableToHour);
    EXPECT_EQ(0.0, loaded.EventTime);
    EXPECT_EQ(1, loaded.DoSound);
    EXPECT_EQ(0, loaded.Active);
}
