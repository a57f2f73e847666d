#include "Mp3EncoderCodec.h"

#include "RecorderSettings.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr int kMpeg1Kbps[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int kLowRateKbps[] = {16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr int kHalfFrame = Mp3EncoderCodec::kFrameSamples / 2;
constexpr int kQuarterFrame = Mp3EncoderCodec::kFrameSamples / 4;
constexpr int kHeaderRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
// Room the pending area keeps for the up to four encoder frames of one codec frame.
constexpr uint32_t kMaxHandOver = Mp3Encoder::kPendingBytes - 4 * Mp3Encoder::kMaxFrameBytes;

// A quarter frame doubled to twice the rate: each sample is preceded by its mean with the
// sample before (the quarter's first sample stands in for the one before it).
void DoubleQuarter(const int16_t* in, int channels, int16_t* pairs) {
    for (int ch = 0; ch < channels; ++ch) {
        int previous = in[ch];
        for (int i = 0; i < kQuarterFrame; ++i) {
            const int sample = in[i * channels + ch];
            pairs[4 * i + ch] = static_cast<int16_t>((previous + sample) >> 1);
            pairs[4 * i + 2 + ch] = static_cast<int16_t>(sample);
            previous = sample;
        }
    }
}

// Mono samples as the first of each pair (the encoder reads only those).
void MonoToPairs(const int16_t* in, int count, int16_t* pairs) {
    for (int i = 0; i < count; ++i) pairs[2 * i] = pairs[2 * i + 1] = in[i];
}

}  // namespace

Mp3EncoderCodec::~Mp3EncoderCodec() {
    free(output_);
    free(resampling_);
}

int Mp3EncoderCodec::ChooseBitrate(int sampleRate, int wantedKbps) {
    const bool mpeg1 = sampleRate >= kMpeg1FromRate;
    const int* list = mpeg1 ? kMpeg1Kbps : kLowRateKbps;
    const int entries = mpeg1 ? sizeof kMpeg1Kbps / sizeof kMpeg1Kbps[0] : sizeof kLowRateKbps / sizeof kLowRateKbps[0];
    for (int i = 0; i < entries; ++i)
        if (list[i] >= wantedKbps) return list[i];
    return wantedKbps;
}

bool Mp3EncoderCodec::SupportedRate(int sampleRate) {
    for (int rate : kHeaderRates)
        if (rate == sampleRate) return true;
    return false;
}

int Mp3EncoderCodec::OpenWrite() {
    assembler_.reset();
    const Mp3CodecSettings& settings = RecorderSettings_Global().mp3;
    enabled_ = settings.enabled != 0;
    if (!enabled_) return kDisabled;
    if (!sink_ || (channels_ != 1 && channels_ != 2) || bitsPerSample_ != 16 || !SupportedRate(sampleRate_))
        return kCannotOpen;
    const bool stereoInput = channels_ == 2;
    const bool mixDown = stereoInput && settings.channelMode == 0;
    assembler_.reset(new (std::nothrow) FrameAssembler());
    if (!assembler_ || !assembler_->Init(kFrameSamples * FrameBytes(), false)) {
        assembler_.reset();
        return kOutOfMemory;
    }
    if (!encoder_) encoder_.reset(new (std::nothrow) Mp3Encoder());

    free(resampling_);
    resampling_ = nullptr;
    if (!stereoInput && sampleRate_ >= kMpeg1FromRate)
        resamplingBytes_ = kFrameSamples * 4;
    else if (sampleRate_ < kDoubleBelowRate || !stereoInput)
        resamplingBytes_ = kHalfFrame * 4;
    else
        resamplingBytes_ = 0;
    if (resamplingBytes_ > 0) resampling_ = static_cast<int16_t*>(malloc(resamplingBytes_));
    if (!encoder_ || (resamplingBytes_ > 0 && !resampling_)) {
        assembler_.reset();
        return kOutOfMemory;
    }

    Mp3Encoder::Setup setup;
    setup.twoChannels = stereoInput && !mixDown;
    setup.bitrateKbps = ChooseBitrate(sampleRate_, settings.bitrateKbps);
    setup.sampleRate = sampleRate_ < kDoubleBelowRate ? 2 * sampleRate_ : sampleRate_;
    setup.lowSamplingFrequency = sampleRate_ < kMpeg1FromRate;
    setup.stereoInput = stereoInput;
    setup.mixDown = mixDown;
    encoder_->Configure(setup);
    handOverBytes_ = std::min(static_cast<uint32_t>(setup.bitrateKbps) * 1000 / 8, kMaxHandOver);
    return kOk;
}

uint32_t Mp3EncoderCodec::EncodeCodecFrame(const uint8_t* pcm) {
    const auto* in = reinterpret_cast<const int16_t*>(pcm);
    uint8_t* out = output_;
    uint32_t answer = 0;
    // Only the first encoder frame that moves bytes gets the output buffer; after a move
    // the pending area is nearly empty, so the later ones cannot move any.
    auto encode = [&](const int16_t* pairs) {
        const uint32_t moved = encoder_->EncodeFrame(pairs, out);
        if (moved > 0 && answer == 0) {
            answer = moved;
            out = nullptr;
        }
    };
    if (sampleRate_ < kDoubleBelowRate) {
        for (int q = 0; q < 4; ++q) {
            DoubleQuarter(in + q * kQuarterFrame * channels_, channels_, resampling_);
            encode(resampling_);
        }
    } else if (channels_ == 2) {
        encode(in);
        if (sampleRate_ < kMpeg1FromRate) encode(in + 2 * kHalfFrame);
    } else if (sampleRate_ >= kMpeg1FromRate) {
        MonoToPairs(in, kFrameSamples, resampling_);
        encode(resampling_);
    } else {
        for (int half = 0; half < 2; ++half) {
            MonoToPairs(in + half * kHalfFrame, kHalfFrame, resampling_);
            encode(resampling_);
        }
    }
    if (answer == 0 && encoder_->PendingCount() >= handOverBytes_) answer = encoder_->TakePending(output_);
    return answer;
}

int Mp3EncoderCodec::EncodeAndDeliver(const uint8_t* pcm) {
    if (!output_) output_ = static_cast<uint8_t*>(malloc(kOutputBytes));
    if (!output_) return kOutOfMemory;
    const uint32_t moved = EncodeCodecFrame(pcm);
    if (moved > 0) {
        sink_->Write(output_, moved);
        output_ = nullptr;
    }
    return kOk;
}

int Mp3EncoderCodec::Write(const void* pcm, uint32_t bytes) {
    if (!enabled_) return kDisabled;
    if (!assembler_) return kReadWriteFailed;
    assembler_->SetInput(static_cast<const uint8_t*>(pcm), bytes);
    const uint8_t* frame = nullptr;
    uint32_t frameBytes = 0;
    bool own = false;
    while (assembler_->Next(&frame, &frameBytes, &own)) {
        const int result = EncodeAndDeliver(frame);
        if (result != kOk) return result;
    }
    return kOk;
}

int Mp3EncoderCodec::CloseWrite() {
    int result = kOk;
    if (assembler_ && assembler_->Pending() > 0) result = EncodeAndDeliver(assembler_->TakePaddedFrame());
    assembler_.reset();
    if (!enabled_) return kDisabled;
    if (!encoder_ || result != kOk) return result;
    const uint32_t count = encoder_->PendingCount();
    if (count == 0) return kOk;
    uint8_t* last = output_ ? output_ : static_cast<uint8_t*>(malloc(count));
    output_ = nullptr;
    if (!last) return kOutOfMemory;
    memcpy(last, encoder_->PendingData(), count);
    encoder_->DropPending();
    sink_->Write(last, count);
    return kOk;
}
