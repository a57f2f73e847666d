#include "SharedSoundPlayer.h"

#include <atomic>

#include "SoundPlayer.h"

namespace {
std::atomic<SoundPlayer*> player{nullptr};
bool made = false;
}  // namespace

SoundPlayer* SharedSoundPlayer::Get() { return player; }

SoundPlayer* SharedSoundPlayer::GetOrCreate() {
    if (!made) {
        made = true;
        player = new SoundPlayer;
    }
    return player;
}

void SharedSoundPlayer::Destroy() { delete player.exchange(nullptr); }
