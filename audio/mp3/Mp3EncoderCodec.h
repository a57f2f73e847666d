#pragma once
// Writes MPEG audio Layer III: cuts the PCM it is given into frames of 1152 sample frames,
// feeds the encoder at a rate it supports (rates below 16000 Hz are doubled) and hands
// the encoded bytes to the sink about once a second of sound, so a recording cut off
// loses little. Takes 16-bit mono or stereo at the rates a frame header can name;
// the recorder settings' MP3 options decide whether it writes at all, the channels and
// the bitrate.
#include "AudioCodec.h"
#include "FrameAssembler.h"
#include "Mp3Encoder.h"

#include <cstdint>
#include <memory>

class Mp3EncoderCodec : public AudioCodec {
public:
    // Every writing operation answers this while MP3 writing is disabled in the settings.
    static constexpr int kDisabled = 20;
    static constexpr int kFrameSamples = 1152;
    static constexpr uint32_t kOutputBytes = 65536;
    // From this rate the bitrates are MPEG-1's; below it MPEG-2's.
    static constexpr int kMpeg1FromRate = 32000;
    // Below this rate the input is doubled.
    static constexpr int kDoubleBelowRate = 16000;

    ~Mp3EncoderCodec() override;

    int OpenWrite() override;
    int Write(const void* pcm, uint32_t bytes) override;
    // Encodes a begun frame padded with silence and hands over every byte still held.
    int CloseWrite() override;
    int CloseRead() override { return kOk; }

    // The first bitrate of the rate's list not below the wanted one; a wanted bitrate
    // above the whole list is passed on unchanged.
    static int ChooseBitrate(int sampleRate, int wantedKbps);
    // Rates a frame header names, directly or doubled (8000, 11025, 12000 Hz): any other
    // would play at the wrong speed, so OpenWrite refuses it.
    static bool SupportedRate(int sampleRate);

private:
    // Encodes one codec frame into output_; answers the bytes moved there (0: none).
    uint32_t EncodeCodecFrame(const uint8_t* pcm);
    // Encodes a frame and hands the output buffer to the sink when bytes were moved into it.
    int EncodeAndDeliver(const uint8_t* pcm);
    uint32_t FrameBytes() const { return channels_ == 2 ? 4u : 2u; }

    bool enabled_ = false;
    std::unique_ptr<FrameAssembler> assembler_;
    uint8_t* output_ = nullptr;  // malloc'd; given to the sink with every write
    std::unique_ptr<Mp3Encoder> encoder_;
    int16_t* resampling_ = nullptr;  // malloc'd
    uint32_t resamplingBytes_ = 0;
    // The encoder's pending bytes go to the sink once they reach this (a second of sound).
    uint32_t handOverBytes_ = 0;
};
