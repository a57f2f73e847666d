#pragma once
// The sound-file player rendered through the engine's non-realtime output: a DSP unit
// after the equaliser keeps every mixed frame (left and right, 32-bit slots).
#include "CodecFixtures.h"
#include "PlayerEngineRecord.h"
#include "RecorderSettings.h"
#include "SoundPlayer.h"

#include "aural.h"
#include "aural_dsp.h"

#include <cstdint>
#include <string>
#include <vector>

namespace playertest {

constexpr double kPi = 3.14159265358979323846;

inline std::wstring Fixture(const std::wstring& name) { return std::wstring(CodecFixtures::kDirectory) + name; }

struct Capture {
    static constexpr int kPriority = 999;
    std::vector<int32_t> left, right;
    SoundDspUnit* unit = nullptr;

    void Install() {
        unit = AuralDsp_Create(Callback, kPriority, this);
        if (unit) unit->active = 1;
    }
    static void* Callback(void* block, void* previous, int frames, void* user) {
        auto* self = static_cast<Capture*>(user);
        const auto* slots = static_cast<const int32_t*>(previous ? previous : block);
        for (int f = 0; f < frames; ++f) {
            self->left.push_back(slots[2 * f]);
            self->right.push_back(slots[2 * f + 1]);
        }
        return previous;
    }
};

inline void UsePlayback(int rate, int fadeInMs = 0, int fadeOutMs = 0) {
    PlaybackSettings& playback = RecorderSettings_Global().playback;
    playback = PlaybackSettings();
    playback.sampleRate = rate;
    playback.fadeInMs = fadeInMs;
    playback.fadeOutMs = fadeOutMs;
}

// Renders until the player's stream has ended (or maxBlocks engine blocks have mixed).
inline void RenderToEnd(SoundPlayer& player, int maxBlocks = 20000) {
    for (int block = 0; block < maxBlocks && player.GetState() == SoundPlayer::kPlaying; ++block) Aural_Update();
    // The mixer's last blocks still hold the stream's tail.
    for (int block = 0; block < 20; ++block) Aural_Update();
}

// Loads and starts a file on a non-realtime engine with a capture unit after the equaliser.
inline bool StartRendered(SoundPlayer& player, const std::wstring& path, Capture* capture) {
    Aural_SetOutput(kSoundOutputNonRealtime);
    if (!player.Load(path.c_str()) || !player.InitOutput()) return false;
    capture->Install();
    return capture->unit && player.Start();
}

// The first frame at which the left output is no longer silent.
inline size_t FirstSound(const std::vector<int32_t>& samples) {
    size_t i = 0;
    while (i < samples.size() && samples[i] == 0) ++i;
    return i;
}

}  // namespace playertest
