#include "PlayerEngineRecord.h"

#include "aural.h"

#include <windows.h>

PlayerEngineRecord::~PlayerEngineRecord() { Close(); }

void PlayerEngineRecord::Close() {
    if (!initialised) return;
    if (equalizerUnit) AuralDsp_Free(equalizerUnit);
    equalizerUnit = nullptr;
    Aural_Close();
    initialised = false;
}

PlayerEngineRecord& PlayerAural_GetList() {
    static PlayerEngineRecord record;
    return record;
}

bool PlayerAural_Init(PlayerEngineRecord& record, SoundDspCallback equalizer, int32_t rate, void* user) {
    if (record.initialised) {
        if (record.rate == rate) return true;
        record.Close();
    }
    if (!SoundEngine.initialised) SoundEngine.mixerType = PlayerEngineRecord::kMixerType;
    bool started = false;
    for (int attempt = 0; attempt < PlayerEngineRecord::kInitTries && !started; ++attempt) {
        if (attempt > 0) Sleep(PlayerEngineRecord::kRetryMs);
        SoundError = kSoundErrNone;
        started = Aural_Init(rate, 1) != FALSE;
    }
    record.initialised = started;
    record.rate = rate;
    if (!started) return false;
    record.equalizerUnit = AuralDsp_Create(equalizer, PlayerEngineRecord::kEqualizerPriority, user);
    return true;
}
