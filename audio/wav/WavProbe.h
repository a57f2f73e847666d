#pragma once
// What the sound-file player learns of a WAV file before choosing its codec.
#include <cstdint>

struct WavFileInfo {
    int codecId = 0;  // in the codec table: PCM WAV or GSM 6.10 WAV
    uint32_t frames = 0;
    uint64_t durationMs = 0;
    int channels = 0;
    int sampleRate = 0;
};

// True when the file is a PCM or GSM 6.10 WAV file one of our codecs can read.
bool SoundFileInfo_ProbeWav(const wchar_t* path, WavFileInfo* info);
