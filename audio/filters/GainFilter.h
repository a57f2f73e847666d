#pragma once
// The recorder's level filter, run on the capture thread over every captured block: it
// measures the levels the recorder dialog shows, applies the gain and, with the voice
// activator on, cuts pauses longer than the hold time.
#include "AudioFilter.h"

#include <cstdint>

class GainFilter : public AudioFilter {
public:
    static constexpr int32_t kUnity = 1024;  // multiplier of x1
    static constexpr int32_t kDefaultThreshold = 50;
    static constexpr int32_t kDefaultHold = 333;
    // Threshold percent to sample units.
    static constexpr int32_t kThresholdStep = 327;
    static constexpr int32_t kMaxThreshold = 100;

    using LevelNotification = void (*)();

    // Levels, hold percentage, the count of kept frames; the quiet-frame counter carries
    // over between blocks and recordings, so a pause that began in an earlier block goes
    // on being cut.
    void Process(int16_t*& in, uint32_t& inCount, int16_t*& out, uint32_t& outCount) override;

    bool gainOn = false;
    int32_t multiplier = kUnity;
    bool voiceActivatorOn = false;
    int32_t threshold = kDefaultThreshold;  // percent of full scale, 0..100 (others clamped)
    int32_t hold = kDefaultHold;            // in 1/1024 s; negative turns the activator off
    uint32_t quietFrames = 0;
    // Read by the recorder dialog after every block: max - min of each channel's input
    // samples, and how much of the hold time is left, in percent.
    int32_t level1 = 0;
    int32_t level2 = 0;
    int32_t holdPercent = 100;
    LevelNotification levelNotification = nullptr;

private:
    void MeasureLevels(const int16_t* samples, uint32_t frames);
};
