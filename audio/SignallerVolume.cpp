#include "Signaller.h"

#include "DeviceAudio.h"

UINT Volume_SetPercent(const Signaller& signaller, int percent) {
    const int p = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
    const int floor = signaller.VolumeFloor();
    int volume = (100 - floor) * p / 100 + floor;
    if (volume > 100) volume = 100;
    const DWORD channel = static_cast<DWORD>(volume) * 0xFFFF / 100;
    // One value for each channel: the left in the low word, the right in the high.
    return waveOutSetVolume(nullptr, channel * 0x10001);
}

int Volume_GetPercent() {
    DWORD volume = 0;
    if (waveOutGetVolume(nullptr, &volume) != MMSYSERR_NOERROR) return 0;
    return static_cast<int>(((volume & 0xFFFF) * 100 + 0xFFFE) / 0xFFFF);
}

void Led_SetState(UINT, int) {}
