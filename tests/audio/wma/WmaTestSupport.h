#pragma once
// ffmpeg's WMA files, their ffprobe facts and ffmpeg's decoding, shared by the WMA tests.
#include "CodecFixtures.h"
#include "TestSupport.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace wmatest {

struct Fixture {
    const wchar_t* name;
    uint16_t tag;  // 0x160 wmav1, 0x161 wmav2
};

inline const std::vector<Fixture>& Fixtures() {
    static const std::vector<Fixture> all = {
        {L"wmav1_1_22050", 0x160}, {L"wmav1_1_44100", 0x160}, {L"wmav1_2_22050", 0x160}, {L"wmav1_2_44100", 0x160},
        {L"wmav2_1_22050", 0x161}, {L"wmav2_1_44100", 0x161}, {L"wmav2_2_22050", 0x161}, {L"wmav2_2_44100", 0x161}};
    return all;
}

inline std::wstring Path(const std::wstring& name, const wchar_t* extension) {
    return std::wstring(CodecFixtures::kDirectory) + name + extension;
}

inline std::string Bytes(const std::wstring& path) {
    std::string bytes;
    testsupport::ReadBytes(path, &bytes);
    return bytes;
}

// Where the audio stream's WAVEFORMATEX starts in one of ffmpeg's files: behind its error
// correction type (audio spread), time offset, two lengths, flags and reserved bytes.
inline size_t WaveFormatAt(const std::string& file) {
    const char spreadGuid[] = "\x50\xcd\xc3\xbf\x8f\x61\xcf\x11\x8b\xb2\x00\xaa\x00\xb4\xe2\x20";
    const size_t at = file.find(std::string(spreadGuid, 16));
    return at == std::string::npos ? at : at + 16 + 8 + 4 + 4 + 2 + 4;
}

struct Facts {
    int rate = 0, channels = 0, durationMs = 0, objects = 0;
};

inline Facts ProbeFacts(const std::wstring& name) {
    Facts facts;
    sscanf(Bytes(Path(name, L".facts")).c_str(), "%d %d %d %d", &facts.rate, &facts.channels, &facts.durationMs,
           &facts.objects);
    return facts;
}

inline std::vector<int16_t> Samples(const std::string& bytes) {
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) | static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    return samples;
}

// RMS of (test - reference) over the frames both hold, with the test taken `lag` frames
// later (negative: earlier), relative to full scale, in dB.
inline double DifferenceDb(const std::vector<int16_t>& reference, const std::vector<int16_t>& test, int channels, int lag) {
    double sum = 0;
    size_t count = 0;
    const long frames = static_cast<long>(std::min(reference.size(), test.size()) / channels);
    for (long f = 0; f < frames; ++f) {
        const long t = f + lag;
        if (t < 0 || static_cast<size_t>((t + 1) * channels) > test.size()) continue;
        for (int c = 0; c < channels; ++c) {
            const double d = double(test[t * channels + c]) - reference[f * channels + c];
            sum += d * d;
            ++count;
        }
    }
    if (count == 0) return 0;
    const double rms = std::sqrt(sum / double(count));
    return 20 * std::log10(std::max(rms, 1e-3) / 32768.0);
}

}  // namespace wmatest
