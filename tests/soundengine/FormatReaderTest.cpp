// WAV, MPEG audio and Ogg Vorbis files made by sox, lame, ffmpeg and oggenc: what the
// readers decode matches an independent decoder, lengths agree to the frame, seeks land
// where that decoder has the same samples, and damaged headers are refused.
#include <gtest/gtest.h>

#include <cstdio>

#include "ReaderTestSupport.h"
#include "StreamTestSupport.h"
#include "aural_tag.h"

using namespace readertest;

namespace {

// Largest RMS difference to the reference decoder (16-bit steps): libmad works in fixed
// point, Tremor in integers, the references in floating point.
constexpr double kMpegRmsTolerance = 2.0;
constexpr double kVorbisRmsTolerance = 2.0;

struct Coded {
  const char* file;
  const char* reference;
  int channels, rate;
  double tolerance;
};

const Coded kCoded[] = {
    {"mp3_128_stereo.mp3", "mp3_128_stereo.raw", 2, 44100, kMpegRmsTolerance},
    {"mp3_64_mono.mp3", "mp3_64_mono.raw", 1, 22050, kMpegRmsTolerance},
    {"mp3_32_16k.mp3", "mp3_32_16k.raw", 1, 16000, kMpegRmsTolerance},
    {"mp2_stereo.mp2", "mp2_stereo.raw", 2, 44100, kMpegRmsTolerance},
    {"ogg_stereo.ogg", "ogg_stereo.raw", 2, 44100, kVorbisRmsTolerance},
    {"ogg_mono.ogg", "ogg_mono.raw", 1, 22050, kVorbisRmsTolerance},
};

class FormatReaderTest : public ReaderTest {};

}  // namespace

TEST_F(FormatReaderTest, LoadedSamplesMatchTheIndependentDecoder) {
  for (const Coded& c : kCoded) {
    SCOPED_TRACE(c.file);
    const std::vector<int16_t> ref = Raw16(c.reference);
    ASSERT_FALSE(ref.empty());
    SoundSample* s = SoundSample_Load(-1, Path(c.file).c_str(), 0, 0, 0, nullptr);
    ASSERT_NE(s, nullptr) << SoundError;
    EXPECT_EQ(s->length, static_cast<int>(ref.size()) / c.channels) << "length to the frame";
    EXPECT_EQ(s->frequency, c.rate);
    EXPECT_EQ((s->mode & SoundMode::Stereo) != 0, c.channels == 2);
    const size_t n = std::min(ref.size(), static_cast<size_t>(s->length) * c.channels);
    const auto* pcm = static_cast<const int16_t*>(s->data);
    const double err = RmsDiff(pcm, ref.data(), n);
    RecordProperty(std::string(c.file) + "_rms", std::to_string(err));
    EXPECT_LT(err, c.tolerance);
    EXPECT_GT(Rms(pcm, n), 4000.0) << "the tone is there";
    SoundSample_Free(s);
  }
}

TEST_F(FormatReaderTest, StreamsKnowTheirLengthAndSeekWhereTheReferenceIs) {
  for (const Coded& c : kCoded) {
    SCOPED_TRACE(c.file);
    const std::vector<int16_t> ref = Raw16(c.reference);
    const int frames = static_cast<int>(ref.size()) / c.channels;
    SoundStream* s = AuralStream_Open(Path(c.file).c_str(), SoundMode::MpegFrameTable, 0, 0);
    ASSERT_NE(s, nullptr) << SoundError;
    EXPECT_EQ(s->lengthSamples, frames) << "exact length";
    EXPECT_NEAR(AuralStream_GetLengthMs(s), frames * 1000.0 / c.rate, 1.0);
    for (int third : {0, 1, 2}) {
      SCOPED_TRACE(third);
      const int ms = AuralStream_GetLengthMs(s) * third / 3;
      ASSERT_TRUE(AuralStream_SetTime(s, ms));
      const int target = static_cast<int>(static_cast<int64_t>(ms) * c.rate / 1000);
      const int n = std::min(HalfFrames(s), frames - target) * c.channels;
      const double err = RmsDiff(Ring(s), ref.data() + static_cast<size_t>(target) * c.channels, n);
      EXPECT_LT(err, c.tolerance) << "seek to " << ms << " ms";
      // One frame off would be far off: the tone's phase moves.
      EXPECT_GT(RmsDiff(Ring(s), ref.data() + static_cast<size_t>(target + 1) * c.channels, n), c.tolerance * 4);
    }
    EXPECT_TRUE(AuralStream_Close(s));
  }
}

TEST_F(FormatReaderTest, MpegLengthEstimateIsWithinAFrame) {
  for (const char* file : {"mp3_128_stereo.mp3", "mp3_64_mono.mp3"}) {
    SCOPED_TRACE(file);
    SoundStream* exact = AuralStream_Open(Path(file).c_str(), SoundMode::MpegFrameTable, 0, 0);
    SoundStream* estimate = AuralStream_Open(Path(file).c_str(), 0, 0, 0);
    ASSERT_NE(exact, nullptr);
    ASSERT_NE(estimate, nullptr);
    EXPECT_NEAR(estimate->lengthSamples, exact->lengthSamples, 1152);
    EXPECT_TRUE(AuralStream_Close(exact));
    EXPECT_TRUE(AuralStream_Close(estimate));
  }
}

TEST_F(FormatReaderTest, HalfRateMpegHalvesRateAndFrames) {
  SoundStream* full = AuralStream_Open(Path("mp3_128_stereo.mp3").c_str(), SoundMode::MpegFrameTable, 0, 0);
  SoundStream* half =
      AuralStream_Open(Path("mp3_128_stereo.mp3").c_str(), SoundMode::MpegFrameTable | SoundMode::HalfRateMpeg, 0, 0);
  ASSERT_NE(full, nullptr);
  ASSERT_NE(half, nullptr);
  EXPECT_EQ(half->ringSample->frequency, 22050);
  EXPECT_EQ(half->lengthSamples * 2, full->lengthSamples);
  EXPECT_TRUE(AuralStream_Close(full));
  EXPECT_TRUE(AuralStream_Close(half));
}

TEST_F(FormatReaderTest, MpegHeaderScan) {
  const std::string mp3 = Bytes("mp3_32_16k.mp3");
  ASSERT_FALSE(mp3.empty());
  // 1000 bytes of garbage, one of them a lone header pattern, before the first frame.
  std::string junk(1000, '\x11');
  junk[100] = '\xFF', junk[101] = '\xFB', junk[102] = '\x90', junk[103] = '\x64';
  const std::string shifted = junk + mp3;
  SoundStream* plain = AuralStream_Open(mp3.data(), SoundMode::FromMemory | SoundMode::MpegFrameTable, 0, static_cast<int>(mp3.size()));
  SoundStream* s = AuralStream_Open(shifted.data(), SoundMode::FromMemory | SoundMode::MpegFrameTable, 0,
                                    static_cast<int>(shifted.size()));
  ASSERT_NE(plain, nullptr) << SoundError;
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->dataOffset, plain->dataOffset + 1000);
  EXPECT_EQ(s->lengthSamples, plain->lengthSamples);
  EXPECT_EQ(0, std::memcmp(Ring(s), Ring(plain), HalfFrames(s) * 2));
  EXPECT_TRUE(AuralStream_Close(s));
  EXPECT_TRUE(AuralStream_Close(plain));

  // Layer I headers are refused.
  std::string layer1 = mp3;
  for (size_t i = 0; i + 1 < layer1.size(); ++i)
    if (static_cast<uint8_t>(layer1[i]) == 0xFF && (layer1[i + 1] & 0xE0) == 0xE0) layer1[i + 1] |= 0x06;
  EXPECT_EQ(AuralStream_Open(layer1.data(), SoundMode::FromMemory, 0, static_cast<int>(layer1.size())), nullptr);
  EXPECT_EQ(SoundError, kSoundErrUnknownFormat);
}

TEST_F(FormatReaderTest, MpegFramesCountAtTheirOwnSize) {
  // A silent layer II frame (1152 samples, 24 kHz stereo, 384 bytes), then 4,000 of the
  // smallest layer III frames at that rate (576 samples in 24 bytes).
  auto frame = [](const char* header, size_t bytes) { return std::string(header, 4) + std::string(bytes - 4, '\0'); };
  std::string file = frame("\xFF\xF5\x84\x00", 384);
  for (int i = 0; i < 4000; ++i) file += frame("\xFF\xF3\x14\x00", 24);
  const int frames = 1152 + 4000 * 576;
  const int size = static_cast<int>(file.size());
  SoundMem_ResetHighWater();
  const int64_t before = SoundMem_GetState().bytesInUse;
  SoundSample* s = SoundSample_Load(-1, file.data(), SoundMode::FromMemory, 0, size, nullptr);
  const int64_t peak = SoundMem_GetState().bytesHighWater - before;
  ASSERT_NE(s, nullptr) << SoundError;
  std::printf("%d-byte file: peak %lld bytes as a sample\n", size, static_cast<long long>(peak));
  RecordProperty("sample_peak_bytes", std::to_string(peak));
  EXPECT_EQ(s->length, frames);
  EXPECT_LT(peak, int64_t{frames} * 4 + 2 * size) << "the decoded frames and the file's data";
  SoundSample_Free(s);
  SoundStream* exact = AuralStream_Open(file.data(), SoundMode::FromMemory | SoundMode::MpegFrameTable, 0, size);
  ASSERT_NE(exact, nullptr) << SoundError;
  EXPECT_EQ(exact->lengthSamples, frames);
  EXPECT_TRUE(AuralStream_Close(exact));
}

TEST_F(FormatReaderTest, RiffWrappedMpegGoesToTheMpegReader) {
  using namespace streamtest;
  const std::string mp3 = Bytes("mp3_32_16k.mp3");
  std::string fmt;
  Put16(fmt, 0x55);
  Put16(fmt, 1);
  Put32(fmt, 16000);
  Put32(fmt, 4000);
  Put16(fmt, 1);
  Put16(fmt, 0);
  std::string body = "WAVE";
  Chunk(body, "fmt ", fmt);
  Chunk(body, "data", mp3);
  std::string riff = "RIFF";
  Put32(riff, static_cast<uint32_t>(body.size()));
  riff += body;
  SoundStream* s = AuralStream_Open(riff.data(), SoundMode::FromMemory | SoundMode::MpegFrameTable, 0,
                                    static_cast<int>(riff.size()));
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->lengthSamples, static_cast<int>(Raw16("mp3_32_16k.raw").size()));
  EXPECT_TRUE(AuralStream_Close(s));
}

TEST_F(FormatReaderTest, WavSamplesAreTheFileData) {
  using namespace streamtest;
  const std::string w8 = Bytes("wav8_mono.wav");
  const auto d8 = DataChunk(w8);
  SoundSample* s8 = SoundSample_Load(-1, Path("wav8_mono.wav").c_str(), 0, 0, 0, nullptr);
  ASSERT_NE(s8, nullptr) << SoundError;
  ASSERT_EQ(s8->length, static_cast<int>(d8.second));
  EXPECT_EQ(s8->frequency, 22050);
  for (size_t i = 0; i < d8.second; ++i)
    ASSERT_EQ(static_cast<const int8_t*>(s8->data)[i], static_cast<uint8_t>(w8[d8.first + i]) - 128) << i;
  SoundSample_Free(s8);

  const std::vector<int16_t> pcm = Pcm16(Bytes("wav16_stereo.wav"));
  SoundSample* s16 = SoundSample_Load(-1, Path("wav16_stereo.wav").c_str(), 0, 0, 0, nullptr);
  ASSERT_NE(s16, nullptr) << SoundError;
  ASSERT_EQ(s16->length * 2, static_cast<int>(pcm.size()));
  EXPECT_EQ(0, std::memcmp(s16->data, pcm.data(), pcm.size() * 2));
  SoundSample_Free(s16);
}

TEST_F(FormatReaderTest, WavCueLabelsAndSamplerLoop) {
  using namespace streamtest;
  std::string cue;
  Put32(cue, 3);
  for (uint32_t id : {1u, 2u, 3u}) {
    std::string r;
    Put32(r, id);
    Put32(r, 0);
    r += "data";
    Put32(r, 0);
    Put32(r, 0);
    Put32(r, id == 1 ? 3000 : id == 2 ? 1000 : 2000);
    cue += r;
  }
  std::string adtl = "adtl";
  std::string l1, l3;
  Put32(l1, 1);
  l1 += "one";  // odd size: a pad byte follows
  Put32(l3, 3);
  l3 += "three";
  l3.push_back('\0');
  Chunk(adtl, "labl", l1);
  Chunk(adtl, "labl", l3);
  std::string smpl(60, '\0');
  for (int i = 0; i < 4; ++i) smpl[44 + i] = static_cast<char>((500 >> (8 * i)) & 0xFF);
  for (int i = 0; i < 4; ++i) smpl[48 + i] = static_cast<char>((1500 >> (8 * i)) & 0xFF);
  std::string extra;
  Chunk(extra, "cue ", cue);
  Chunk(extra, "LIST", adtl);
  Chunk(extra, "smpl", smpl);
  const std::string wav = BuildWav(1, 8000, 4000, extra);

  SoundStream* s = AuralStream_Open(wav.data(), SoundMode::FromMemory, 0, static_cast<int>(wav.size()));
  ASSERT_NE(s, nullptr) << SoundError;
  std::vector<std::pair<uint32_t, std::string>> points;
  for (SoundSyncPoint* p = s->syncList->next; p != AuralSync_Tail(s->syncList); p = p->next)
    points.emplace_back(p->offset, p->name);
  const std::vector<std::pair<uint32_t, std::string>> expected = {{1000, ""}, {2000, "three"}, {3000, "one"}};
  EXPECT_EQ(points, expected);
  EXPECT_EQ(s->loopStart, 500);
  EXPECT_EQ(s->loopEnd, 1500);
  EXPECT_TRUE(AuralStream_Close(s));

  SoundSample* sample = SoundSample_Load(-1, wav.data(), SoundMode::FromMemory, 0, static_cast<int>(wav.size()), nullptr);
  ASSERT_NE(sample, nullptr) << SoundError;
  EXPECT_EQ(sample->loopStart, 500);
  EXPECT_EQ(sample->loopLength, 1001);
  EXPECT_TRUE(sample->mode & SoundMode::LoopForward);
  SoundSample_Free(sample);
}

TEST_F(FormatReaderTest, ImpossibleWavFormatsAreRefused) {
  using namespace streamtest;
  // Each case patches one field of a valid file's "fmt " block (which starts at 20).
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    int bytes;
  };
  const Case cases[] = {{"channels 0", 22, 0, 2},     {"rate 0", 24, 0, 4},     {"block align 0", 32, 0, 2},
                        {"24-bit PCM", 34, 24, 2},     {"12-bit PCM", 34, 12, 2},
                        {"rate 768001, above every reader's", 24, 768001, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string wav = BuildWav(2, 8000, 100);
    for (int i = 0; i < c.bytes; ++i) wav[c.at + i] = static_cast<char>((c.value >> (8 * i)) & 0xFF);
    EXPECT_EQ(AuralStream_Open(wav.data(), SoundMode::FromMemory, 0, static_cast<int>(wav.size())), nullptr);
    EXPECT_EQ(SoundError, kSoundErrUnknownFormat);
    EXPECT_EQ(SoundSample_Load(-1, wav.data(), SoundMode::FromMemory, 0, static_cast<int>(wav.size()), nullptr), nullptr);
    EXPECT_EQ(SoundError, kSoundErrUnknownFormat);
  }
  // IMA ADPCM with an empty "data" chunk.
  std::string fmt;
  Put16(fmt, 0x11);
  Put16(fmt, 1);
  Put32(fmt, 8000);
  Put32(fmt, 4000);
  Put16(fmt, 256);
  Put16(fmt, 4);
  Put16(fmt, 2);
  Put16(fmt, 505);
  std::string body = "WAVE";
  Chunk(body, "fmt ", fmt);
  Chunk(body, "data", "");
  std::string riff = "RIFF";
  Put32(riff, static_cast<uint32_t>(body.size()));
  riff += body;
  EXPECT_EQ(AuralStream_Open(riff.data(), SoundMode::FromMemory, 0, static_cast<int>(riff.size())), nullptr);
  EXPECT_EQ(SoundError, kSoundErrUnknownFormat);
}

TEST_F(FormatReaderTest, OggRefusals) {
  const std::string ogg = Bytes("ogg_mono.ogg");
  std::string damaged = ogg;
  for (size_t i = 30; i < 120 && i < damaged.size(); ++i) damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
  const int64_t before = SoundMem_GetState().allocationsInUse;
  EXPECT_EQ(AuralStream_Open(damaged.data(), SoundMode::FromMemory, 0, static_cast<int>(damaged.size())), nullptr);
  EXPECT_EQ(SoundError, kSoundErrUnknownFormat);
  EXPECT_EQ(SoundMem_GetState().allocationsInUse, before) << "no decoder state left behind";
}

TEST_F(FormatReaderTest, TremorAllocatesFromTheEngine) {
  const auto allocationsOf = [](const char* file) {
    const int32_t before = SoundMem_GetState().allocationsInUse;
    SoundStream* s = AuralStream_Open(Path(file).c_str(), 0, 0, 0);
    EXPECT_NE(s, nullptr) << file;
    const int32_t during = SoundMem_GetState().allocationsInUse - before;
    if (s) AuralStream_Close(s);
    return during;
  };
  // A WAV stream holds a handful of blocks; Tremor's codebooks, buffers and stream
  // state add dozens more, all counted (and, by the fixture's end, all freed).
  EXPECT_GT(allocationsOf("ogg_stereo.ogg"), allocationsOf("wav16_stereo.wav") + 20);
}
