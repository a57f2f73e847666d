#pragma once
// The recorder's front end: the global operations through which the recorder dialog
// starts the recorder, records into a file, stops, and loads and saves the settings.
// It owns the filters, the one engine and the codec of the current recording.
#include <cstdint>

class DenoiseFilter;
class FilterChain;
class GainFilter;
class OscilloscopeFilter;
class RecorderEngine;
class SilenceFilter;

constexpr wchar_t kRecorderKeyPath[] = L"Software\\Ostrel\\Orvalen\\Recorder";
// The largest recording: what the 32-bit sizes of a WAV header and the FAT file system
// hold (4 GiB - 1), less room for what a codec writes at its close. A recording that
// reaches it ends as one that has no room left.
constexpr int64_t kRecorderMaxFileBytes = 0xFFFFFFFFll - (1 << 20);

// Moves the settings to the recorder's key, makes the filters and the engine, loads the
// settings and selects the input device. The engine's start result.
int Recorder_Init();
// Saves nothing; stops a running recording and destroys the engine, the codec and the
// filters (the recorder dialog's close).
void Recorder_Shutdown();
// Records into the named file (a device path) with the codec its name asks for (see
// Recorder_CodecFor). The capture must be open (RecorderEngine::OpenCapture).
int Recorder_StartRecording(const wchar_t* fileName);
// The codec a recording into the file gets: ".mp3" is MP3, ".wav" the settings' WAV
// codec (PCM unless they name GSM 6.10); any other name the settings' codec.
int Recorder_CodecFor(const wchar_t* fileName, int settingsCodecId);
// Stops the recording and waits until the capture has closed and the file is written
// (while the card keeps taking it); 18 when idle.
int Recorder_Stop();
// The engine, null outside Recorder_Init .. Recorder_Shutdown.
RecorderEngine* Recorder_Engine();
// Whether the WMA decoder was found at Recorder_Init.
bool Recorder_WmaAvailable();

// The filters the settings fill (null outside Recorder_Init .. Recorder_Shutdown).
struct RecorderFilters {
    FilterChain* chain = nullptr;
    DenoiseFilter* denoise = nullptr;
    SilenceFilter* silence = nullptr;
    OscilloscopeFilter* oscilloscope = nullptr;
    GainFilter* gain = nullptr;
};
RecorderFilters& Recorder_Filters();

// Every registry value of the recorder under the settings' key, filters included.
void RecorderSettings_Load();
void Recorder_SaveSettings();
