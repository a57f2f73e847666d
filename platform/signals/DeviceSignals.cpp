// The notification LEDs and the vibrator of the simulated device.
#include "DeviceSignals.h"

#include "DeviceCallLog.h"
#include "DeviceClock.h"
#include "DeviceStateStore.h"

namespace {
const wchar_t kRecordName[] = L"signals";

struct SignalsRecord {
    uint32_t ledCount;
    int32_t cycleAdjust[DEVICE_MAX_LEDS];
    int32_t ledState[DEVICE_MAX_LEDS];
    uint32_t vibrateFails;
    uint32_t vibrating;       // through Vibrate
    uint32_t vibrateEnds;     // with a time-out: the tick count when it ends
    uint32_t vibrateForever;  // no time-out
};

SignalsRecord Defaults() {
    SignalsRecord r = {};
    r.ledCount = DEVICE_DEFAULT_LED_COUNT;
    r.cycleAdjust[0] = 0;
    r.cycleAdjust[1] = NLED_VIBRATOR_CYCLE_ADJUST;
    return r;
}

SignalsRecord Load() {
    SignalsRecord r;
    if (!DeviceStateStore::Current()->Read(kRecordName, &r, sizeof r) || r.ledCount > DEVICE_MAX_LEDS) r = Defaults();
    return r;
}

template <typename Change>
bool Update(Change change) {
    return DeviceStateStore::Current()->Update(kRecordName, Defaults(), [&](SignalsRecord& r) {
        if (r.ledCount > DEVICE_MAX_LEDS) r = Defaults();
        return change(r);
    }, nullptr, DeviceStateStore::Lifetime::Running);
}

BOOL Refuse() {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
}  // namespace

HRESULT Device_Vibrate(DWORD noteCount, const VIBRATENOTE* notes, BOOL repeat, DWORD timeout) {
    HRESULT result = E_NOTIMPL;
    if ((noteCount == 0) == (notes == nullptr))
        Update([&](SignalsRecord& r) {
            if (r.vibrateFails) return false;
            r.vibrating = 1;
            r.vibrateForever = timeout == INFINITE;
            r.vibrateEnds = DeviceClock_GetTickCount() + timeout;
            result = S_OK;
            return true;
        });
    else
        result = E_INVALIDARG;
    DeviceCallLog::Add(DEVICE_CALL_VIBRATE, LONG(noteCount), repeat, result);
    return result;
}

HRESULT Device_VibrateStop(void) {
    Update([](SignalsRecord& r) {
        r.vibrating = 0;
        return true;
    });
    DeviceCallLog::Add(DEVICE_CALL_VIBRATE_STOP);
    return S_OK;
}

BOOL Device_NLedGetDeviceInfo(UINT infoId, void* output) {
    if (!output) return Refuse();
    const SignalsRecord r = Load();
    if (infoId == NLED_COUNT_INFO_ID) {
        static_cast<NLED_COUNT_INFO*>(output)->cLeds = r.ledCount;
        return TRUE;
    }
    if (infoId != NLED_SUPPORTS_INFO_ID) return Refuse();
    auto* supports = static_cast<NLED_SUPPORTS_INFO*>(output);
    const UINT led = supports->LedNum;
    if (led >= r.ledCount) return Refuse();
    *supports = NLED_SUPPORTS_INFO{};
    supports->LedNum = led;
    supports->lCycleAdjust = r.cycleAdjust[led];
    // Real LEDs can blink with set times; the vibrator only goes on and off.
    const BOOL adjustable = r.cycleAdjust[led] >= 0;
    supports->fAdjustTotalCycleTime = supports->fAdjustOnTime = supports->fAdjustOffTime = adjustable;
    return TRUE;
}

BOOL Device_NLedSetDevice(UINT infoId, void* input) {
    auto* settings = static_cast<NLED_SETTINGS_INFO*>(input);
    BOOL ok = FALSE;
    if (infoId == NLED_SETTINGS_INFO_ID && settings && settings->OffOnBlink >= NLED_OFF &&
        settings->OffOnBlink <= NLED_BLINK)
        Update([&](SignalsRecord& r) {
            if (settings->LedNum >= r.ledCount) return false;
            r.ledState[settings->LedNum] = settings->OffOnBlink;
            ok = TRUE;
            return true;
        });
    DeviceCallLog::Add(DEVICE_CALL_LED, settings ? LONG(settings->LedNum) : -1, settings ? settings->OffOnBlink : -1,
                       ok);
    return ok ? TRUE : Refuse();
}

BOOL DeviceControl_SetLeds(DWORD count, const LONG* cycleAdjusts) {
    if (count > DEVICE_MAX_LEDS || (count && !cycleAdjusts)) return Refuse();
    return Update([&](SignalsRecord& r) {
        r.ledCount = count;
        for (DWORD i = 0; i < DEVICE_MAX_LEDS; ++i) {
            r.cycleAdjust[i] = i < count ? cycleAdjusts[i] : 0;
            r.ledState[i] = NLED_OFF;
        }
        return true;
    });
}

LONG DeviceControl_GetLedState(DWORD led) {
    const SignalsRecord r = Load();
    return led < r.ledCount ? r.ledState[led] : -1;
}

BOOL DeviceControl_SetVibrateWorks(BOOL works) {
    return Update([&](SignalsRecord& r) {
        r.vibrateFails = !works;
        return true;
    });
}

BOOL DeviceControl_IsVibrating(void) {
    const SignalsRecord r = Load();
    if (!r.vibrating) return FALSE;
    return r.vibrateForever || LONG(DeviceClock_GetTickCount() - r.vibrateEnds) < 0;
}
