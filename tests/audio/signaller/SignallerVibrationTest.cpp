// Vibration cycles, the LED and vibrator found among the device's LEDs, model quirks, the
// backlight blink thread, and rings started and stopped a hundred times.
#include <gtest/gtest.h>

#include <algorithm>

#include "DeviceClock.h"
#include "DeviceControl.h"
#include "DeviceFiles.h"
#include "DeviceModel.h"
#include "Signaller.h"
#include "SignallerTestSupport.h"
#include "TestFiles.h"
#include "pm.h"

using namespace signallertest;

namespace {
constexpr double kCycleSlackMs = 50;
// A busy machine may make any single switch late (and, the cycles keeping their pace, the
// part after it shorter); the typical part lasts its time. A switch that is due is never
// early by more than the device tick's resolution.
constexpr double kEarlySwitchMs = 20;

ItemVibrationSettings Cycles(int onMs, int offMs) {
    ItemVibrationSettings v;
    v.CycleOnTime = uint16_t(onMs);
    v.CycleOffTime = uint16_t(offMs);
    return v;
}

// The lower median: of two, the one a late switch did not stretch.
double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[(values.size() - 1) / 2];
}

// Switches alternate from "on"; the typical "on" lasts the on time and the typical "off"
// the off time, as the device recorded them. Leading "off"s (the stop of a previous
// vibration) are dropped, and so is a last "off" after an "off" (the end came in a pause).
void ExpectCycles(std::vector<std::pair<DWORD, bool>> switches, double onMs, double offMs) {
    while (!switches.empty() && !switches.front().second) switches.erase(switches.begin());
    if (switches.size() >= 2 && !switches.back().second && !switches[switches.size() - 2].second) switches.pop_back();
    ASSERT_GE(switches.size(), 4u);
    std::vector<double> on, off;
    for (size_t i = 1; i < switches.size(); ++i) {
        const double lasted = double(switches[i].first - switches[i - 1].first);
        const bool wasOn = switches[i - 1].second;
        EXPECT_NE(switches[i].second, wasOn) << "switch " << i;
        (wasOn ? on : off).push_back(lasted);
    }
    EXPECT_NEAR(Median(on), onMs, kCycleSlackMs);
    EXPECT_NEAR(Median(off), offMs, kCycleSlackMs);
}

std::vector<std::pair<DWORD, bool>> VibrateSwitches(DWORD first) {
    std::vector<std::pair<DWORD, bool>> switches;
    for (const DEVICE_CALL& c : Calls(first))
        if ((c.kind == DEVICE_CALL_VIBRATE && c.b) || c.kind == DEVICE_CALL_VIBRATE_STOP)
            switches.emplace_back(c.tick, c.kind == DEVICE_CALL_VIBRATE);
    return switches;
}

// 4 s of 600/400 cycles through the shell's vibrate function, then one end message.
TEST(SignallerVibrationTest, VibratesInCyclesAndReportsTheEndOnce) {
    Signaller signaller;
    ASSERT_TRUE(signaller.HasVibrator());
    NotifySink sink;
    const DWORD first = CallCount();
    ASSERT_EQ(signaller.StartVibration(Cycles(600, 400), 4, sink.Hwnd(), true), 1);
    EXPECT_TRUE(signaller.IsVibrating());
    EXPECT_EQ(signaller.VibrationNotifyWindow(), sink.Hwnd());
    ASSERT_TRUE(sink.WaitFor(kVibrationEnded, 1, 8000));
    sink.Pump(1500);
    EXPECT_EQ(sink.Of(kVibrationEnded).size(), 1u);
    EXPECT_FALSE(signaller.IsVibrating());
    EXPECT_EQ(signaller.VibrationNotifyWindow(), nullptr);
    EXPECT_FALSE(DeviceControl_IsVibrating());
    std::vector<std::pair<DWORD, bool>> switches = VibrateSwitches(first);
    // Four cycles: the last "off" is the end's own VibrateStop.
    while (!switches.empty() && !switches.front().second) switches.erase(switches.begin());
    ASSERT_GE(switches.size(), 8u);
    switches.resize(8);
    ExpectCycles(switches, 600, 400);
}

// Cycle times of 0 ms (a version-3 import without them) and past the dialog's 2000 ms run
// at the dialog's bounds: 100/100 ms switches for a second, not a spinning loop.
TEST(SignallerVibrationTest, CycleTimesOutsideTheDialogsRangeAreBounded) {
    Signaller signaller;
    NotifySink sink;
    DWORD first = CallCount();
    ASSERT_EQ(signaller.StartVibration(Cycles(0, 0), 1, sink.Hwnd(), true), 1);
    ASSERT_TRUE(sink.WaitFor(kVibrationEnded, 1, 5000));
    std::vector<std::pair<DWORD, bool>> switches = VibrateSwitches(first);
    EXPECT_LE(switches.size(), 24u) << "about ten cycles of 100/100 ms";
    ExpectCycles(switches, 100, 100);
    first = CallCount();
    ASSERT_EQ(signaller.StartVibration(Cycles(5000, 100), 3, sink.Hwnd(), true), 1);
    ASSERT_TRUE(sink.WaitFor(kVibrationEnded, 2, 8000));
    switches = VibrateSwitches(first);
    while (!switches.empty() && !switches.front().second) switches.erase(switches.begin());
    ASSERT_GE(switches.size(), 2u);
    // Two seconds on, not the five asked (which the vibration's end at 3 s would cut).
    EXPECT_GE(double(switches[1].first - switches[0].first), 2000 - kEarlySwitchMs);
    EXPECT_LT(double(switches[1].first - switches[0].first), 2500);
}

// Without the vibrate function the vibrator is driven as an LED, with the same cycles.
TEST(SignallerVibrationTest, VibratorRunsAsAnLedWithoutTheVibrateFunction) {
    ASSERT_TRUE(DeviceControl_SetVibrateWorks(FALSE));
    Signaller signaller;
    NotifySink sink;
    const DWORD first = CallCount();
    ASSERT_EQ(signaller.StartVibration(Cycles(300, 200), 2, sink.Hwnd(), true), 1);
    ASSERT_TRUE(sink.WaitFor(kVibrationEnded, 1, 6000));
    std::vector<std::pair<DWORD, bool>> switches;
    for (const DEVICE_CALL& c : CallsOf(DEVICE_CALL_LED, first)) {
        EXPECT_EQ(c.a, LONG(signaller.VibratorIndex()));
        switches.emplace_back(c.tick, c.b == 1);
    }
    ExpectCycles(switches, 300, 200);
    EXPECT_TRUE(VibrateSwitches(first).empty());
}

// A stop ends the thread at once, whatever part of the cycle it is in: long before the
// part would have ended (1.7 s or more after each stop here).
TEST(SignallerVibrationTest, StopEndsTheVibrationWithin300Ms) {
    Signaller signaller;
    NotifySink sink;
    const int threads = ThreadCount();
    for (int delay : {100, 3300}) {
        ASSERT_EQ(signaller.StartVibration(Cycles(3000, 2000), 1200, sink.Hwnd(), true), 1);
        sink.Pump(delay);
        const DWORD stopAt = GetTickCount();
        signaller.StopVibration(true);
        EXPECT_LT(GetTickCount() - stopAt, 1000u) << "stopped " << delay << " ms in";
        EXPECT_FALSE(signaller.IsVibrating());
    }
    EXPECT_TRUE(testsupport::PollUntil(2000, [&] { return ThreadCount() <= threads; }));
    sink.Pump(200);
    EXPECT_TRUE(sink.Of(kVibrationEnded).empty()) << "a stopped vibration reports nothing";
    EXPECT_FALSE(DeviceControl_IsVibrating());
}

// The ring's vibrate-before-sound: the end message starts the continuing vibration and
// the sound from the handler, while the old thread is still finishing. The new vibration
// keeps its own time and reports its own end.
TEST(SignallerVibrationTest, EndMessageMayStartTheNextVibration) {
    ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE));
    Signaller signaller;
    NotifySink sink;
    struct Context {
        Signaller* signaller;
        int started;
        DWORD secondCalls, secondTick;
    } context{&signaller, 0, 0, 0};
    sink.context = &context;
    sink.onMessage = [](NotifySink& s, const Posted& posted) {
        auto* c = static_cast<Context*>(s.context);
        if (posted.message != kVibrationEnded || c->started++ > 0) return;
        c->secondCalls = CallCount();
        c->secondTick = DeviceClock_GetTickCount();
        EXPECT_EQ(c->signaller->StartVibration(Cycles(200, 100), 2, s.Hwnd(), true), 1);
        EXPECT_TRUE(c->signaller->StartSound(FileSound(DeviceSound(L"tone440.wav"), 1, 0), s.Hwnd(),
                                             GetModuleHandleW(nullptr), true, false));
    };
    ASSERT_EQ(signaller.StartVibration(Cycles(200, 100), 1, sink.Hwnd(), true), 1);
    ASSERT_TRUE(sink.WaitFor(kVibrationEnded, 2, 8000));
    // The second vibrated its own two seconds: it ended no sooner, and began no cycle of
    // 300 ms after them (its seventh began at 1.8 s), however late a busy machine switched.
    EXPECT_GE(sink.Of(kVibrationEnded)[1].tick - context.secondTick, 2000u) << "the second's two seconds";
    size_t cycles = 0;
    for (const auto& turn : VibrateSwitches(context.secondCalls)) cycles += turn.second;
    EXPECT_GE(cycles, 1u);
    EXPECT_LE(cycles, 7u) << "cycles begun within the second's two seconds";
    EXPECT_TRUE(sink.WaitFor(kSoundEnded, 1, 5000));
    // Rapid starts and stops around the natural end never hang.
    for (int i = 0; i < 20; ++i) {
        signaller.StartVibration(Cycles(10, 10), i % 2, sink.Hwnd(), true);
        sink.Pump(DWORD(i % 3) * 5);
        signaller.StopVibration(i % 2 == 0);
    }
    EXPECT_FALSE(signaller.IsVibrating());
}

// A device without a vibrator reports the end at once and vibrates nothing.
TEST(SignallerVibrationTest, NoVibratorReportsTheEndAtOnce) {
    const LONG ledsOnly[] = {0, 3};
    ASSERT_TRUE(DeviceControl_SetLeds(2, ledsOnly));
    Signaller signaller;
    EXPECT_TRUE(signaller.HasLed());
    EXPECT_FALSE(signaller.HasVibrator());
    NotifySink sink;
    EXPECT_EQ(signaller.StartVibration(Cycles(600, 400), 60, sink.Hwnd(), true), 0);
    EXPECT_EQ(signaller.StartVibration(Cycles(600, 400), 60, sink.Hwnd(), false), 0);
    sink.Pump(300);
    EXPECT_EQ(sink.Of(kVibrationEnded).size(), 1u);
    EXPECT_FALSE(signaller.IsVibrating());
}

// The first LED with a cycle adjust of -1 is the vibrator, the first with one of 0 or
// more the notification LED; model quirks stand over the scan.
TEST(SignallerVibrationTest, LedsAndVibratorFromTheScanAndTheModelQuirks) {
    const LONG leds[] = {-2, -1, 4, -1, 0};
    ASSERT_TRUE(DeviceControl_SetLeds(5, leds));
    {
        Signaller scanned;
        EXPECT_TRUE(scanned.HasLed() && scanned.HasVibrator());
        EXPECT_EQ(scanned.VibratorIndex(), 1u);
        EXPECT_EQ(scanned.LedIndex(), 2u);
    }
    ASSERT_TRUE(DeviceControl_SetOemInfo(L"sgh-I780"));
    {
        Signaller samsung;
        EXPECT_TRUE(samsung.HasLed() && samsung.HasVibrator());
        EXPECT_EQ(samsung.LedIndex(), 0u);
        EXPECT_EQ(samsung.VibratorIndex(), 10u);
    }
    ASSERT_TRUE(DeviceControl_SetOemInfo(L"SGH-i900 Omnia"));
    const LONG ledOnly[] = {7, 6};
    ASSERT_TRUE(DeviceControl_SetLeds(2, ledOnly));
    {
        Signaller omnia;
        EXPECT_TRUE(omnia.HasVibrator());
        EXPECT_EQ(omnia.VibratorIndex(), 11u);
        EXPECT_EQ(omnia.LedIndex(), 0u) << "the LED the scan found";
    }
    ASSERT_TRUE(DeviceControl_SetOemInfo(L"SGH-i780 rev 2"));
    {
        Signaller notQuite;
        EXPECT_FALSE(notQuite.HasVibrator()) << "the whole text must match";
    }
    const DWORD first = CallCount();
    Led_SetState(2, 2);
    ASSERT_EQ(CallsOf(DEVICE_CALL_LED, first).size(), 1u);
    EXPECT_EQ(DeviceControl_GetLedState(2), -1) << "a LED the device lacks";
    Led_SetState(1, 2);
    EXPECT_EQ(DeviceControl_GetLedState(1), 2);
}

// Without the LED driver there is no LED, no vibrator and no quirk.
TEST(SignallerVibrationTest, NoLedDriverMeansNoLedAndNoVibrator) {
    wchar_t coredll[MAX_PATH];
    ASSERT_TRUE(Device_MapPath(L"\\Windows\\coredll.dll", coredll, MAX_PATH));
    ASSERT_TRUE(DeleteFileW(coredll));
    ASSERT_TRUE(DeviceControl_SetOemInfo(L"SCH-M480"));
    Signaller signaller;
    EXPECT_FALSE(signaller.HasLed());
    EXPECT_FALSE(signaller.HasVibrator());
    const DWORD first = CallCount();
    Led_SetState(0, 1);
    EXPECT_TRUE(CallsOf(DEVICE_CALL_LED, first).empty());
}

// The backlight: forced off after 300 ms, on after 700 ms more, and so on; given back to
// the power manager when stopped.
TEST(SignallerVibrationTest, BacklightBlinksThreeHundredOnSevenHundredOff) {
    Signaller signaller;
    const DWORD first = CallCount();
    signaller.StartBacklightBlink();
    EXPECT_TRUE(signaller.IsBacklightBlinking());
    Sleep(5200);
    signaller.StopBacklightBlink();
    EXPECT_FALSE(signaller.IsBacklightBlinking());
    const std::vector<DEVICE_CALL> calls = CallsOf(DEVICE_CALL_DEVICE_POWER, first);
    ASSERT_GE(calls.size(), 10u);
    std::vector<std::pair<DWORD, bool>> switches;
    for (size_t i = 0; i + 1 < calls.size(); ++i) {
        EXPECT_STREQ(calls[i].device, L"BKL1:");
        EXPECT_EQ(calls[i].b, LONG(POWER_NAME | 0x1000));
        switches.emplace_back(calls[i].tick, calls[i].a == D0);
    }
    ExpectCycles(switches, 300, 700);
    EXPECT_EQ(calls.back().a, LONG(PwrDeviceUnspecified));
    EXPECT_EQ(DeviceControl_GetDevicePower(L"BKL1:"), LONG(PwrDeviceUnspecified));
}

// A hundred rings started and stopped, with the device asleep so each ring holds the
// audio codec: afterwards no thread, no handle and no power requirement is left.
TEST(SignallerVibrationTest, HundredRingsLeaveNothingBehind) {
    ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE));
    ASSERT_TRUE(PowerPolicyNotify(PPN_UNATTENDEDMODE, TRUE));
    ASSERT_EQ(SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, 0), DWORD(ERROR_SUCCESS));
    ASSERT_EQ(DeviceControl_GetPowerState(), DWORD(POWER_STATE_UNATTENDED));
    const std::wstring sound = DeviceSound(L"tone440.wav");
    Signaller signaller;
    NotifySink sink;
    // One ring first: the engine and the libraries make their threads and handles once.
    ASSERT_TRUE(signaller.StartSound(FileSound(sound, 20, 1), sink.Hwnd(), GetModuleHandleW(nullptr), true, false));
    EXPECT_EQ(DeviceControl_GetPowerRequirements(L"WAV1:"), 1u);
    signaller.StopSound();
    const int threads = ThreadCount();
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(signaller.StartSound(FileSound(sound, 20, 1), sink.Hwnd(), GetModuleHandleW(nullptr), true, false));
        ASSERT_EQ(signaller.StartVibration(Cycles(50, 50), 60, sink.Hwnd(), true), 1);
        signaller.StartBacklightBlink();
        signaller.StopBacklightBlink();
        signaller.StopVibration(true);
        signaller.StopSound();
    }
    sink.Pump(300);
    EXPECT_EQ(sink.Of(kSoundEnded).size(), 101u);
    EXPECT_TRUE(sink.Of(kVibrationEnded).empty());
    EXPECT_TRUE(testsupport::PollUntil(3000, [&] { return ThreadCount() <= threads; })) << ThreadCount() << " > " << threads;
    DWORD after = 0;
    GetProcessHandleCount(GetCurrentProcess(), &after);
    EXPECT_LE(after, handles + 2);
    EXPECT_EQ(DeviceControl_GetPowerRequirements(nullptr), 0u);
    EXPECT_EQ(DeviceControl_GetUnattendedCount(), 1u) << "the test's own request only";
    PowerPolicyNotify(PPN_UNATTENDEDMODE, FALSE);
}

}  // namespace
