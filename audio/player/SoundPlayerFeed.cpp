// The engine's side of the player: the stream's fill and end callbacks and the equaliser.
#include "SoundPlayer.h"

#include "AudioCodec.h"
#include "RecorderSettings.h"

#include <cstring>

BOOL SoundPlayer::StreamFillCallback(SoundStream*, void* buffer, int bytes, void* user) {
    return static_cast<SoundPlayer*>(user)->Fill(buffer, bytes);
}

BOOL SoundPlayer::Fill(void* buffer, int bytes) {
    if (feedStopped_) return TRUE;
    EnterCriticalSection(&feedLock_);
    if (feedStopped_ || !codec_) {
        LeaveCriticalSection(&feedLock_);
        return TRUE;
    }
    // Every codec delivers 16-bit samples (8-bit files are widened by their codec).
    const int channels = codec_->Channels() == 2 ? 2 : 1;
    const int frameBytes = 2 * channels;
    uint32_t frames = static_cast<uint32_t>(bytes / frameBytes);
    codec_->Read(buffer, &frames);
    const int delivered = static_cast<int>(frames) * frameBytes;
    if (delivered < bytes) memset(static_cast<uint8_t*>(buffer) + delivered, 0, bytes - delivered);
    PlayerFades_Apply(buffer, static_cast<int32_t>(frames), channels, framesDelivered_, fades_);
    framesDelivered_ += static_cast<int32_t>(frames);
    BOOL goOn = TRUE;
    if (frames > 0)
        previousReadEmpty_ = false;
    else if (!previousReadEmpty_)
        previousReadEmpty_ = true;
    else
        goOn = FALSE;
    LeaveCriticalSection(&feedLock_);
    return goOn;
}

// On the streamer thread, which is still walking its streams: only marks the end and tells
// the owner; the stream is closed by the next Start or RequestStop.
BOOL SoundPlayer::OnStreamEnd(SoundStream*, const char*, int, void* user) {
    auto* self = static_cast<SoundPlayer*>(user);
    EnterCriticalSection(&self->feedLock_);
    self->feedStopped_ = true;
    LeaveCriticalSection(&self->feedLock_);
    FinishedCallback callback = nullptr;
    void* callbackUser = nullptr;
    EnterCriticalSection(&self->feedLock_);
    EnterCriticalSection(&self->controlLock_);
    const bool wanted = !self->stopped_;
    if (wanted) {
        self->streamEnded_ = true;
        callback = self->finished_;
        callbackUser = self->finishedUser_;
        if (!callback) self->stopped_ = true;
    }
    LeaveCriticalSection(&self->controlLock_);
    LeaveCriticalSection(&self->feedLock_);
    if (callback) callback(callbackUser, 0);
    return TRUE;
}

void SoundPlayer::DesignEqualizer() {
    EnterCriticalSection(&equalizerLock_);
    equalizer_->Design(RecorderSettings_Global().playback.sampleRate);
    LeaveCriticalSection(&equalizerLock_);
}

void SoundPlayer::LoadEqualizerGains() {
    EnterCriticalSection(&equalizerLock_);
    equalizer_->LoadGains(RecorderSettings_Global().equalizer.gains);
    LeaveCriticalSection(&equalizerLock_);
}

void* SoundPlayer::EqualizerDsp(void* block, void* previous, int frames, void* user) {
    void* mix = previous ? previous : block;
    if (!RecorderSettings_Global().equalizer.on || !mix) return mix;
    auto* self = static_cast<SoundPlayer*>(user);
    EnterCriticalSection(&self->equalizerLock_);
    auto* slots = static_cast<int32_t*>(mix);
    Equalizer& eq = *self->equalizer_;
    const bool filter = eq.Designed();
    if (self->info_.Channels() == 1) {
        for (int f = 0; f < frames; ++f) {
            const int32_t x = static_cast<int16_t>(slots[2 * f] & 0xFFFF);
            slots[2 * f] = slots[2 * f + 1] = filter ? eq.FilterMono(x) : x;
        }
    } else {
        for (int f = 0; f < frames; ++f) {
            int32_t left = static_cast<int16_t>(slots[2 * f] & 0xFFFF);
            int32_t right = static_cast<int16_t>(slots[2 * f + 1] & 0xFFFF);
            if (filter) eq.FilterStereo(&left, &right);
            slots[2 * f] = left;
            slots[2 * f + 1] = right;
        }
    }
    LeaveCriticalSection(&self->equalizerLock_);
    return mix;
}
