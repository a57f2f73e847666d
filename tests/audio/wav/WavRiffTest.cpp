// The RIFF walk as the probe and both readers see it: unfinished and odd headers, the
// probe's figures, and damaged files (every truncation, rates the engine cannot play)
// failing cleanly.
#include <gtest/gtest.h>

#include "WavProbe.h"
#include "WavTestSupport.h"

using namespace wavtest;

namespace {

// Frames a codec reads from the bytes (written to a file); -1 when it refuses to open with
// 10, below that for any other refusal.
int FramesRead(int codecId, const std::string& bytes, int frameBytes, int* readResult = nullptr) {
    const std::wstring path = TempFile(L"case.wav");
    if (!testsupport::WriteBytes(path, bytes)) return -2;
    int result = -1;
    auto codec = OpenForReading(codecId, path, &result);
    if (result != 0) return result == 10 ? -1 : -100 - result;
    const std::string all = ReadAll(*codec, 500, frameBytes, readResult);
    codec->CloseRead();
    return static_cast<int>(all.size() / frameBytes);
}

std::string Le32(uint32_t v) {
    std::string s(4, '\0');
    PutLe32At(s, 0, v);
    return s;
}

// sox's GSM file cut to three blocks.
std::string SmallGsm() {
    std::string file = FixtureBytes(L"gsm_8000.wav").substr(0, 60 + 3 * 65);
    PutLe32At(file, 4, static_cast<uint32_t>(file.size() - 8));
    PutLe32At(file, 56, 3 * 65);
    return file;
}

// The sox file with a "data" chunk of 1000 bytes (250 stereo frames) and a tail after it.
std::string SmallPcm() {
    std::string file = FixtureBytes(L"pcm16_stereo.wav").substr(0, 44 + 1000);
    PutLe32At(file, 4, 36 + 1000);
    PutLe32At(file, 40, 1000);
    return file;
}

}  // namespace

TEST(WavRiff, UnfinishedAndOddHeadersStillFindTheData) {
    const std::string full = FixtureBytes(L"pcm16_stereo.wav");
    const int frames = static_cast<int>((full.size() - 44) / 4);
    std::string unfinished = full;  // what a writer leaves that never patched its sizes
    PutLe32At(unfinished, 4, 36);
    EXPECT_EQ(frames, FramesRead(0, unfinished, 4));
    unfinished.replace(4, 4, "----");
    unfinished.replace(40, 4, "----");
    EXPECT_EQ(frames, FramesRead(0, unfinished, 4)) << "a size beyond the file: the file rules";
    std::string sizeZero = full;
    PutLe32At(sizeZero, 40, 0);
    EXPECT_EQ(frames, FramesRead(0, sizeZero, 4)) << "an empty data size takes what remains";

    std::string withTail = SmallPcm() + "junkjunk";  // trailing bytes outside the data chunk
    EXPECT_EQ(250, FramesRead(0, withTail, 4));

    // Chunks of odd size are followed by a pad byte: a 5-byte "LIST" and a 17-byte "fmt ".
    const std::string small = SmallPcm();
    std::string list = small.substr(0, 36) + "LIST" + Le32(5) + "INFOx" + '\0' + small.substr(36);
    PutLe32At(list, 4, static_cast<uint32_t>(list.size() - 8));
    EXPECT_EQ(250, FramesRead(0, list, 4));
    std::string oddFormat = small.substr(0, 36) + '\0' + '\0' + small.substr(36);
    PutLe32At(oddFormat, 4, static_cast<uint32_t>(oddFormat.size() - 8));
    PutLe32At(oddFormat, 16, 17);
    EXPECT_EQ(250, FramesRead(0, oddFormat, 4));

    std::string headerOnly = full.substr(0, 44);
    PutLe32At(headerOnly, 4, 36);
    PutLe32At(headerOnly, 40, 0);
    EXPECT_EQ(0, FramesRead(0, headerOnly, 4));
    EXPECT_EQ(-1, FramesRead(0, headerOnly.substr(0, 43), 4));
}

TEST(WavRiff, TheProbeReportsCodecFramesAndDuration) {
    WavFileInfo info;
    ASSERT_TRUE(SoundFileInfo_ProbeWav(Fixture(L"pcm8_mono.wav").c_str(), &info));
    EXPECT_EQ(CodecFactoryTable::kPcmWav, info.codecId);
    EXPECT_EQ(5600u, info.frames);
    EXPECT_EQ(700u, info.durationMs);
    EXPECT_EQ(1, info.channels);
    EXPECT_EQ(8000, info.sampleRate);

    // sox's GSM at 44100 Hz: the "fact" count (1.3 s), shorter than the blocks hold.
    ASSERT_TRUE(SoundFileInfo_ProbeWav(Fixture(L"gsm_44100.wav").c_str(), &info));
    EXPECT_EQ(CodecFactoryTable::kGsm610Wav, info.codecId);
    EXPECT_EQ(57330u, info.frames);
    EXPECT_EQ(1300u, info.durationMs);
    EXPECT_EQ(44100, info.sampleRate);

    EXPECT_FALSE(SoundFileInfo_ProbeWav(TempFile(L"missing.wav").c_str(), &info));
    std::string alaw = SmallPcm();
    alaw[20] = 6;  // A-law: not one of ours
    ASSERT_TRUE(testsupport::WriteBytes(TempFile(L"alaw.wav"), alaw));
    EXPECT_FALSE(SoundFileInfo_ProbeWav(TempFile(L"alaw.wav").c_str(), &info));
}

// Rates the engine cannot play (0 among them: durations divide by it) are refused; the
// highest it plays is taken.
TEST(WavRiff, RatesOutsideWhatTheEngineMixesAreRefused) {
    for (uint32_t rate : {0u, 199u, 705601u, 2200000u, 0xFFFFFFFFu, 200u, 705600u}) {
        SCOPED_TRACE(testing::Message() << rate);
        const bool playable = rate == 200 || rate == 705600;
        std::string pcm = SmallPcm();
        PutLe32At(pcm, 24, rate);
        EXPECT_EQ(playable ? 250 : -1, FramesRead(CodecFactoryTable::kPcmWav, pcm, 4));
        std::string gsm = FixtureBytes(L"gsm_8000.wav");
        PutLe32At(gsm, 24, rate);
        WavFileInfo info;
        ASSERT_TRUE(testsupport::WriteBytes(TempFile(L"rate.wav"), gsm));
        EXPECT_EQ(playable, SoundFileInfo_ProbeWav(TempFile(L"rate.wav").c_str(), &info));
    }
}

TEST(WavRiff, EveryTruncationOpensWithTenOrReadsWhatIsThere) {
    struct Case {
        int codecId;
        std::string file;
        int frameBytes;
        int frames;
    } const cases[] = {{CodecFactoryTable::kPcmWav, SmallPcm(), 4, 250},
                       {CodecFactoryTable::kGsm610Wav, SmallGsm(), 2, 960}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "codec " << c.codecId);
        ASSERT_EQ(c.frames, FramesRead(c.codecId, c.file, c.frameBytes));
        int opened = 0;
        for (size_t length = 0; length < c.file.size(); ++length) {
            int readResult = 0;
            const int frames = FramesRead(c.codecId, c.file.substr(0, length), c.frameBytes, &readResult);
            ASSERT_GE(frames, -1) << length;
            ASSERT_TRUE(readResult == 0 || readResult == 11) << length;
            ASSERT_LE(frames, c.frames) << length;
            if (frames >= 0) ++opened;
        }
        EXPECT_GT(opened, 0) << "some truncations still hold a readable start";
    }
}

// A recording cut off before its close (a reset, a flat battery, a full card) has the
// header its writer began with: it reads to the last whole block, whatever follows.
TEST(WavRiff, ARecordingCutOffBeforeItsCloseReadsToItsLastWholeBlock) {
    const std::string pcm = FixtureBytes(L"pcm16_stereo.wav").substr(44, 20000);  // as 10000 mono frames
    const std::string unclosedPcm = Encode(CodecFactoryTable::kPcmWav, 22050, 1, 16, pcm, 4096, false) + "x";
    EXPECT_EQ(10000, FramesRead(CodecFactoryTable::kPcmWav, unclosedPcm, 2));
    // GSM: 31 whole blocks of 320 samples written; the file cut inside the last one.
    const std::string unclosedGsm = Encode(CodecFactoryTable::kGsm610Wav, 22050, 1, 16, pcm, 4096, false);
    ASSERT_EQ(60u + 31 * 65, unclosedGsm.size());
    EXPECT_EQ(30 * 320, FramesRead(CodecFactoryTable::kGsm610Wav, unclosedGsm.substr(0, unclosedGsm.size() - 20), 2));
}

// Past 2 GiB (positions wider than 32 bits) and past the 758 MB a "----" size would stand
// for: an unfinished recording of 3 GiB opens with every frame and seeks to its end.
TEST(WavRiff, AnUnfinishedRecordingOfThreeGibibytesReadsToItsEnd) {
    const std::wstring path = TempFile(L"huge.wav");
    ASSERT_TRUE(testsupport::WriteBytes(path, Encode(CodecFactoryTable::kPcmWav, 22050, 1, 16, "", 1, false)));
    const int64_t size = (int64_t{3} << 30) + 44;
    const std::string last("\x11\x22\x33\x44", 4);
    {
        // A sparse file: only its header and its last two samples take room.
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        LARGE_INTEGER at;
        at.QuadPart = size - 4;
        DWORD written = 0;
        const bool ok = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && WriteFile(file, last.data(), 4, &written, nullptr);
        CloseHandle(file);
        ASSERT_TRUE(ok);
    }
    int result = -1;
    auto codec = OpenForReading(CodecFactoryTable::kPcmWav, path, &result);
    ASSERT_EQ(0, result);
    const int32_t frames = static_cast<int32_t>((size - 44) / 2);
    ASSERT_EQ(0, codec->Seek(frames - 2));
    char tail[8] = {};
    uint32_t wanted = 4;
    ASSERT_EQ(0, codec->Read(tail, &wanted));
    EXPECT_EQ(2u, wanted);
    EXPECT_EQ(last, std::string(tail, 4));
    codec->CloseRead();
    DeleteFileW(path.c_str());
}
