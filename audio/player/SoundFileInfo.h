#pragma once
// What the sound-file player learnt of a file when it chose its decoder.
#include <cstdint>
#include <string>

struct SoundFileInfo {
    std::wstring name;
    // The WMA probe puts the title in the first, the author in the second and the
    // description in the fourth; the others stay empty.
    std::wstring texts[5];
    long fileSize = 0;
    bool recognised = false;
    bool isWma = false;
    int32_t wmaRate = 0, wmaChannels = 0;
    int64_t wmaDurationMs = 0;
    bool isWav = false;
    int wavCodecId = 0;
    uint32_t wavFrames = 0;
    uint64_t wavDurationMs = 0;
    int32_t wavChannels = 0, wavRate = 0;

    void Reset() { *this = SoundFileInfo(); }
    // The channels the loaded file plays with (0 when none is loaded).
    int32_t Channels() const { return isWma ? wmaChannels : isWav ? wavChannels : 0; }
    int32_t Rate() const { return isWma ? wmaRate : isWav ? wavRate : 0; }
};

// Probes `path` for the player: true for a PCM or GSM 6.10 WAV file ("RIFF" magic) and,
// unless the name ends in an MPEG or WAV extension or the file is Ogg, for a WMA file.
bool SoundFileInfo_Probe(const wchar_t* path, SoundFileInfo* info);
