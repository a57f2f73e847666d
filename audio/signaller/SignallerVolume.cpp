#include <algorithm>

#include "DeviceAudio.h"
#include "Signaller.h"

namespace {
constexpr DWORD kChannelFull = 0xFFFF;

// One value for each channel: the left in the low word, the right in the high.
UINT SetBothChannels(int percent) {
    const DWORD channel = DWORD(percent) * kChannelFull / 100;
    return waveOutSetVolume(nullptr, channel * 0x10001);
}

int CutPercent(int percent) { return std::clamp(percent, 0, 100); }
}  // namespace

int Volume_GetPercent() {
    DWORD volume = 0;
    if (waveOutGetVolume(nullptr, &volume) != MMSYSERR_NOERROR) return 0;
    const DWORD left = volume & kChannelFull;
    return int((left * 100 + kChannelFull - 1) / kChannelFull);
}

UINT Volume_SetPercent(const Signaller& signaller, int percent) {
    const int floor = signaller.VolumeFloor();
    return SetBothChannels(std::min((100 - floor) * CutPercent(percent) / 100 + floor, 100));
}

UINT Volume_SetPercentRaw(int percent) { return SetBothChannels(CutPercent(percent)); }
