// MP3 files as lame writes them by default, with an information frame ("Xing" for a
// variable, "Info" for a constant bit rate) before the audio: it is not played, and it
// gives the length without the frame table.
#include <gtest/gtest.h>

#include <cstdio>

#include "ReaderTestSupport.h"

using namespace readertest;

namespace {

// lame's encoder delay plus the decoder's own delay: ffmpeg drops both, libmad neither.
constexpr int kCodecDelay = 576 + 529;
constexpr int kFrameSamples = 1152;

// The shift of `ours` against `ref` (both stereo) at which they agree best, and the RMS
// difference there.
std::pair<int, double> Alignment(const int16_t* ours, size_t ourFrames, const std::vector<int16_t>& ref) {
  std::pair<int, double> best = {-1, 1e9};
  const size_t compare = 20000;
  for (int shift = 0; shift <= kCodecDelay + 2 * kFrameSamples; ++shift) {
    if (shift + compare > ourFrames || compare * 2 > ref.size()) break;
    const double rms = RmsDiff(ours + static_cast<size_t>(shift) * 2, ref.data(), compare * 2);
    if (rms < best.second) best = {shift, rms};
  }
  return best;
}

class MpegInfoFrameTest : public ReaderTest {};

}  // namespace

TEST_F(MpegInfoFrameTest, TheInformationFrameIsSkippedAndGivesTheLength) {
  for (const char* name : {"lame_vbr", "lame_cbr"}) {
    SCOPED_TRACE(name);
    const std::string file = Path((std::string(name) + ".mp3").c_str());
    const std::vector<int16_t> ref = Raw16((std::string(name) + ".raw").c_str());
    ASSERT_EQ(ref.size(), 132300u * 2) << "ffmpeg gives the source's three seconds";

    SoundSample* sample = SoundSample_Load(-1, file.c_str(), 0, 0, 0, nullptr);
    ASSERT_NE(sample, nullptr) << SoundError;
    const auto aligned = Alignment(static_cast<const int16_t*>(sample->data), sample->length, ref);
    RecordProperty(std::string(name) + "_offset", aligned.first);
    EXPECT_GE(aligned.first, 0);
    EXPECT_LE(aligned.first, kCodecDelay) << "no leading frame of silence";
    EXPECT_LT(aligned.second, 2.0);
    EXPECT_EQ(sample->length % kFrameSamples, 0);

    // Without the frame table the length comes from the information frame.
    SoundStream* plain = AuralStream_Open(file.c_str(), 0, 0, 0);
    SoundStream* exact = AuralStream_Open(file.c_str(), SoundMode::MpegFrameTable, 0, 0);
    ASSERT_NE(plain, nullptr) << SoundError;
    ASSERT_NE(exact, nullptr) << SoundError;
    std::printf("%s: %d samples decoded, %d from a plain open; %d samples ahead of ffmpeg (RMS %.2f)\n", name,
                sample->length, plain->lengthSamples, aligned.first, aligned.second);
    EXPECT_EQ(exact->lengthSamples, sample->length);
    EXPECT_NEAR(plain->lengthSamples, sample->length, kFrameSamples);
    EXPECT_NEAR(AuralStream_GetLengthMs(plain), sample->length * 1000.0 / 44100, 27.0);
    EXPECT_TRUE(AuralStream_Close(plain));
    EXPECT_TRUE(AuralStream_Close(exact));
    SoundSample_Free(sample);
  }
}
