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
constexpr UINT kDismissCommand = 30036;

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

DWORD FirstSoundTick(int level) {
    wchar_t path[MAX_PATH];
    DWORD startTick = 0;
    std::string bytes;
    if (!DeviceControl_GetSpeakerRecording(path, MAX_PATH, &startTick) || !testsupport::ReadBytes(path, &bytes))
        return 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        short sample;
        memcpy(&sample, &bytes[i], 2);
        if (sample > level || sample < -level) return startTick + DWORD(uint64_t(i / 2) * 1000 / DEVICE_SPEAKER_RATE);
    }
    return 0;
}

RingTimes RingAt(OleDate due, DWORD timeoutMs, bool record) {
    RingTimes times;
    device_program::ClearTimeChangeNotification();
    if (record && !DeviceControl_RecordSpeaker(TRUE)) return times;
    const DWORD firstCall = DeviceControl_GetCalls(0, nullptr, 0);
    const LONGLONG toDue = static_cast<LONGLONG>((due - Time_LocalNowAsDate(true)) * 86400000.0);
    if (toDue > 500 && !DeviceControl_JumpClock(toDue - 500)) return times;
    times.due = DeviceClock_GetTickCount() +
                DWORD(static_cast<LONGLONG>((due - Time_LocalNowAsDate(true)) * 86400000.0));
    const DWORD start = GetTickCount();
    while (!times.dialog && GetTickCount() - start < timeoutMs) {
        if (device_program::FindAlarmRing()) times.dialog = DeviceClock_GetTickCount();
        else Sleep(2);
    }
    if (record) testsupport::PollUntil(timeoutMs, [&] { return (times.sound = FirstSoundTick(kLoudLevel)) != 0; });
    times.tick = LedBlinkTick(firstCall);
    return times;
}

bool DismissAndEnd(DWORD timeoutMs) {
    if (HWND ring = device_program::FindAlarmRing()) PostMessageW(ring, WM_COMMAND, MAKEWPARAM(kDismissCommand, 0), 0);
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
