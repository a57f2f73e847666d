// Real Ogg Vorbis files written by others (oggenc at several qualities, rates and
// channel counts, ffmpeg's two encoders, the sound themes of Debian packages) pass the
// setup-header checks: each opens as a stream and loads as a sample that holds what
// ffmpeg decodes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "RealOggFixtures.h"
#include "ReaderTestSupport.h"

namespace {

std::string Fixture(const std::string& name) { return soundtest::FixtureBytes(RealOggFixtures::kDirectory, name.c_str()); }

class RealOggFiles : public readertest::ReaderTest {};

}  // namespace

TEST_F(RealOggFiles, OpenAndDecodeAsFfmpegDoes) {
  std::string status = Fixture("status");
  status = status.substr(0, status.find('\n'));
  if (status.compare(0, 2, "ok") != 0) GTEST_SKIP() << "no real Ogg files: " << status;
  std::istringstream names(Fixture("files"));
  int files = 0;
  double worst = 0;
  for (std::string name; std::getline(names, name);) {
    SCOPED_TRACE(name);
    const std::string ogg = Fixture(name), raw = Fixture(name + ".raw");
    ASSERT_FALSE(ogg.empty() || raw.empty());
    SoundStream* stream = AuralStream_Open(ogg.data(), SoundMode::FromMemory, 0, static_cast<int>(ogg.size()));
    EXPECT_NE(stream, nullptr) << SoundError;
    if (stream) AuralStream_Close(stream);
    SoundSample* s = SoundSample_Load(-1, ogg.data(), SoundMode::FromMemory, 0, static_cast<int>(ogg.size()), nullptr);
    ASSERT_NE(s, nullptr) << SoundError;
    const int channels = (s->mode & SoundMode::Stereo) ? 2 : 1;
    // ffmpeg cuts the last block at the last page's granule position by its own count,
    // up to half a short block from the decoder's.
    const int64_t frames = static_cast<int64_t>(raw.size()) / (channels * 2);
    EXPECT_LE(std::abs(s->length - frames), 512) << "ffmpeg decodes " << frames << " frames";
    const size_t values = std::min(raw.size() / 2, static_cast<size_t>(s->length) * channels);
    const double rms = readertest::RmsDiff(static_cast<const int16_t*>(s->data),
                                           reinterpret_cast<const int16_t*>(raw.data()), values);
    EXPECT_LT(rms, 4.0) << "16-bit steps from ffmpeg's decoding";
    worst = std::max(worst, rms);
    SoundSample_Free(s);
    ++files;
  }
  std::printf("%d real Ogg Vorbis files (%s); worst RMS from ffmpeg %.2f\n", files, status.c_str(), worst);
  EXPECT_GT(files, 20);
}
