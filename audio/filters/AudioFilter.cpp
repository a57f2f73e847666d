#include "AudioFilter.h"

void AudioFilter::Process(int16_t*&, uint32_t&, int16_t*& out, uint32_t& outCount) {
    out = nullptr;
    outCount = 0;
}
