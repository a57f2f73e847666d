#pragma once
// Plays one sound file at a time for the Signaller when the program decodes the format
// itself (PCM and GSM 6.10 WAV, WMA): a codec feeds a user stream of the sound engine,
// fades are applied on the way and the engine's mix runs through the ten-band equaliser.
//
// Threads: the Signaller's sound thread calls the entry points; the engine calls the fill
// and end callbacks on its streamer thread and the equaliser on its mixer thread. Locks:
// the feed lock (the codec and the feed counters) is always taken before the control lock;
// the equaliser lock is taken alone. The end callback never closes the stream (the
// streamer is still walking its streams): the next Start or RequestStop does.
#include "Equalizer.h"
#include "PlayerFades.h"
#include "SoundFileInfo.h"

#include "aural_stream.h"

#include <windows.h>

#include <cstdint>
#include <memory>

class AudioCodec;

class SoundPlayer {
public:
    enum State { kStopped = 0, kPlaying = 1, kPaused = 2, kNone = 3 };
    // (user data, status): status 0 when playback came to its end or could not go on.
    typedef void (*FinishedCallback)(void* user, int status);

    SoundPlayer();
    virtual ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Unloads, probes the file and makes its codec; false when it is no file for this player.
    bool Load(const wchar_t* fileName);
    void SetFinishedCallback(FinishedCallback callback, void* user);
    void SetVolume(int volume) { volume_ = volume; }
    int Volume() const { return volume_; }
    // The channel's volume becomes Volume().
    void UpdateVolume();
    // The engine at the playback rate with the equaliser designed, its gains loaded and on.
    bool InitOutput();
    // Plays the loaded file from its start (closing a stream that has ended).
    bool Start();
    // The Signaller's next repetition: starts when a file is loaded and nothing plays.
    bool StartIfIdle();
    State GetState();
    void RequestStop();

    const SoundFileInfo& Info() const { return info_; }
    int SavedSystemVolume() const { return savedSystemVolume_; }
    // The equaliser, for looking at its design.
    const Equalizer& EqualizerState() const { return *equalizer_; }

private:
    static BOOL StreamFillCallback(SoundStream* stream, void* buffer, int bytes, void* user);
    static BOOL OnStreamEnd(SoundStream* stream, const char* name, int offset, void* user);
    static void* EqualizerDsp(void* block, void* previous, int frames, void* user);

    void Unload();
    void CloseStream();
    bool StreamOpen() const { return stream_ && channel_ >= 0; }
    // Under both locks: a file is loaded and no stream plays (none, or one that has ended).
    bool IdleLocked() const { return info_.recognised && (!StreamOpen() || streamEnded_); }
    BOOL Fill(void* buffer, int bytes);
    void DesignEqualizer();
    void LoadEqualizerGains();

    FinishedCallback finished_ = nullptr;
    void* finishedUser_ = nullptr;
    CRITICAL_SECTION controlLock_;
    CRITICAL_SECTION feedLock_;
    bool stopped_ = true;
    volatile bool feedStopped_ = true;
    bool streamEnded_ = false;
    SoundStream* stream_ = nullptr;
    int channel_ = -1;
    std::unique_ptr<AudioCodec> codec_;
    int32_t totalFrames_ = 0;
    bool previousReadEmpty_ = true;
    int32_t framesDelivered_ = 0;
    FadeFrames fades_;
    SoundFileInfo info_;
    int volume_ = 255;
    int savedSystemVolume_ = 0;
    std::unique_ptr<Equalizer> equalizer_;
    CRITICAL_SECTION equalizerLock_;
};
