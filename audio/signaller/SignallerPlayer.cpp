// The player route: a "wma" file that the shell's sound player does not take plays
// through the program's sound-file player, which decodes it itself.
#include "PlayerEngineRecord.h"
#include "SharedSoundPlayer.h"
#include "Signaller.h"
#include "SoundPlayer.h"
#include "aural.h"

namespace {
constexpr int kFullVolume = 255;

void OnPlayerEnd(void* finish, int status) {
    if (status == 0) SetEvent(static_cast<HANDLE>(finish));
}
}  // namespace

bool Signaller::OpenPlayerSound() {
    const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    SoundPlayer* player = SharedSoundPlayer::Get();
    if (!player) {
        // Made once per run: after the recorder dialog destroyed it, the engine stream takes the file.
        if (!(player = SharedSoundPlayer::GetOrCreate())) {
            SetCursor(previous);
            return false;
        }
        Aural_SetMasterVolume(kFullVolume);
    }
    if (!player->Load(current_.custom.CStr())) {
        SetCursor(previous);
        return false;
    }
    player->SetFinishedCallback(OnPlayerEnd, finish_);
    route_ = Route::Player;
    playerRing_ = true;
    rampByDeviceVolume_ = true;
    player->SetVolume(kFullVolume);
    if (player->GetState() == SoundPlayer::kPlaying) player->UpdateVolume();
    Volume_SetPercent(*this, RouteStartVolume());
    player->InitOutput();
    SetCursor(previous);
    return true;
}

void Signaller::PlayPlayerSound() {
    SoundPlayer* player = SharedSoundPlayer::Get();
    // A play that cannot start ends at once: the ring would otherwise wait for an end
    // that never comes.
    if (!player || !player->StartIfIdle()) SetEvent(finish_);
}

void Signaller::ClosePlayerSound() {
    if (SoundPlayer* player = SharedSoundPlayer::Get()) player->RequestStop();
    playerRing_ = false;
}

bool Signaller::PlayerIsPlaying() const {
    if (playerRing_) return true;
    SoundPlayer* player = SharedSoundPlayer::Get();
    return player && player->GetState() == SoundPlayer::kPlaying;
}

void Signaller::ClosePlayerEngine() { PlayerAural_GetList().Close(); }

void Signaller::DestroyPlayer() { SharedSoundPlayer::Destroy(); }
