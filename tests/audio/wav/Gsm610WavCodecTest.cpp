// GSM 6.10 WAV through the platform's ACM: the file our writer makes, sox's files decoded
// exactly as sox decodes them, seeks into the right block, and files it must refuse.
#include <gtest/gtest.h>

#include "WavTestSupport.h"

#include <cmath>

using namespace wavtest;

namespace {

std::string Tone(int frames, int channels) {
    std::string pcm;
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            const int16_t s = static_cast<int16_t>(8000 * std::sin(i * (0.05 + 0.03 * c)));
            pcm += static_cast<char>(s);
            pcm += static_cast<char>(s >> 8);
        }
    return pcm;
}

double ErrorEnergy(const std::vector<int16_t>& a, size_t aAt, const std::vector<int16_t>& b, size_t bAt, size_t n) {
    double e = 0;
    for (size_t i = 0; i < n; ++i) e += std::pow(double(a[aAt + i]) - b[bAt + i], 2);
    return e;
}

}  // namespace

TEST(Gsm610WavCodec, WritesWholeBlocksAFactCountAndPatchedSizes) {
    // 700 stereo frames: two full blocks and one zero-filled, written in odd pieces.
    const std::string file = Encode(CodecFactoryTable::kGsm610Wav, 8000, 2, 16, Tone(700, 2), 999);
    ASSERT_EQ(60u + 3 * 65, file.size());
    EXPECT_EQ("RIFF", file.substr(0, 4));
    EXPECT_EQ(file.size() - 8, Le32At(file, 4));
    EXPECT_EQ("WAVEfmt ", file.substr(8, 8));
    EXPECT_EQ(20u, Le32At(file, 16));
    const std::string format = file.substr(20, 20);
    EXPECT_EQ(std::string("\x31\x00\x01\x00", 4), format.substr(0, 4)) << "tag 49, one channel";
    EXPECT_EQ(8000u, Le32At(format, 4));
    EXPECT_EQ(1625u, Le32At(format, 8)) << "average bytes per second";
    EXPECT_EQ(std::string("\x41\x00\x00\x00\x02\x00\x40\x01", 8), format.substr(12))
        << "block align 65, no bits, 2 extra bytes, 320 samples per block";
    EXPECT_EQ("fact", file.substr(40, 4));
    EXPECT_EQ(4u, Le32At(file, 44));
    EXPECT_EQ(700u, Le32At(file, 48));
    EXPECT_EQ("data", file.substr(52, 4));
    EXPECT_EQ(195u, Le32At(file, 56));

    // Mono in one piece gives the same layout.
    const std::string mono = Encode(CodecFactoryTable::kGsm610Wav, 8000, 1, 16, Tone(640, 1), 1280);
    EXPECT_EQ(60u + 2 * 65, mono.size());
    EXPECT_EQ(640u, Le32At(mono, 48));
}

TEST(Gsm610WavCodec, DecodesSoxFilesSampleForSampleAsSoxDoes) {
    for (const wchar_t* name : {L"gsm_8000", L"gsm_44100"}) {
        SCOPED_TRACE(testing::Message() << name);
        const std::wstring base = name;
        int result = -1;
        auto codec = OpenForReading(CodecFactoryTable::kGsm610Wav, Fixture((base + L".wav").c_str()), &result);
        ASSERT_EQ(0, result);
        EXPECT_EQ(1, codec->Channels());
        EXPECT_EQ(16, codec->BitsPerSample());
        const std::string ours = ReadAll(*codec, 1000, 2);
        const std::string sox = FixtureBytes((base + L".raw").c_str());
        // sox decodes every block; we stop at the "fact" count.
        ASSERT_LE(ours.size(), sox.size());
        EXPECT_GT(ours.size(), sox.size() - 640);
        EXPECT_TRUE(ours == sox.substr(0, ours.size())) << "decoded samples differ";
    }
}

TEST(Gsm610WavCodec, SeeksLandInsideTheRightBlock) {
    int result = -1;
    auto codec = OpenForReading(CodecFactoryTable::kGsm610Wav, Fixture(L"gsm_noise.wav"), &result);
    ASSERT_EQ(0, result);
    const std::vector<int16_t> whole = Samples16(ReadAll(*codec, 4096, 2));
    const uint32_t total = static_cast<uint32_t>(whole.size());
    ASSERT_EQ(10400u, total);
    // The decoder's memory differs after a jump; on noise it fades within a few samples, so
    // the decoding after a seek is close to the sequential one, and unlike any other place.
    for (uint32_t target : {0u, 5000u}) {
        SCOPED_TRACE(testing::Message() << "frame " << target);
        ASSERT_EQ(0, codec->Seek(static_cast<int32_t>(target)));
        std::vector<int16_t> got(800);
        uint32_t frames = 800;
        ASSERT_EQ(0, codec->Read(got.data(), &frames));
        ASSERT_EQ(800u, frames);
        const double here = ErrorEnergy(got, 100, whole, target + 100, 700);
        const double blockLater = ErrorEnergy(got, 100, whole, target + 420, 700);
        const double sampleLater = ErrorEnergy(got, 100, whole, target + 101, 699);
        EXPECT_LT(here * 20, blockLater);
        EXPECT_LT(here * 20, sampleLater);
    }
    // The last frame, and a frame beyond it, leave exactly one frame to read.
    for (int32_t target : {static_cast<int32_t>(total - 1), static_cast<int32_t>(total + 500)}) {
        ASSERT_EQ(0, codec->Seek(target));
        int16_t frame[8];
        uint32_t frames = 8;
        ASSERT_EQ(0, codec->Read(frame, &frames));
        EXPECT_EQ(1u, frames);
    }
}

TEST(Gsm610WavCodec, RefusesStereoAndOtherBlockSizesAndIgnoresAFactOfZero) {
    const std::string sox = FixtureBytes(L"gsm_44100.wav");
    struct Case {
        const char* what;
        size_t offset;
        uint32_t value;
        int bytes;
        int frames;  // -1: refused
    } const cases[] = {{"stereo", 22, 2, 2, -1},
                       {"block align 64", 32, 64, 2, -1},
                       {"256 samples per block", 38, 256, 2, -1},
                       {"fact count 0", 48, 0, 4, 180 * 320},
                       {"fact count 100", 48, 100, 4, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string file = sox;
        for (int i = 0; i < c.bytes; ++i) file[c.offset + i] = static_cast<char>(c.value >> (8 * i));
        const std::wstring path = TempFile(L"gsm.wav");
        ASSERT_TRUE(testsupport::WriteBytes(path, file));
        int result = -1;
        auto codec = OpenForReading(CodecFactoryTable::kGsm610Wav, path, &result);
        if (c.frames < 0) {
            EXPECT_EQ(10, result);
            continue;
        }
        ASSERT_EQ(0, result);
        EXPECT_EQ(static_cast<size_t>(c.frames), ReadAll(*codec, 1000, 2).size() / 2);
    }
}
