#include "DeviceModelQuirks.h"

#include <cwchar>

#include "DeviceModel.h"

namespace {
const wchar_t kLooxPrefix[] = L"FUJITSU SIEMENS COMPUTERS Pocket LOOX";
constexpr int kLooxVolumeFloor = 20;
const wchar_t* const kSamsungLedModels[] = {L"SCH-M480", L"SGH-i780"};
constexpr UINT kSamsungVibrator = 10;
const wchar_t kSamsungI9Prefix[] = L"SGH-i9";
constexpr UINT kSamsungI9Vibrator = 11;
// The OEM text buffer: 520 bytes.
constexpr UINT kOemInfoChars = 260;

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return _wcsnicmp(text.c_str(), prefix, wcslen(prefix)) == 0;
}
}  // namespace

std::wstring DeviceModelQuirks::OemText() {
    wchar_t text[kOemInfoChars] = {};
    if (!SystemParametersInfoW(SPI_GETOEMINFO, sizeof text, text, 0)) return std::wstring();
    text[kOemInfoChars - 1] = 0;
    return text;
}

int DeviceModelQuirks::VolumeFloor(const std::wstring& oemText) {
    return StartsWith(oemText, kLooxPrefix) ? kLooxVolumeFloor : 0;
}

DeviceModelQuirks::LedQuirk DeviceModelQuirks::LedQuirkOf(const std::wstring& oemText) {
    LedQuirk quirk;
    for (const wchar_t* model : kSamsungLedModels) {
        if (_wcsicmp(oemText.c_str(), model) != 0) continue;
        quirk.fixesLed = quirk.fixesVibrator = true;
        quirk.ledIndex = 0;
        quirk.vibratorIndex = kSamsungVibrator;
        return quirk;
    }
    if (StartsWith(oemText, kSamsungI9Prefix)) {
        quirk.fixesVibrator = true;
        quirk.vibratorIndex = kSamsungI9Vibrator;
    }
    return quirk;
}
