#include "FilterChain.h"

void FilterChain::SetFormat(const AudioFormat& format) {
    AudioFilter::SetFormat(format);
    for (AudioFilter* filter : slots_)
        if (filter) filter->SetFormat(format);
}

void FilterChain::Stop() {
    for (AudioFilter* filter : slots_)
        if (filter) filter->Stop();
}

int FilterChain::Start() {
    for (AudioFilter* filter : slots_)
        if (filter && filter->Start() == 0) return 0;
    return 1;
}

void FilterChain::Process(int16_t*& in, uint32_t& inCount, int16_t*& out, uint32_t& outCount) {
    out = nullptr;
    outCount = 0;
    for (AudioFilter* filter : slots_) {
        if (!filter) continue;
        int16_t* second = nullptr;
        uint32_t secondCount = 0;
        filter->Process(in, inCount, second, secondCount);
        if (!out && second) {
            out = second;
            outCount = secondCount;
        }
    }
}

bool FilterChain::SetSlot(AudioFilter* filter, int slot) {
    if (slot < 0) return false;
    if (slot >= SlotCount()) slots_.resize(static_cast<size_t>(slot) + 1, nullptr);
    slots_[slot] = filter;
    return true;
}
