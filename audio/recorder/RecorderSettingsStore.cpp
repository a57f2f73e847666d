// Loading and saving the recorder's settings and its filters' options. Every value is
// REG_BINARY of a fixed size; a value that is missing or shorter keeps the default.
#include "DenoiseFilter.h"
#include "FilterChain.h"
#include "GainFilter.h"
#include "OscilloscopeFilter.h"
#include "Recorder.h"
#include "RecorderSettings.h"
#include "SilenceFilter.h"

#include <cstdint>
#include <vector>

namespace {
constexpr wchar_t kFiltersCountValue[] = L"FiltersCount";
constexpr wchar_t kFiltersValue[] = L"Filters";
constexpr wchar_t kMultiplierValue[] = L"FilterMultiplier";
constexpr wchar_t kSilenceValue[] = L"FilterSilence";
constexpr wchar_t kOscilloscopeValue[] = L"FilterOcsilloscope";
constexpr wchar_t kVoiceActivatorValue[] = L"FilterVoiceActivator";
constexpr wchar_t kDenoiseValue[] = L"FilterDenoise";
// Three filter slots and the two gain flags: a longer list is damaged.
constexpr int kMaxFilterEntries = 5;
constexpr int32_t kGainOnEntry = -1;
constexpr int32_t kVoiceActivatorEntry = -2;
constexpr int kFilterSlots = 3;
constexpr int32_t kLayoutVersion = 3;

// "FilterVoiceActivator": 8 bytes.
struct VoiceActivatorValue {
    int32_t threshold;
    int32_t hold;
};

// True when the value was read whole; the record is unchanged otherwise.
template <typename Record>
bool ReadValue(HKEY key, const wchar_t* name, Record& record) {
    Record read;
    DWORD size = sizeof read, type = 0;
    if (!key || RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&read), &size) != ERROR_SUCCESS ||
        size != sizeof read)
        return false;
    record = read;
    return true;
}

void WriteBytes(HKEY key, const wchar_t* name, const void* bytes, DWORD size) {
    if (key) RegSetValueExW(key, name, 0, REG_BINARY, static_cast<const BYTE*>(bytes), size);
}

template <typename Record>
void WriteValue(HKEY key, const wchar_t* name, const Record& record) {
    WriteBytes(key, name, &record, sizeof record);
}

void LoadEqualizer(EqualizerSettings& equalizer, HKEY key) {
    equalizer.on = 0;
    ReadValue(key, EqualizerSettings::kOnValue, equalizer.on);
    for (int band = 0; band < EqualizerSettings::kBands; ++band) {
        equalizer.gains[band] = 0;
        ReadValue(key, EqualizerSettings::kBandValues[band], equalizer.gains[band]);
    }
}

void SaveEqualizer(const EqualizerSettings& equalizer, HKEY key) {
    WriteValue(key, EqualizerSettings::kOnValue, equalizer.on);
    for (int band = 0; band < EqualizerSettings::kBands; ++band)
        WriteValue(key, EqualizerSettings::kBandValues[band], equalizer.gains[band]);
}

// The stored filter list, at most five entries and never more than the bytes read.
std::vector<int32_t> ReadFilterList(HKEY key) {
    std::vector<int32_t> entries;
    int32_t count = 0;
    if (!ReadValue(key, kFiltersCountValue, count) || count == 0) return entries;
    int32_t stored[kMaxFilterEntries] = {};
    DWORD size = sizeof stored, type = 0;
    LONG result = RegQueryValueExW(key, kFiltersValue, nullptr, &type, reinterpret_cast<BYTE*>(stored), &size);
    if (result == ERROR_MORE_DATA) {
        // A longer list is read whole and cut to its first five entries.
        std::vector<int32_t> all((size + 3) / 4);
        size = static_cast<DWORD>(all.size() * 4);
        result = RegQueryValueExW(key, kFiltersValue, nullptr, &type, reinterpret_cast<BYTE*>(all.data()), &size);
        if (result == ERROR_SUCCESS)
            for (int i = 0; i < kMaxFilterEntries; ++i) stored[i] = all[static_cast<size_t>(i)];
        size = sizeof stored;
    }
    if (result != ERROR_SUCCESS) return entries;
    int read = static_cast<int>(size / 4);
    if (count > 0 && read > count) read = count;
    entries.assign(stored, stored + (read < kMaxFilterEntries ? read : kMaxFilterEntries));
    return entries;
}

void LoadFilters(const RecorderSettings& settings, HKEY key) {
    RecorderFilters& filters = Recorder_Filters();
    if (!filters.chain) return;
    filters.chain->Clear();
    if (settings.version > 0) {
        for (int32_t entry : ReadFilterList(key)) {
            if (entry == kGainOnEntry) {
                filters.gain->gainOn = true;
            } else if (entry == kVoiceActivatorEntry) {
                filters.gain->voiceActivatorOn = true;
            } else if (entry >= 0 && entry < kFilterSlots) {
                AudioFilter* const slots[kFilterSlots] = {filters.denoise, filters.silence, filters.oscilloscope};
                filters.chain->SetSlot(slots[entry], entry);
            }
            // Other entries name no filter of this recorder.
        }
    }
    ReadValue(key, kMultiplierValue, filters.gain->multiplier);
    ReadValue(key, kSilenceValue, filters.silence->silenceNumber);
    int32_t ringLength = 0;
    if (ReadValue(key, kOscilloscopeValue, ringLength)) filters.oscilloscope->Resize(ringLength);
    VoiceActivatorValue voiceActivator = {};
    if (ReadValue(key, kVoiceActivatorValue, voiceActivator)) {
        filters.gain->threshold = voiceActivator.threshold;
        filters.gain->hold = voiceActivator.hold;
    }
    int32_t denoise = 0;
    if (ReadValue(key, kDenoiseValue, denoise)) filters.denoise->denoise = denoise != 0;
}

void SaveFilters(HKEY key) {
    const RecorderFilters& filters = Recorder_Filters();
    if (!filters.chain) return;
    std::vector<int32_t> list;
    if (filters.gain->gainOn) list.push_back(kGainOnEntry);
    if (filters.gain->voiceActivatorOn) list.push_back(kVoiceActivatorEntry);
    for (int slot = 0; slot < kFilterSlots; ++slot)
        if (filters.chain->Slot(slot)) list.push_back(slot);
    const int32_t count = static_cast<int32_t>(list.size());
    WriteValue(key, kFiltersCountValue, count);
    WriteBytes(key, kFiltersValue, list.data(), static_cast<DWORD>(list.size() * 4));
    WriteValue(key, kMultiplierValue, filters.gain->multiplier);
    WriteValue(key, kSilenceValue, filters.silence->silenceNumber);
    WriteValue(key, kOscilloscopeValue, filters.oscilloscope->Length());
    const VoiceActivatorValue voiceActivator = {filters.gain->threshold, filters.gain->hold};
    WriteValue(key, kVoiceActivatorValue, voiceActivator);
    const int32_t denoise = filters.denoise->denoise ? 1 : 0;
    WriteValue(key, kDenoiseValue, denoise);
}
}  // namespace

void RecorderSettings_Load() {
    RecorderSettings& settings = RecorderSettings_Global();
    const HKEY key = settings.key ? settings.key->Handle() : nullptr;
    settings.version = -1;
    ReadValue(key, RecorderSettings::kVersionValue, settings.version);
    settings.outputFormat = RecorderOutputFormat();
    ReadValue(key, RecorderSettings::kOutputFormatValue, settings.outputFormat);
    int32_t device = 0;
    if (ReadValue(key, RecorderSettings::kInputDeviceValue, device)) {
        settings.inputDevice = device;
        settings.capture = RecorderCaptureSetting();
        ReadValue(key, RecorderSettings::kCaptureSettingValue, settings.capture);
    }
    settings.codecId = 0;
    ReadValue(key, RecorderSettings::kCodecValue, settings.codecId);
    if (settings.version > 2) ReadValue(key, RecorderSettings::kMp3CodecValue, settings.mp3);
    LoadEqualizer(settings.equalizer, key);
    settings.playback = PlaybackSettings();
    ReadValue(key, RecorderSettings::kPlaybackValue, settings.playback);
    LoadFilters(settings, key);
}

void Recorder_SaveSettings() {
    const RecorderSettings& settings = RecorderSettings_Global();
    const HKEY key = settings.key ? settings.key->Handle() : nullptr;
    WriteValue(key, RecorderSettings::kVersionValue, kLayoutVersion);
    WriteValue(key, RecorderSettings::kOutputFormatValue, settings.outputFormat);
    WriteValue(key, RecorderSettings::kCodecValue, settings.codecId);
    WriteValue(key, RecorderSettings::kMp3CodecValue, settings.mp3);
    SaveEqualizer(settings.equalizer, key);
    WriteValue(key, RecorderSettings::kInputDeviceValue, settings.inputDevice);
    WriteValue(key, RecorderSettings::kCaptureSettingValue, settings.capture);
    WriteValue(key, RecorderSettings::kPlaybackValue, settings.playback);
    SaveFilters(key);
}
