#pragma once
// A small fixed-point, constant-bitrate MPEG audio Layer III encoder: MPEG-1 at 32000 Hz
// and above, MPEG-2 at the low rates; long blocks only, no scalefactors, no joint stereo,
// no CRC and no bit reservoir between frames. It takes one frame of 16-bit PCM at a time
// and collects the frames in a pending area, which it moves into the caller's output
// when the area would overflow.
#include "Mp3Filterbank.h"
#include "Mp3FrameTables.h"
#include "Mp3GranuleCoder.h"

#include <cstdint>

class Mp3Encoder {
public:
    static constexpr int kPendingBytes = 65536;
    // MPEG-1 at 32000 Hz and 320 kbit/s, padded: the longest frame.
    static constexpr int kMaxFrameBytes = 1441;
    static constexpr int kMonoMode = 3;
    static constexpr int kStereoMode = 0;

    struct Setup {
        bool twoChannels = false;     // two coded channels
        int bitrateKbps = 128;
        int sampleRate = 44100;       // rate of the samples handed to EncodeFrame
        bool lowSamplingFrequency = false;
        bool stereoInput = false;     // samples come as left/right pairs; else only the first of each pair is read
        bool mixDown = false;         // stereo input coded as one channel of (left + right) / 2
    };

    // Sets up everything for a new stream and clears the state.
    void Configure(const Setup& setup);
    // Encodes one frame: InputFrames() pairs of samples. Answers the bytes moved into
    // output (0 when none were moved); without an output such bytes are dropped.
    uint32_t EncodeFrame(const int16_t* pairs, uint8_t* output);
    // Pairs one EncodeFrame reads: 1152 (MPEG-1, or MPEG-2 with rate halving) or 576.
    int InputFrames() const { return granules_ * mp3::kLinesPerGranule * (rateHalving_ ? 2 : 1); }

    const uint8_t* PendingData() const { return pending_; }
    uint32_t PendingCount() const { return pendingCount_; }
    // Moves the pending bytes, rounded down to whole 32-bit words, into output (room for
    // kPendingBytes); answers how many. The 0-3 bytes left stay at the area's start.
    uint32_t TakePending(uint8_t* output);
    // Forgets the pending bytes once the caller has taken them.
    void DropPending() { pendingCount_ = 0; }

    // The configuration, as the frame header carries it.
    int Version() const { return version_; }
    int SampleRateIndex() const { return sampleRateIndex_; }
    int BitrateIndex() const { return bitrateIndex_; }
    int Granules() const { return granules_; }
    int CodedChannels() const { return channels_; }
    int CodedSubbands() const { return codedSubbands_; }
    bool RateHalving() const { return rateHalving_; }

private:
    // Appends the frame's samples to each coded channel's history.
    void TakeSamples(const int16_t* pairs);
    // Codes every granule and channel and lays out the frame; answers its length.
    int BuildFrame();
    // Gives the last granule-channel the frame's unused bits, moving what it cannot
    // carry to the ones before it.
    void ShareSpareBits(int mainDataBits);
    void WriteHeaderAndSideInfo(Mp3BitWriter* writer) const;

    // Configuration.
    int version_ = mp3::kMpeg1;
    int sampleRateIndex_ = 0;
    int bitrateIndex_ = 9;
    int granules_ = 2;
    int channels_ = 1;
    int mode_ = kMonoMode;
    bool rateHalving_ = false;
    bool mixDown_ = false;
    bool stereoInput_ = false;
    int codedSubbands_ = 32;
    const uint16_t* bandStart_ = mp3::kLongBandStart[1][0];
    int sideInfoBits_ = 168;
    // Frame length: whole bytes and a remainder in 1/64 byte.
    int frameBytes_ = 0;
    int frameRemainder_ = 0;
    int runningRemainder_ = 0;
    int padding_ = 0;

    // Analysis: per channel, 512 samples of history and one frame's new samples.
    static constexpr int kHistory = 512;
    int16_t samples_[2][kHistory + 2 * mp3::kLinesPerGranule] = {};
    Mp3Filterbank filterbank_[2];
    Mp3Filterbank::Granule granule_ = {};
    Mp3GranuleChannel coded_[2][2];  // [granule][channel]

    uint8_t frame_[kMaxFrameBytes] = {};
    uint8_t pending_[kPendingBytes] = {};
    uint32_t pendingCount_ = 0;
};
