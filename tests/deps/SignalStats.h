#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Measures of a decoded mono signal (samples in -1..1), used to check that a
// decoder produced the tone that was encoded.
class SignalStats {
public:
    static double Rms(const std::vector<double>& samples, size_t begin, size_t end);
    // From the rising crossings; a small dead band keeps codec noise near zero
    // from counting as crossings.
    static double FrequencyHz(const std::vector<double>& samples, size_t begin, size_t end, int sampleRate);
    // The samples of a 16-bit PCM mono WAV file; empty when it is not one.
    static std::vector<double> WavSamples(const std::vector<std::uint8_t>& wav);
    static double FromPcm16(std::int16_t sample) { return sample / 32768.0; }
};
