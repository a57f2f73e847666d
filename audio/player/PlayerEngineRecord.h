#pragma once
// The process's one record of whether the sound engine has been initialised for playback
// by the sound-file player, at which rate, and with which equaliser unit.
#include "aural_dsp.h"

#include <cstdint>

class PlayerEngineRecord {
public:
    static constexpr int kEqualizerPriority = 300;
    static constexpr int kMixerType = 4;
    static constexpr int kInitTries = 11;
    static constexpr DWORD kRetryMs = 100;

    PlayerEngineRecord() = default;
    // Frees the unit and closes the engine when it is initialised.
    virtual ~PlayerEngineRecord();

    bool initialised = false;
    int32_t rate = 0;
    SoundDspUnit* equalizerUnit = nullptr;

    // Frees the unit, closes the engine and clears the marks (the Signaller's end of a ring too).
    void Close();
};

// The record, made on first use.
PlayerEngineRecord& PlayerAural_GetList();
// Initialises the engine at `rate` with one channel (at most 11 tries, 100 ms apart), then
// creates the equaliser unit; nothing when already initialised at that rate.
bool PlayerAural_Init(PlayerEngineRecord& record, SoundDspCallback equalizer, int32_t rate, void* user);
