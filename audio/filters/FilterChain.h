#pragma once
// Runs the filters of its slots in slot order; empty slots are skipped. The chain does not
// own its filters.
#include "AudioFilter.h"

#include <vector>

class FilterChain : public AudioFilter {
public:
    void SetFormat(const AudioFormat& format) override;
    void Stop() override;
    // Every filled slot over the same block. The first second buffer a filter hands back
    // is the chain's (no filter of the recorder makes one).
    void Process(int16_t*& in, uint32_t& inCount, int16_t*& out, uint32_t& outCount) override;
    // Stops at the first filter that answers 0, and answers 0.
    int Start() override;

    // Grows the chain with empty slots up to `slot` and puts the filter there (null empties
    // it); false for a negative slot.
    bool SetSlot(AudioFilter* filter, int slot);
    // No slots at all.
    void Clear() { slots_.clear(); }
    int SlotCount() const { return static_cast<int>(slots_.size()); }
    AudioFilter* Slot(int slot) const { return slot >= 0 && slot < SlotCount() ? slots_[slot] : nullptr; }

private:
    std::vector<AudioFilter*> slots_;
};
