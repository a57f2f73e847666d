#include "RecorderSettings.h"

const wchar_t* const EqualizerSettings::kBandValues[kBands] = {
    L"Equalizer32",   L"Equalizer63",   L"Equalizer125",  L"Equalizer250",  L"Equalizer500",
    L"Equalizer1000", L"Equalizer2000", L"Equalizer4000", L"Equalizer8000", L"Equalizer16000"};

RecorderSettings::RecorderSettings(const wchar_t* keyPath) : key(std::make_unique<RegKey>(keyPath)) {}

namespace {
// RecorderSettings_InitGlobal: runs before the program's entry point.
RecorderSettings theRecorderSettings;
}  // namespace

RecorderSettings& RecorderSettings_Global() { return theRecorderSettings; }
