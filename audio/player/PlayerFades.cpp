#include "PlayerFades.h"

#include <algorithm>

namespace {
constexpr int32_t kUnity = 0xFF0000;

void Scale(void* block, int32_t frame, int channels, int32_t gain) {
    const int32_t g = gain >> 16;
    auto* s = static_cast<int16_t*>(block) + frame * channels;
    for (int c = 0; c < channels; ++c) s[c] = static_cast<int16_t>(s[c] * g >> 8);
}
}  // namespace

void PlayerFades_Apply(void* block, int32_t frames, int channels, int32_t first, const FadeFrames& fades) {
    if (fades.fadeIn > 0 && first < fades.fadeIn) {
        // In 64 bits: a fade of more than 2^23 frames (3 min at 44100 Hz) would overflow.
        int32_t gain = static_cast<int32_t>((static_cast<int64_t>(first) << 8) / fades.fadeIn) << 16;
        const int32_t step = kUnity / fades.fadeIn;
        const int32_t end = std::min(fades.fadeIn, first + frames);
        for (int32_t f = first; f < end; ++f) {
            Scale(block, f - first, channels, gain);
            gain = std::min(gain + step, kUnity);
        }
    }
    const int32_t fadeStart = fades.total - fades.fadeOut;
    if (fades.fadeOut > 0 && fadeStart < first + frames) {
        const int32_t start = std::max(first, fadeStart);
        // Files may deliver more frames than their header counts (WMA does): past the
        // counted end the gain stays 0.
        const int64_t left = std::max<int64_t>(static_cast<int64_t>(fades.total) - start, 0);
        int32_t gain = static_cast<int32_t>((left << 8) / fades.fadeOut) << 16;
        const int32_t step = kUnity / fades.fadeOut;
        for (int32_t f = start; f < first + frames; ++f) {
            Scale(block, f - first, channels, gain);
            gain = std::max(gain - step, 0);
        }
    }
}
