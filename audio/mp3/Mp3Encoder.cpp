#include "Mp3Encoder.h"

#include <cstring>

using namespace mp3;

namespace {

// Frame length in 1/64 byte is bitrate x this / (2 - version) / rate.
constexpr int64_t kFrameLengthFactor = 9216000;
// Rates above this are MPEG-1.
constexpr int kLowestMpeg1Rate = 27999;
// Two channels below this bitrate are coded at half the rate.
constexpr int kHalvingBelowKbps = 96;
constexpr int kMpeg1MonoMaxKbps = 160;
// A granule-channel's bit budget stays below this, so that stuffing moved away from it
// (which leaves at least 4061 bits) never takes coded bits.
constexpr int kBudgetCap = 4061;
// part2_3_length above this moves its excess above kBudgetCap, in whole 32-bit words, to
// the granule-channel before.
constexpr int kPart23Limit = 4092;
constexpr int kStuffingWordBits = 32;

int NearestRateIndex(int version, int rate) {
    int best = 0;
    for (int i = 1; i < 3; ++i) {
        const int distance = kSampleRates[version][i] - rate;
        const int bestDistance = kSampleRates[version][best] - rate;
        if ((distance < 0 ? -distance : distance) < (bestDistance < 0 ? -bestDistance : bestDistance)) best = i;
    }
    return best;
}

int NearestBitrateIndex(int version, int kbps) {
    const int* list = kBitrates[version];
    if (kbps <= list[1]) return 1;
    if (kbps >= list[14]) return 14;
    int i = 1;
    while (list[i + 1] <= kbps) ++i;
    // Between list[i] and list[i + 1]: the nearer, the lower one on a tie.
    return kbps - list[i] <= list[i + 1] - kbps ? i : i + 1;
}

}  // namespace

void Mp3Encoder::Configure(const Setup& setup) {
    int rate = setup.sampleRate;
    rateHalving_ = false;
    granules_ = 2;
    if (setup.lowSamplingFrequency) {
        granules_ = 1;
    } else if (setup.twoChannels && setup.bitrateKbps < kHalvingBelowKbps) {
        rateHalving_ = true;
        rate /= 2;
        granules_ = 1;
    }
    version_ = rate > kLowestMpeg1Rate ? kMpeg1 : kMpeg2;
    sampleRateIndex_ = NearestRateIndex(version_, rate);
    channels_ = setup.twoChannels ? 2 : 1;
    mode_ = setup.twoChannels ? kStereoMode : kMonoMode;
    stereoInput_ = setup.stereoInput;
    mixDown_ = setup.stereoInput && !setup.twoChannels && setup.mixDown;
    int kbps = setup.bitrateKbps;
    if (version_ == kMpeg1 && channels_ == 1 && kbps > kMpeg1MonoMaxKbps) kbps = kMpeg1MonoMaxKbps;
    bitrateIndex_ = NearestBitrateIndex(version_, kbps);
    codedSubbands_ = channels_ == 1            ? kCodedSubbandsMono[bitrateIndex_]
                     : version_ == kMpeg1 ? kCodedSubbandsMpeg1Stereo[bitrateIndex_]
                                          : kCodedSubbandsMpeg2Stereo[bitrateIndex_];
    bandStart_ = kLongBandStart[version_][sampleRateIndex_];
    sideInfoBits_ = version_ == kMpeg1 ? (channels_ == 1 ? 168 : 288) : (channels_ == 1 ? 104 : 168);

    // The header's rate, not the caller's, decides how decoders step from frame to frame.
    const int64_t sixtyFourths = kBitrates[version_][bitrateIndex_] * kFrameLengthFactor / (2 - version_) /
                                 kSampleRates[version_][sampleRateIndex_];
    frameBytes_ = static_cast<int>(sixtyFourths / 64);
    frameRemainder_ = static_cast<int>(sixtyFourths % 64);
    runningRemainder_ = 0;
    padding_ = 0;

    memset(samples_, 0, sizeof samples_);
    for (auto& filterbank : filterbank_) filterbank.Reset();
    for (auto& granule : coded_)
        for (auto& channel : granule) channel = Mp3GranuleChannel();
    pendingCount_ = 0;
}

void Mp3Encoder::TakeSamples(const int16_t* pairs) {
    const int frames = granules_ * kLinesPerGranule;
    int16_t* left = samples_[0] + kHistory;
    int16_t* right = samples_[1] + kHistory;
    for (int i = 0; i < frames; ++i) {
        if (rateHalving_) {
            const int16_t* p = pairs + 4 * i;
            left[i] = static_cast<int16_t>((p[0] + p[2]) >> 1);
            right[i] = static_cast<int16_t>((p[1] + p[3]) >> 1);
        } else if (!stereoInput_) {
            left[i] = pairs[2 * i];
        } else if (mixDown_) {
            left[i] = static_cast<int16_t>((pairs[2 * i] + pairs[2 * i + 1]) >> 1);
        } else {
            left[i] = pairs[2 * i];
            right[i] = pairs[2 * i + 1];
        }
    }
}

void Mp3Encoder::ShareSpareBits(int mainDataBits) {
    Mp3GranuleChannel* records[4] = {};
    int count = 0;
    for (int gr = 0; gr < granules_; ++gr)
        for (int ch = 0; ch < channels_; ++ch) records[count++] = &coded_[gr][ch];
    int used = 0;
    for (int i = 0; i < count - 1; ++i) used += records[i]->part23Length;
    records[count - 1]->part23Length = mainDataBits - used;
    for (int i = count - 1; i > 0; --i) {
        if (records[i]->part23Length <= kPart23Limit) continue;
        const int moved = (records[i]->part23Length - kBudgetCap) / kStuffingWordBits * kStuffingWordBits;
        records[i]->part23Length -= moved;
        records[i - 1]->part23Length += moved;
    }
    // What the first cannot carry stays in the frame as ancillary bits.
    if (records[0]->part23Length > kPart23Limit) records[0]->part23Length = kPart23Limit;
    const Mp3GranuleCoder coder(bandStart_);
    for (int i = 0; i < count; ++i) coder.PrepareStuffing(records[i]->part23Length - records[i]->bits, records[i]);
}

int Mp3Encoder::BuildFrame() {
    runningRemainder_ += frameRemainder_;
    padding_ = 0;
    if (runningRemainder_ >= 64) {
        runningRemainder_ -= 64;
        padding_ = 1;
    }
    const int bytes = frameBytes_ + padding_;
    const int mainDataBits = bytes * 8 - sideInfoBits_;
    const int mean = mainDataBits / granules_ / channels_;
    const Mp3GranuleCoder coder(bandStart_);
    const int lineCount = codedSubbands_ * kLinesPerSubband;
    int spare = 0;
    int left = granules_ * channels_;
    for (int gr = 0; gr < granules_; ++gr) {
        for (int ch = 0; ch < channels_; ++ch, --left) {
            filterbank_[ch].Analyse(samples_[ch] + gr * kLinesPerGranule + 32, codedSubbands_, &granule_);
            const int share = spare / left / 8 * 8;
            int budget = mean + (mean / 2 < share ? mean / 2 : share);
            if (budget > kBudgetCap) budget = kBudgetCap;
            Mp3GranuleChannel& coded = coded_[gr][ch];
            coder.Fit(granule_, lineCount, budget, &coded);
            spare += mean - coded.part23Length;
        }
    }
    ShareSpareBits(mainDataBits);

    memset(frame_, 0, bytes);
    Mp3BitWriter mainData(frame_, bytes, sideInfoBits_);
    for (int gr = 0; gr < granules_; ++gr)
        for (int ch = 0; ch < channels_; ++ch) Mp3GranuleCoder::WriteMainData(coded_[gr][ch], &mainData);
    Mp3BitWriter header(frame_, bytes);
    WriteHeaderAndSideInfo(&header);
    return bytes;
}

void Mp3Encoder::WriteHeaderAndSideInfo(Mp3BitWriter* w) const {
    w->Put(0xFFF, 12);
    w->Put(static_cast<uint32_t>(version_), 1);
    w->Put(1, 2);  // layer III
    w->Put(1, 1);  // no CRC
    w->Put(static_cast<uint32_t>(bitrateIndex_), 4);
    w->Put(static_cast<uint32_t>(sampleRateIndex_), 2);
    w->Put(static_cast<uint32_t>(padding_), 1);
    w->Put(0, 1);  // private
    w->Put(static_cast<uint32_t>(mode_), 2);
    w->Put(0, 2);  // mode extension
    w->Put(0, 1);  // copyright
    w->Put(1, 1);  // original
    w->Put(0, 2);  // emphasis
    if (version_ == kMpeg1) {
        w->Put(0, 9);                          // main_data_begin
        w->Put(0, channels_ == 1 ? 5 : 3);     // private bits
        w->Put(0, 4 * channels_);              // scfsi
    } else {
        w->Put(0, 8);
        w->Put(0, channels_ == 1 ? 1 : 2);
    }
    for (int gr = 0; gr < granules_; ++gr) {
        for (int ch = 0; ch < channels_; ++ch) {
            const Mp3GranuleChannel& c = coded_[gr][ch];
            w->Put(static_cast<uint32_t>(c.part23Length), 12);
            w->Put(static_cast<uint32_t>(c.bigValues), 9);
            w->Put(static_cast<uint32_t>(c.globalGain), 8);
            w->Put(0, version_ == kMpeg1 ? 4 : 9);  // scalefac_compress
            w->Put(0, 1);                           // window_switching_flag
            for (int table : c.tableSelect) w->Put(static_cast<uint32_t>(table), 5);
            w->Put(static_cast<uint32_t>(c.region0Count), 4);
            w->Put(static_cast<uint32_t>(c.region1Count), 3);
            if (version_ == kMpeg1) w->Put(0, 1);  // preflag
            w->Put(0, 1);                           // scalefac_scale
            w->Put(static_cast<uint32_t>(c.count1TableSelect), 1);
        }
    }
}

uint32_t Mp3Encoder::EncodeFrame(const int16_t* pairs, uint8_t* output) {
    TakeSamples(pairs);
    const int bytes = BuildFrame();
    const int frames = granules_ * kLinesPerGranule;
    for (auto& channel : samples_) memmove(channel, channel + frames, kHistory * sizeof channel[0]);

    uint32_t moved = 0;
    if (pendingCount_ + bytes > kPendingBytes) {
        if (output) {
            moved = TakePending(output);
        } else {
            const uint32_t whole = pendingCount_ & ~3u;
            memmove(pending_, pending_ + whole, pendingCount_ - whole);
            pendingCount_ -= whole;
        }
    }
    memcpy(pending_ + pendingCount_, frame_, bytes);
    pendingCount_ += bytes;
    return moved;
}

uint32_t Mp3Encoder::TakePending(uint8_t* output) {
    const uint32_t whole = pendingCount_ & ~3u;
    memcpy(output, pending_, whole);
    memmove(pending_, pending_ + whole, pendingCount_ - whole);
    pendingCount_ -= whole;
    return whole;
}
