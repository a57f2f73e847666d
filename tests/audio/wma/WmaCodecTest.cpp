#include <gtest/gtest.h>

#include "CodecFactoryTable.h"
#include "DeviceWmaDecoder.h"
#include "TestPaths.h"
#include "WmaCodec.h"
#include "WmaTestSupport.h"

#include <windows.h>

#include <memory>

using namespace wmatest;

namespace {
// ffmpeg and the device's decoder (GStreamer's libav decoder under Wine) decode the same
// bitstream; what differs is the float-to-16-bit step.
constexpr double kMaxDifferenceDb = -60;
constexpr int kMaxLagFrames = 4096;
constexpr int kMaxSeekLagFrames = 16;

std::vector<int16_t> DecodeAll(AudioCodec* codec, uint32_t framesPerRead) {
    std::vector<int16_t> pcm;
    std::vector<int16_t> block(framesPerRead * codec->Channels());
    for (int reads = 0; reads < 100000; ++reads) {
        uint32_t frames = framesPerRead;
        EXPECT_EQ(0, codec->Read(block.data(), &frames));
        if (frames == 0) break;
        pcm.insert(pcm.end(), block.begin(), block.begin() + frames * codec->Channels());
    }
    return pcm;
}

int BestLag(const std::vector<int16_t>& reference, const std::vector<int16_t>& test, int channels) {
    int best = 0;
    double bestDb = 1e9;
    const std::vector<int16_t> head(reference.begin(), reference.begin() + std::min<size_t>(reference.size(), 8192 * channels));
    for (int lag = -kMaxLagFrames; lag <= kMaxLagFrames; lag += 1) {
        const double db = DifferenceDb(head, test, channels, lag);
        if (db < bestDb) bestDb = db, best = lag;
    }
    return best;
}
}  // namespace

TEST(WmaCodec, DecodesFfmpegFilesAsFfmpegDoes) {
    for (const Fixture& fixture : Fixtures()) {
        SCOPED_TRACE(testing::Message() << std::string(fixture.name, fixture.name + wcslen(fixture.name)));
        std::unique_ptr<AudioCodec> codec(CodecFactoryTable::Create(CodecFactoryTable::kWma));
        codec->SetFileName(Path(fixture.name, L".wma").c_str());
        codec->SetBufferMs(400);
        if (codec->OpenRead() != 0) GTEST_SKIP() << "the device's WMA decoder takes no WMA stream here (see the README)";
        const Facts facts = ProbeFacts(fixture.name);
        EXPECT_EQ(facts.rate, codec->SampleRate());
        EXPECT_EQ(facts.channels, codec->Channels());
        EXPECT_EQ(16, codec->BitsPerSample());
        const std::vector<int16_t> ours = DecodeAll(codec.get(), 1000);
        const std::vector<int16_t> theirs = Samples(Bytes(Path(fixture.name, L".raw")));
        ASSERT_GT(theirs.size(), 0u);
        // Whole frames of the decoder: ffmpeg drops its first one, which ours may keep.
        EXPECT_NEAR(double(theirs.size()), double(ours.size()), 2.0 * 2048 * facts.channels);
        const int lag = BestLag(theirs, ours, facts.channels);
        const double db = DifferenceDb(theirs, ours, facts.channels, lag);
        RecordProperty("difference_db", std::to_string(db));
        printf("%ls: %zu frames (ffmpeg %zu), lag %d, difference %.1f dB\n", fixture.name, ours.size() / facts.channels,
               theirs.size() / facts.channels, lag, db);
        EXPECT_LT(db, kMaxDifferenceDb);
        EXPECT_EQ(0, codec->CloseRead());
    }
}

TEST(WmaCodec, SeekSkipsTheDecodedFramesBeforeTheTarget) {
    std::unique_ptr<AudioCodec> codec(CodecFactoryTable::Create(CodecFactoryTable::kWma));
    codec->SetFileName(Path(L"wmav2_2_44100", L".wma").c_str());
    if (codec->OpenRead() != 0) GTEST_SKIP() << "the device's WMA decoder takes no WMA stream here (see the README)";
    const std::vector<int16_t> whole = DecodeAll(codec.get(), 4096);
    const int32_t target = 30000;  // inside a media object
    ASSERT_EQ(0, codec->Seek(target));
    const std::vector<int16_t> rest = DecodeAll(codec.get(), 4096);
    ASSERT_GT(rest.size(), 4000u);
    // The decoder starts again from the object, so its first frames may differ a little.
    const std::vector<int16_t> wanted(whole.begin() + target * 2, whole.end());
    const std::vector<int16_t> tail(wanted.begin() + 4096, wanted.end());
    const std::vector<int16_t> restTail(rest.begin() + std::min<size_t>(rest.size(), 4096), rest.end());
    // Restarted after a flush, the host's decoder may place its output a few frames (well
    // under a millisecond) off the object's start.
    const int lag = BestLag(tail, restTail, 2);
    EXPECT_LE(std::abs(lag), kMaxSeekLagFrames);
    EXPECT_LT(DifferenceDb(tail, restTail, 2, lag), -40);
    EXPECT_EQ(0, codec->CloseRead());
}

// Where the packets end early (a cut file) or a packet is damaged, no media object comes:
// reading delivers what was decoded and then nothing, each call returning at once.
TEST(WmaCodec, ReadingStopsWhereNoMediaObjectComes) {
    const std::string whole = Bytes(Path(L"wmav2_2_44100", L".wma"));
    std::string damaged = whole;
    for (size_t i = whole.size() / 2; i < whole.size() / 2 + 64; ++i) damaged[i] = '\xFF';
    size_t wholeSamples = 0;
    for (const std::string& bytes : {whole, whole.substr(0, whole.size() * 6 / 10), damaged}) {
        const std::wstring path = testsupport::DeviceRoot() + L"\\short.wma";
        testsupport::WriteBytes(path, bytes);
        std::unique_ptr<AudioCodec> codec(CodecFactoryTable::Create(CodecFactoryTable::kWma));
        codec->SetFileName(path.c_str());
        if (codec->OpenRead() != 0) GTEST_SKIP() << "the device's WMA decoder takes no WMA stream here (see the README)";
        const size_t samples = DecodeAll(codec.get(), 4096).size();
        if (wholeSamples == 0) wholeSamples = samples;
        EXPECT_GT(samples, 0u);
        if (bytes.size() < whole.size()) {
            EXPECT_LT(samples, wholeSamples * 8 / 10) << "the cut file ends early";
        }
        uint32_t frames = 4096;
        std::vector<int16_t> block(4096 * 2);
        codec->Read(block.data(), &frames);
        EXPECT_EQ(0u, frames) << "nothing more comes";
        EXPECT_EQ(0, codec->CloseRead());
    }
}

TEST(WmaCodec, RefusesDamagedHeaders) {
    std::unique_ptr<AudioCodec> codec(CodecFactoryTable::Create(CodecFactoryTable::kWma));
    codec->SetFileName(L"\\missing.wma");
    EXPECT_EQ(10, codec->OpenRead());
    const std::string whole = Bytes(Path(L"wmav1_1_22050", L".wma"));
    const std::wstring cut = testsupport::DeviceRoot() + L"\\cut.wma";
    for (size_t length : {size_t(0), size_t(15), size_t(100), size_t(400)}) {
        testsupport::WriteBytes(cut, whole.substr(0, length));
        codec->SetFileName(cut.c_str());
        EXPECT_EQ(10, codec->OpenRead()) << length;
    }
}

TEST(WmaCodec, RefusesRatesThePlayerCannotPlay) {
    // Refused at open, before a size is worked out from them (four bytes a frame at
    // 0x40000001 Hz is past 32 bits).
    const std::string whole = Bytes(Path(L"wmav2_2_44100", L".wma"));
    const size_t format = WaveFormatAt(whole);
    ASSERT_NE(format, std::string::npos);
    std::unique_ptr<AudioCodec> codec(CodecFactoryTable::Create(CodecFactoryTable::kWma));
    codec->SetFileName(Path(L"wmav2_2_44100", L".wma").c_str());
    if (codec->OpenRead() != 0) GTEST_SKIP() << "the device's WMA decoder takes no WMA stream here (see the README)";
    codec->CloseRead();
    const std::wstring path = testsupport::DeviceRoot() + L"\\rate.wma";
    for (uint32_t rate : {100u, 0x40000001u, 0xFFFFFFFFu}) {
        std::string bytes = whole;
        for (int i = 0; i < 4; ++i) bytes[format + 4 + i] = static_cast<char>(rate >> (8 * i));
        testsupport::WriteBytes(path, bytes);
        codec->SetFileName(path.c_str());
        EXPECT_EQ(10, codec->OpenRead()) << rate;
    }
}

TEST(WmaCodec, RefusesEveryFileOnADeviceWithoutTheDecoderLibrary) {
    // The test thread has no COM either, so no decoder object comes from anywhere.
    ASSERT_TRUE(testsupport::RemoveDeviceLibrary(WMADECODER_LIBRARY));
    std::unique_ptr<AudioCodec> codec(CodecFactoryTable::Create(CodecFactoryTable::kWma));
    codec->SetFileName(Path(L"wmav2_2_44100", L".wma").c_str());
    EXPECT_EQ(10, codec->OpenRead());
    uint32_t frames = 10;
    int16_t pcm[20];
    EXPECT_EQ(11, codec->Read(pcm, &frames));
    EXPECT_EQ(0u, frames);
}
