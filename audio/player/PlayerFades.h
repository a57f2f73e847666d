#pragma once
// The player's fade-in and fade-out, applied to each block on its way to the engine in
// 8.16 fixed point per frame. Both channels of a frame take the same gain.
#include <cstdint>

struct FadeFrames {
    int32_t fadeIn = 0;   // frames from the start
    int32_t fadeOut = 0;  // frames before the end
    int32_t total = 0;    // frames of the whole file
};

// `block` holds `frames` frames of 16-bit PCM (what every codec delivers) that begin at frame `first`.
void PlayerFades_Apply(void* block, int32_t frames, int channels, int32_t first, const FadeFrames& fades);
