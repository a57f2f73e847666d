#pragma once
// The one process-wide record of the recorder's and the sound-file player's settings.
// A static initialiser gives it its defaults and opens its first key before the program's
// entry point; the recorder later moves it to its own key and loads and saves it; the
// player and the WAV writer only read it.
#include "Mp3CodecSettings.h"
#include "RegKey.h"

#include <cstdint>
#include <memory>

// "OutputFormat": stored and restored only.
struct RecorderOutputFormat {
    int32_t sampleRate = 44100;
    int32_t channels = 2;
    int32_t bitsPerSample = 16;
};
static_assert(sizeof(RecorderOutputFormat) == 12, "\"OutputFormat\" is 12 bytes");

// "WaveInDevicesSettingsSetting"; the first number is kept with the record and not used.
struct RecorderCaptureSetting {
    int32_t number = 300;
    int32_t sampleRate = 44100;
    int32_t channels = 2;
    int32_t bitsPerSample = 16;
};
static_assert(sizeof(RecorderCaptureSetting) == 16, "\"WaveInDevicesSettingsSetting\" is 16 bytes");

// "Playback": the player's fades, stream buffer and output rate.
struct PlaybackSettings {
    int32_t fadeInMs = 0;
    int32_t fadeOutMs = 0;
    int32_t streamBufferMs = 400;
    int32_t sampleRate = 44100;
};
static_assert(sizeof(PlaybackSettings) == 16, "\"Playback\" is 16 bytes");

struct EqualizerSettings {
    static constexpr int kBands = 10;
    static constexpr int kBandHz[kBands] = {32, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    static constexpr wchar_t kOnValue[] = L"EqualizerOn";
    // "Equalizer32" ... "Equalizer16000", in band order.
    static const wchar_t* const kBandValues[kBands];

    int32_t on = 0;
    int32_t gains[kBands] = {};  // nominally -255..+255, 0 neutral
};

class RecorderSettings {
public:
    static constexpr wchar_t kFirstKeyPath[] = L"Software\\Quobalt";
    static constexpr wchar_t kVersionValue[] = L"VERSION";
    static constexpr wchar_t kOutputFormatValue[] = L"OutputFormat";
    static constexpr wchar_t kCaptureSettingValue[] = L"WaveInDevicesSettingsSetting";
    static constexpr wchar_t kInputDeviceValue[] = L"WaveInDevicesSettingsActive";
    static constexpr wchar_t kCodecValue[] = L"WaveInCodec";
    static constexpr wchar_t kMp3CodecValue[] = L"MP3Codec";
    static constexpr wchar_t kPlaybackValue[] = L"Playback";

    // The defaults, with the key at keyPath under HKEY_CURRENT_USER opened or created.
    explicit RecorderSettings(const wchar_t* keyPath = kFirstKeyPath);
    RecorderSettings(const RecorderSettings&) = delete;
    RecorderSettings& operator=(const RecorderSettings&) = delete;

    int32_t version = 0;  // layout version read from the registry (-1 when missing)
    RecorderOutputFormat outputFormat;
    RecorderCaptureSetting capture;
    int32_t inputDevice = -1;  // -1: none chosen
    int32_t codecId = 0;       // in the codec table
    Mp3CodecSettings mp3;
    EqualizerSettings equalizer;
    PlaybackSettings playback;
    // Set when a capture opens with 8 bits per sample; the PCM WAV writer then writes 8 bits.
    bool capture8Bit = false;
    std::unique_ptr<RegKey> key;
};

// The process-wide record.
RecorderSettings& RecorderSettings_Global();
