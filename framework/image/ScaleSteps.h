#pragma once
// What the scalers of Image and Dib share: the running source positions in 16.16 fixed
// point and the bilinear mix of one 8-bit channel.
#include <cstdint>
#include <cstdlib>

// Entry k: the fraction of position k in its low 16 bits and, in its high 16 bits, how
// many whole pixels position k lies past position k - 1. Built once per call.
struct StepTable {
    explicit StepTable(int count) : entries(static_cast<uint32_t*>(malloc((count + 1) * sizeof(uint32_t)))) {}
    ~StepTable() { free(entries); }
    StepTable(const StepTable&) = delete;
    StepTable& operator=(const StepTable&) = delete;

    void Fill(int count, uint32_t step) {
        entries[0] = 0;
        for (int k = 0; k < count; ++k) entries[k + 1] = step + (entries[k] & 0xFFFF);
    }
    uint32_t* entries;
};

// The 16.16 step that spreads span source pixels over count target pixels (truncated).
inline uint32_t Scale_Step(int span, int count) { return static_cast<uint32_t>(static_cast<int64_t>(span * 65536.0 / count)); }

// One channel between four neighbours by the fractions fx and fy (16 bits each).
inline int Bilinear(int p00, int p10, int p01, int p11, int fx, int fy) {
    const int top = (p00 + ((p10 - p00) * fx >> 16)) & 0xFF;
    const int bottom = (p01 + ((p11 - p01) * fx >> 16)) & 0xFF;
    return top + ((bottom - top) * fy >> 16);
}
