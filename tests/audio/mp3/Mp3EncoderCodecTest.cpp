// The MP3 codec's frames, as read back from their headers and side information, and how
// it hands its output to the sink. Decodability and quality are checked by real decoders
// in tests/audio/peers.
#include "MadDecode.h"
#include "Mp3EncoderCodec.h"
#include "Mp3FrameReader.h"
#include "RecorderSettings.h"
#include "wav/CodecRuns.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

void SetMp3Options(bool enabled, int channelMode, int kbps) {
    Mp3CodecSettings& mp3 = RecorderSettings_Global().mp3;
    mp3.enabled = enabled ? 1 : 0;
    mp3.channelMode = channelMode;
    mp3.bitrateKbps = kbps;
}

// Two tones (one per channel when stereo) as the PCM bytes the codec takes.
std::string Tones(int rate, int channels, int frames, double amplitude = 12000) {
    std::string pcm(static_cast<size_t>(frames) * channels * 2, '\0');
    for (int i = 0; i < frames; ++i)
        for (int ch = 0; ch < channels; ++ch) {
            const auto s = static_cast<int16_t>(amplitude * std::sin(2 * 3.141592653589793 * (440.0 + 330 * ch) * i / rate));
            pcm[2 * (i * channels + ch)] = static_cast<char>(s & 0xFF);
            pcm[2 * (i * channels + ch) + 1] = static_cast<char>(s >> 8 & 0xFF);
        }
    return pcm;
}

// Keeps the length of every buffer handed over.
struct CountingSink : MemorySink {
    void Write(void* buffer, uint32_t length) override {
        lengths.push_back(length);
        MemorySink::Write(buffer, length);
    }
    std::vector<uint32_t> lengths;
};

struct Recording {
    std::string file;
    int writesBeforeClose = 0;
    int writes = 0;
    std::vector<uint32_t> lengths;
    int open = -1, write = -1, close = -1;
};

Recording Record(int rate, int channels, const std::string& pcm, size_t piece) {
    Recording r;
    CountingSink sink;
    std::unique_ptr<AudioCodec> codec(CodecFactoryTable::Create(CodecFactoryTable::kMp3Encoder));
    codec->SetFormat(rate, channels, 16);
    codec->SetSink(&sink);
    r.open = codec->OpenWrite();
    r.write = 0;
    for (size_t at = 0; at < pcm.size() && r.write == 0; at += piece)
        r.write = codec->Write(pcm.data() + at, static_cast<uint32_t>(std::min(piece, pcm.size() - at)));
    r.writesBeforeClose = sink.writes;
    r.close = codec->CloseWrite();
    r.writes = sink.writes;
    r.lengths = sink.lengths;
    r.file = sink.file;
    return r;
}

int MainDataBits(const mp3test::FrameInfo& f) { return (f.bytes - 4 - f.sideInfoBytes) * 8; }

}  // namespace

TEST(Mp3EncoderCodec, FrameLengthsPaddingAndHeaders) {
    SetMp3Options(true, 1, 128);
    const Recording stereo = Record(44100, 2, Tones(44100, 2, 1152 * 130), 4096);
    ASSERT_EQ(0, stereo.open + stereo.write + stereo.close);
    const auto frames = mp3test::ReadFrames(stereo.file);
    ASSERT_EQ(130u, frames.size());
    ASSERT_EQ(stereo.file.size(), frames.back().offset + frames.back().bytes);
    int padded = 0;
    for (size_t i = 0; i < 128; ++i) padded += frames[i].padding;
    EXPECT_EQ(2 * 61, padded);
    for (const auto& f : frames) {
        EXPECT_EQ(417 + f.padding, f.bytes);
        if (f.padding == 0) {
            EXPECT_EQ(std::string("\xFF\xFB\x90\x04", 4), stereo.file.substr(f.offset, 4));
        }
    }

    SetMp3Options(true, 1, 96);
    const Recording mono = Record(22050, 1, Tones(22050, 1, 1152 * 40), 4096);
    for (const auto& f : mp3test::ReadFrames(mono.file)) {
        EXPECT_EQ(0, f.version);
        EXPECT_EQ(3, f.mode);
        EXPECT_EQ(313 + f.padding, f.bytes);
    }
    // 8000 Hz is coded at 16000 Hz: four frames of 576 for each 1152 input frames.
    SetMp3Options(true, 1, 32);
    const auto doubled = mp3test::ReadFrames(Record(8000, 1, Tones(8000, 1, 1152 * 3), 1000).file);
    ASSERT_EQ(12u, doubled.size());
    EXPECT_EQ(2, doubled[0].rateIndex);
}

TEST(Mp3EncoderCodec, SilenceIsStuffedAndSpareBitsStayWithinTheSideInformation) {
    struct Case {
        int rate, channels, kbps;
        bool allToGranules;  // whether the granule-channels can take every main data bit
    };
    for (const Case& c : {Case{44100, 2, 128, true}, Case{32000, 2, 320, true}, Case{16000, 1, 160, false}}) {
        SetMp3Options(true, 1, c.kbps);
        const Recording r = Record(c.rate, c.channels, std::string(c.rate * c.channels * 2, '\0'), 8192);
        const auto frames = mp3test::ReadFrames(r.file);
        ASSERT_FALSE(frames.empty());
        for (const auto& f : frames) {
            int sum = 0;
            for (const auto& g : f.granuleChannels) {
                EXPECT_EQ(0, g.bigValues) << c.rate;
                EXPECT_LE(g.part23Length, 4092) << c.rate;
                sum += g.part23Length;
            }
            if (c.allToGranules) {
                EXPECT_EQ(MainDataBits(f), sum) << c.rate;
                // Nothing but stuffing: every main data bit is 1.
                const std::string main = r.file.substr(f.offset + 4 + f.sideInfoBytes, f.bytes - 4 - f.sideInfoBytes);
                EXPECT_EQ(std::string(main.size(), '\xFF'), main) << c.rate;
            } else {
                EXPECT_LT(sum, MainDataBits(f)) << c.rate;
            }
        }
        const mp3test::MadDecoded decoded = mp3test::DecodeWithLibmad(r.file);
        EXPECT_EQ(0, decoded.errors) << c.rate;
        EXPECT_EQ(frames.size(), static_cast<size_t>(decoded.frames)) << c.rate;
        for (int16_t s : decoded.samples) ASSERT_EQ(0, s) << c.rate;
    }
}

// A recording cut off loses at most about a second: the frames go to the sink in whole
// words once a second of them (16000 bytes at 128 kbit/s) is ready.
TEST(Mp3EncoderCodec, OutputGoesToTheSinkInWholeWordsEverySecond) {
    SetMp3Options(true, 1, 128);
    // About 152 KB of frames in 9.5 s: nine hand-overs before the close.
    const Recording large = Record(44100, 2, Tones(44100, 2, 44100 * 19 / 2), 3001 * 4);
    EXPECT_EQ(0, large.open + large.write + large.close);
    EXPECT_EQ(9, large.writesBeforeClose);
    ASSERT_EQ(10, large.writes);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(0u, large.lengths[i] % 4);
        EXPECT_GE(large.lengths[i], 16000u - 4);
        EXPECT_LT(large.lengths[i], 16000u + 418);
    }
    const auto frames = mp3test::ReadFrames(large.file);
    EXPECT_EQ(364u, frames.size());
    EXPECT_EQ(large.file.size(), frames.back().offset + frames.back().bytes);

    // Less than a second of frames: nothing until the close.
    const Recording small = Record(44100, 2, Tones(44100, 2, 1152 * 10), 4096);
    EXPECT_EQ(0, small.writesBeforeClose);
    EXPECT_EQ(1, small.writes);
    // Fewer bytes than a frame wait for the next write; the close codes them padded.
    const Recording tiny = Record(44100, 1, Tones(44100, 1, 1000), 4096);
    EXPECT_EQ(0, tiny.writesBeforeClose);
    EXPECT_EQ(1u, mp3test::ReadFrames(tiny.file).size());
}

TEST(Mp3EncoderCodec, SettingsDecideWritingAndTheBitrate) {
    SetMp3Options(false, 1, 128);
    const Recording disabled = Record(44100, 2, Tones(44100, 2, 5000), 4096);
    EXPECT_EQ(Mp3EncoderCodec::kDisabled, disabled.open);
    EXPECT_EQ(Mp3EncoderCodec::kDisabled, disabled.write);
    EXPECT_EQ(Mp3EncoderCodec::kDisabled, disabled.close);
    EXPECT_TRUE(disabled.file.empty());

    EXPECT_EQ(112, Mp3EncoderCodec::ChooseBitrate(44100, 100));
    EXPECT_EQ(112, Mp3EncoderCodec::ChooseBitrate(22050, 100));
    EXPECT_EQ(16, Mp3EncoderCodec::ChooseBitrate(22050, 8));
    EXPECT_EQ(400, Mp3EncoderCodec::ChooseBitrate(44100, 400));
    // Above the list the encoder takes its highest bitrate; a mixed-down capture is mono.
    SetMp3Options(true, 0, 400);
    const auto mixed = mp3test::ReadFrames(Record(44100, 2, Tones(44100, 2, 1152 * 2), 4096).file);
    ASSERT_FALSE(mixed.empty());
    EXPECT_EQ(3, mixed[0].mode);
    EXPECT_EQ(10, mixed[0].bitrateIndex);  // mono MPEG-1 counts as 160 kbit/s
    SetMp3Options(true, 1, 400);
    const auto stereo = mp3test::ReadFrames(Record(44100, 2, Tones(44100, 2, 1152 * 2), 4096).file);
    ASSERT_FALSE(stereo.empty());
    EXPECT_EQ(14, stereo[0].bitrateIndex);
    // Rates no frame header names (not even doubled) would play at the wrong speed.
    for (int rate : {96000, 22000, 7999, 0})
        EXPECT_EQ(AudioCodec::kCannotOpen, Record(rate, 1, Tones(8000, 1, 1152), 4096).open) << rate;
    for (int rate : {11025, 12000, 48000}) EXPECT_EQ(0, Record(rate, 1, Tones(8000, 1, 1152), 4096).open) << rate;
}
