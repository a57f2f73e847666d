#include "RingMeasure.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "DeviceClock.h"
#include "DeviceControl.h"
#include "DeviceProgram.h"
#include "DeviceSignals.h"
#include "TestSupport.h"

namespace ring_measure {
namespace {

constexpr int kNotificationLed = 0;
constexpr int kBlinking = 2;
// The loudspeaker records exact zeros while nothing plays.
constexpr int kLoudLevel = 8;

// Dismiss on the alarm dialogs, Close on the timer's.
constexpr UINT kDismissCommand = 30036;
// How long before the due instant the clock is brought: an alarm's program runs already
// (woken early), a timer's is started by the test, as the device's wake-up would.
constexpr DWORD kAlarmLeadMs = 500;
constexpr DWORD kTimerLeadMs = 1500;
const wchar_t kWakeUpWord[] = L"AppRunAtTime";

// The first call at or after call number `from` that blinks the notification LED.
DWORD LedBlinkTick(DWORD from) {
    for (const DEVICE_CALL& call : CallsFrom(from))
        if (call.kind == DEVICE_CALL_LED && call.a == kNotificationLed && call.b == kBlinking) return call.tick;
    return 0;
}

}  // namespace

std::vector<DEVICE_CALL> CallsFrom(DWORD first) {
    std::vector<DEVICE_CALL> calls(DEVICE_CALL_LOG_SIZE);
    const DWORD total = DeviceControl_GetCalls(first, calls.data(), DEVICE_CALL_LOG_SIZE);
    calls.resize(total > first ? std::min<DWORD>(total - first, DEVICE_CALL_LOG_SIZE) : 0);
    return calls;
}

namespace {
// The loudspeaker's recording so far, and the device tick count when it began.
std::vector<short> Recorded(DWORD* startTick) {
    wchar_t path[MAX_PATH];
    std::string bytes;
    if (!DeviceControl_GetSpeakerRecording(path, MAX_PATH, startTick) || !testsupport::ReadBytes(path, &bytes))
        return {};
    std::vector<short> samples(bytes.size() / 2);
    if (!samples.empty()) memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}
}  // namespace

DWORD FirstSoundTick(int level) {
    DWORD startTick = 0;
    const std::vector<short> samples = Recorded(&startTick);
    for (size_t i = 0; i < samples.size(); ++i)
        if (samples[i] > level || samples[i] < -level) return startTick + DWORD(uint64_t(i) * 1000 / DEVICE_SPEAKER_RATE);
    return 0;
}

double SoundingMs(double level) {
    DWORD startTick = 0;
    const std::vector<short> samples = Recorded(&startTick);
    constexpr size_t kWindow = DEVICE_SPEAKER_RATE / 100;
    size_t loud = 0;
    for (size_t at = 0; at + kWindow <= samples.size(); at += kWindow) {
        double power = 0;
        for (size_t i = at; i < at + kWindow; ++i) power += double(samples[i]) * samples[i];
        loud += power / kWindow > level * level;
    }
    return loud * 10.0;
}

namespace {

// Brings the device clock to `leadMs` before `due`, lets `start` start the program when
// it is not running, and times the ring that `find` sees.
template <typename Start>
RingTimes Measure(OleDate due, DWORD leadMs, DWORD timeoutMs, bool record, HWND (*find)(), Start start) {
    RingTimes times;
    device_program::ClearTimeChangeNotification();
    if (record && !DeviceControl_RecordSpeaker(TRUE)) return times;
    const DWORD firstCall = DeviceControl_GetCalls(0, nullptr, 0);
    const LONGLONG toDue = static_cast<LONGLONG>((due - Time_LocalNowAsDate(true)) * 86400000.0);
    if (toDue > LONGLONG(leadMs) && !DeviceControl_JumpClock(toDue - leadMs)) return times;
    times.due = DeviceClock_GetTickCount() +
                DWORD(static_cast<LONGLONG>((due - Time_LocalNowAsDate(true)) * 86400000.0));
    if (!start()) return times;
    const DWORD begin = GetTickCount();
    while (!times.dialog && GetTickCount() - begin < timeoutMs) {
        if (find()) times.dialog = DeviceClock_GetTickCount();
        else Sleep(2);
    }
    if (record) testsupport::PollUntil(timeoutMs, [&] { return (times.sound = FirstSoundTick(kLoudLevel)) != 0; });
    times.tick = LedBlinkTick(firstCall);
    return times;
}

}  // namespace

RingTimes RingAt(OleDate due, DWORD timeoutMs, bool record) {
    return Measure(due, kAlarmLeadMs, timeoutMs, record, device_program::FindAlarmRing, [] { return true; });
}

RingTimes TimerRingAt(OleDate due, DWORD timeoutMs, bool record, testsupport::ChildProcess& program) {
    return Measure(due, kTimerLeadMs, timeoutMs, record, device_program::FindTimerRing, [&program] {
        return program.Start(testsupport::DevicePath(device_program::kProgramDevicePath), kWakeUpWord);
    });
}

bool DismissAndEnd(DWORD timeoutMs) {
    HWND ring = device_program::FindAlarmRing();
    if (!ring) ring = device_program::FindTimerRing();
    if (ring) PostMessageW(ring, WM_COMMAND, MAKEWPARAM(kDismissCommand, 0), 0);
    return testsupport::PollUntil(timeoutMs, [] { return !device_program::EngineRuns(); });
}

double LoadAverage() {
    // The host's file system is the Z: drive under Wine.
    FILE* file = _wfopen(L"Z:\\proc\\loadavg", L"r");
    if (!file) return -1;
    double load = -1;
    if (fscanf(file, "%lf", &load) != 1) load = -1;
    fclose(file);
    return load;
}

}  // namespace ring_measure
