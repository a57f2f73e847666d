// WAV files whose header sizes do not match the file: written to a pipe by ffmpeg and
// sox (the writer could not seek back to fix the sizes), declaring more data than they
// hold, or with a damaged chunk size. They play what the file holds, and no declared
// size makes the reader allocate beyond the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "LoadPeak.h"
#include "ReaderTestSupport.h"
#include "StreamTestSupport.h"

using namespace readertest;

namespace {

// The engine's largest use of memory while armed (in-use bytes before a request plus
// the request), seen through its allocation callbacks.
int64_t g_peak = -1;
void Note(size_t bytes) {
  if (g_peak >= 0) g_peak = std::max(g_peak, SoundMem_GetState().bytesInUse + static_cast<int64_t>(bytes));
}
void* PeakMalloc(size_t bytes) {
  Note(bytes);
  return std::malloc(bytes);
}
void* PeakRealloc(void* block, size_t bytes) {
  Note(bytes);
  return std::realloc(block, bytes);
}

class WavSizeTest : public ReaderTest {};

}  // namespace

TEST_F(WavSizeTest, PipeWrittenFilesPlayTheirRealLength) {
  struct File {
    const char *wav, *reference;
    int rate;
  };
  for (const File& f : {File{"pipe_ffmpeg.wav", "pipe_ffmpeg.raw", 44100}, File{"pipe_sox.wav", "pipe_sox.raw", 48000}}) {
    SCOPED_TRACE(f.wav);
    const std::vector<int16_t> ref = Raw16(f.reference);
    ASSERT_EQ(ref.size(), static_cast<size_t>(f.rate / 2)) << "half a second, mono";
    SoundSample* sample = SoundSample_Load(-1, Path(f.wav).c_str(), 0, 0, 0, nullptr);
    ASSERT_NE(sample, nullptr) << SoundError;
    EXPECT_EQ(sample->frequency, f.rate);
    ASSERT_EQ(sample->length, static_cast<int>(ref.size()));
    EXPECT_EQ(0, std::memcmp(sample->data, ref.data(), ref.size() * 2)) << "the samples are ffmpeg's";
    SoundSample_Free(sample);

    SoundStream* s = AuralStream_Open(Path(f.wav).c_str(), 0, 0, 0);
    ASSERT_NE(s, nullptr) << SoundError;
    EXPECT_EQ(s->lengthSamples, static_cast<int>(ref.size()));
    EXPECT_EQ(AuralStream_GetLengthMs(s), 500);
    EXPECT_EQ(0, std::memcmp(Ring(s), ref.data(), static_cast<size_t>(std::min(HalfFrames(s), s->lengthSamples)) * 2));
    EXPECT_TRUE(AuralStream_Close(s));
  }
}

TEST_F(WavSizeTest, DataDeclaredBeyondTheFileIsCutToIt) {
  using namespace streamtest;
  // 2 KB of file declaring 64 MiB of data.
  std::string wav = BuildWav(1, 8000, 1000);
  const size_t sizeAt = DataChunk(wav).first - 4;
  for (int i = 0; i < 4; ++i) wav[sizeAt + i] = static_cast<char>((64u << 20) >> (8 * i));
  const int bytes = static_cast<int>(wav.size());
  SoundSample* sample = SoundSample_Load(-1, wav.data(), SoundMode::FromMemory, 0, bytes, nullptr);
  ASSERT_NE(sample, nullptr) << SoundError;
  EXPECT_EQ(sample->length, 1000);
  SoundSample_Free(sample);
  SoundStream* s = AuralStream_Open(wav.data(), SoundMode::FromMemory, 0, bytes);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->lengthSamples, 1000);
  EXPECT_EQ(AuralStream_GetLengthMs(s), 125);
  EXPECT_TRUE(AuralStream_Close(s));
}

TEST_F(WavSizeTest, DamagedFormatSizeCostsNoMoreThanTheFile) {
  // 14 KB of a file made by sox, its "fmt " size damaged.
  std::string wav = Bytes("wav16_stereo.wav");
  ASSERT_GT(wav.size(), 14000u);
  wav.resize(14000);
  ASSERT_EQ(wav.compare(12, 4, "fmt "), 0);
  Aural_Close();
  ASSERT_TRUE(SoundMem_UseCallbacks(PeakMalloc, PeakRealloc, std::free));
  ASSERT_TRUE(Aural_Init(44100, 8));
  // The most the engine holds, beyond what it held before, while it opens the bytes as a
  // stream and loads them as a sample; and how long that takes.
  const auto tryBoth = [](const std::string& bytes, double* ms) {
    const int size = static_cast<int>(bytes.size());
    const int64_t before = SoundMem_GetState().bytesInUse;
    g_peak = before;
    LARGE_INTEGER t0, t1, hz;
    QueryPerformanceCounter(&t0);
    SoundStream* s = AuralStream_Open(bytes.data(), SoundMode::FromMemory, 0, size);
    if (s) AuralStream_Close(s);
    SoundSample* sample = SoundSample_Load(-1, bytes.data(), SoundMode::FromMemory, 0, size, nullptr);
    if (sample) SoundSample_Free(sample);
    QueryPerformanceCounter(&t1);
    QueryPerformanceFrequency(&hz);
    const int64_t peak = g_peak - before;
    g_peak = -1;
    *ms = (t1.QuadPart - t0.QuadPart) * 1000.0 / hz.QuadPart;
    return peak;
  };
  double ms = 0;
  // What trying costs for any file: 14 KB that no reader takes.
  const int64_t anyFile = tryBoth(std::string(wav.size(), '\x5a'), &ms);
  for (uint32_t size : {0x78000010u, 0x20000010u}) {
    SCOPED_TRACE(size);
    for (int i = 0; i < 4; ++i) wav[16 + i] = static_cast<char>(size >> (8 * i));
    const int64_t peak = tryBoth(wav, &ms);
    RecordProperty("open_and_load_ms_" + std::to_string(size), std::to_string(ms));
    std::printf("\"fmt \" size 0x%08X: stream open and sample load %.1f ms, at most %lld bytes (any file: %lld)\n",
                size, ms, static_cast<long long>(peak), static_cast<long long>(anyFile));
    EXPECT_LE(peak - anyFile, static_cast<int64_t>(wav.size())) << "bytes held beyond what any file costs";
  }
  Aural_Close();
  EXPECT_TRUE(SoundMem_UseCallbacks(nullptr, nullptr, nullptr));
}

TEST_F(WavSizeTest, MsAdpcmBlocksAreSizedByTheirLayoutNotTheConverter) {
  using namespace streamtest;
  // sox's stereo MS ADPCM file (blocks of 1024 bytes holding 1012 frames).
  const std::string sox = FixtureBytes("msadpcm.wav");
  ASSERT_EQ(sox.compare(12, 4, "fmt "), 0);
  ASSERT_EQ(U32(sox, 20) & 0xFFFF, 2u) << "MS ADPCM";
  constexpr size_t kBlockAlignAt = 32, kSamplesPerBlockAt = 38;
  const auto with = [&](size_t at, uint16_t v) {
    std::string f = sox;
    f[at] = static_cast<char>(v), f[at + 1] = static_cast<char>(v >> 8);
    return f;
  };
  const auto refused = [](const std::string& f) {
    const int size = static_cast<int>(f.size());
    bool opened = true;
    const int64_t peak = loadpeak::PeakOf([&] {
      SoundStream* s = AuralStream_Open(f.data(), SoundMode::FromMemory, 0, size);
      const int32_t streamError = SoundError;
      SoundSample* sample = SoundSample_Load(-1, f.data(), SoundMode::FromMemory, 0, size, nullptr);
      opened = s || sample || streamError != kSoundErrUnknownFormat || SoundError != kSoundErrUnknownFormat;
      if (s) AuralStream_Close(s);
      if (sample) SoundSample_Free(sample);
    });
    return !opened && peak < (int64_t{1} << 20);
  };
  // Blocks too small for the two 7-byte channel headers: the converter counted
  // (align - 14) + 2 frames a block, 65,526 and more once below zero.
  for (uint16_t align : {1, 6, 11, 13}) EXPECT_TRUE(refused(with(kBlockAlignAt, align))) << "block align " << align;
  // sox's own file, and copies whose samples per block claim more than a block holds,
  // are sized as their blocks decode.
  for (uint16_t frames : {1012, 1013, 0xFFFF}) {
    const std::string f = with(kSamplesPerBlockAt, frames);
    SoundStream* s = AuralStream_Open(f.data(), SoundMode::FromMemory, 0, static_cast<int>(f.size()));
    ASSERT_NE(s, nullptr) << SoundError;
    EXPECT_EQ(s->decodedBytes, static_cast<int>((DataChunk(sox).second / 1024) * 1012 * 4)) << frames;
    EXPECT_TRUE(AuralStream_Close(s));
  }
}
