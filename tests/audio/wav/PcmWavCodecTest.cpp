// PCM WAV: the bytes our writer produces, sox's and ffmpeg's files read sample for sample,
// exact seeks, and the 8-bit output of an 8-bit capture.
#include <gtest/gtest.h>

#include "RecorderSettings.h"
#include "WavTestSupport.h"

using namespace wavtest;

namespace {

std::string Le(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
    return s;
}

std::string PcmHeader(uint32_t riffSize, int channels, uint32_t rate, int bits, uint32_t dataLength) {
    const int align = channels * bits / 8;
    return "RIFF" + Le(riffSize, 4) + "WAVEfmt " + Le(16, 4) + Le(1, 2) + Le(channels, 2) + Le(rate, 4) +
           Le(rate * align, 4) + Le(align, 2) + Le(bits, 2) + "data" + Le(dataLength, 4);
}

std::string ReadFile(const std::wstring& path, int frameBytes, uint32_t chunk = 1000) {
    int result = -1;
    auto codec = OpenForReading(CodecFactoryTable::kPcmWav, path, &result);
    EXPECT_EQ(0, result);
    return result == 0 ? ReadAll(*codec, chunk, frameBytes) : std::string();
}

}  // namespace

TEST(PcmWavCodec, WritesTheHeaderAndPadsAnOddDataLength) {
    const std::string three("\x10\x80\xF0", 3);
    const std::string file = Encode(CodecFactoryTable::kPcmWav, 8000, 1, 8, three, 2);
    EXPECT_EQ(PcmHeader(40, 1, 8000, 8, 3) + three + std::string(1, '\0'), file);

    // 16-bit stereo: block align 4, four bytes a frame at 44100 Hz; already a multiple of 4.
    const std::string frames(4 * 5, '\x33');
    EXPECT_EQ(PcmHeader(56, 2, 44100, 16, 20) + frames, Encode(CodecFactoryTable::kPcmWav, 44100, 2, 16, frames, 7));

    // The odd file reads back as its three samples (widened to 16 bits), not the padding.
    const std::wstring path = TempFile(L"three.wav");
    ASSERT_TRUE(testsupport::WriteBytes(path, file));
    EXPECT_EQ(std::string("\x00\x90\x00\x00\x00\x70", 6), ReadFile(path, 2));
}

TEST(PcmWavCodec, AnEightBitCaptureIsWrittenAsUnsignedHighBytes) {
    RecorderSettings_Global().capture8Bit = true;
    const std::string samples = Le(0x1234, 2) + Le(0x8000, 2) + Le(0x7FFF, 2) + Le(0xFFFF, 2);
    const std::string file = Encode(CodecFactoryTable::kPcmWav, 22050, 2, 16, samples, 8);
    RecorderSettings_Global().capture8Bit = false;
    EXPECT_EQ(PcmHeader(40, 2, 22050, 8, 4), file.substr(0, 44));
    EXPECT_EQ(std::string("\x92\x00\xFF\x7F", 4), file.substr(44));
}

TEST(PcmWavCodec, ReadsFilesOfSoxAndFfmpegSampleForSample) {
    // Every file comes out 16-bit, as its bit count says: 8-bit files as sox widens them.
    struct Case {
        const wchar_t* name;
        const wchar_t* soxReading;
        int rate, channels, frameBytes;
    } const cases[] = {{L"pcm16_stereo", L"pcm16_stereo", 44100, 2, 4},
                       {L"pcm8_mono", L"pcm8_mono16", 8000, 1, 2},
                       {L"pcm16_list", L"pcm16_list", 44100, 2, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name);
        const std::wstring name = c.name;
        int result = -1;
        auto codec = OpenForReading(CodecFactoryTable::kPcmWav, Fixture((name + L".wav").c_str()), &result);
        ASSERT_EQ(0, result);
        EXPECT_EQ(c.rate, codec->SampleRate());
        EXPECT_EQ(c.channels, codec->Channels());
        EXPECT_EQ(16, codec->BitsPerSample());
        const std::string expected = FixtureBytes((std::wstring(c.soxReading) + L".raw").c_str());
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(expected == ReadAll(*codec, 777, c.frameBytes)) << "decoded samples differ";
        EXPECT_EQ(0, codec->CloseRead());
    }
}

TEST(PcmWavCodec, SeeksLandOnTheExactFrame) {
    const std::string raw = FixtureBytes(L"pcm16_stereo.raw");
    const uint32_t total = static_cast<uint32_t>(raw.size() / 4);
    int result = -1;
    auto codec = OpenForReading(CodecFactoryTable::kPcmWav, Fixture(L"pcm16_stereo.wav"), &result);
    ASSERT_EQ(0, result);
    for (uint32_t target : {0u, total / 2 + 1, total - 1}) {
        SCOPED_TRACE(testing::Message() << "frame " << target);
        ASSERT_EQ(0, codec->Seek(static_cast<int32_t>(target)));
        char frames[40];
        uint32_t count = 10;
        ASSERT_EQ(0, codec->Read(frames, &count));
        EXPECT_EQ(std::min(10u, total - target), count);
        EXPECT_EQ(raw.substr(target * 4, count * 4), std::string(frames, count * 4));
    }
    ASSERT_EQ(0, codec->Seek(static_cast<int32_t>(total + 100)));
    uint32_t none = 10;
    char frame[40];
    EXPECT_EQ(0, codec->Read(frame, &none));
    EXPECT_EQ(0u, none);
}
