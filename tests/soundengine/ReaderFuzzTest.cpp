// Mutated WAV, MP3, Ogg Vorbis, tagged, AIFF and sample-bank files, opened as streams
// (and played a little) and loaded as samples: no crash, no hang, and every refusal is
// one of the readers' error codes. Every other Ogg mutant has its page checksums set
// again, so the damage reaches the decoder. A fixed number of mutations per file; the
// seed is fixed so a failure repeats. The slowest mutation of each file is recorded.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "BankTestSupport.h"
#include "OggPages.h"
#include "ReaderTestSupport.h"

using namespace readertest;

namespace {

// Far beyond any open of these small files: only a stall gets there.
constexpr double kHangSeconds = 10.0;

bool ReaderError(int32_t e) {
  return e == kSoundErrUnknownFormat || e == kSoundErrReadError || e == kSoundErrNoMemory || e == kSoundErrInvalidParam;
}

class ReaderFuzzTest : public ReaderTest {};

}  // namespace

TEST_F(ReaderFuzzTest, MutatedFilesFailCleanly) {
  std::mt19937 rng(12);
  // The MP3 files carry an ID3v2 tag at the start and an ID3v1 block at the end; the
  // Ogg file has audio pages beside its header pages, so some mutations leave it
  // playable. The bank holds PCM with sync points and IMA ADPCM.
  struct Fuzzed {
    std::string file, bytes;
    int mutations;
  };
  std::vector<Fuzzed> files;
  for (const auto& [file, mutations] : {std::make_pair("wav8_mono.wav", 2000), std::make_pair("mp3_128_stereo.mp3", 2000),
                                        std::make_pair("ogg_stereo.ogg", 2000), std::make_pair("mp3_64_mono.mp3", 300),
                                        std::make_pair("mp2_stereo.mp2", 300)})
    files.push_back({file, Bytes(file), mutations});
  files.push_back({"aiff_m8_8000.aiff", banktest::Bytes("aiff_m8_8000.aiff"), 300});
  banktest::Entry pcm, adpcm;
  pcm.mode = SoundMode::Pcm16 | SoundMode::Mono;
  pcm.data = banktest::Bytes("pcm_1_16.raw").substr(0, 3000);
  pcm.length = 1500;
  pcm.sync = {{10, "a"}, {900, "b"}};
  const banktest::Ima36 ima =
      banktest::ReblockIma(banktest::Bytes("ima_1.wav"), banktest::Raw16(banktest::Bytes("ima_1_ref.raw")), 1, false);
  adpcm.mode = SoundMode::ImaAdpcm | SoundMode::Mono;
  adpcm.data = ima.data.substr(0, 36 * 40);
  adpcm.length = 64 * 40;
  files.push_back({"bank", banktest::BuildBank({pcm, adpcm}, true, 0x30001), 300});
  for (const auto& [file, bytes, mutations] : files) {
    SCOPED_TRACE(file);
    std::string original = bytes;
    ASSERT_FALSE(original.empty());
    if (original.size() > 12000) original.resize(12000);
    int opened = 0;
    double slowest = 0;
    for (int run = 0; run < mutations; ++run) {
      const auto start = std::chrono::steady_clock::now();
      std::string m = original;
      const int edits = 1 + static_cast<int>(rng() % 16);
      for (int e = 0; e < edits; ++e) {
        const size_t at = rng() % m.size();
        switch (rng() % 4) {
          case 0: m[at] = static_cast<char>(rng()); break;
          case 1: m[at] = static_cast<char>(0xFF); break;
          case 2: m[at] ^= static_cast<char>(1 << (rng() % 8)); break;
          default: m.resize(at > 16 ? at : 16); break;  // truncated
        }
      }
      if (run % 2) oggpages::RechecksumAll(&m);
      const int size = static_cast<int>(m.size());
      SoundStream* s = AuralStream_Open(m.data(), SoundMode::FromMemory | SoundMode::MpegFrameTable, 0, size);
      if (s) {
        ++opened;
        const int h = AuralStream_Play(-1, s, nullptr, FALSE);
        for (int i = 0; i < 20 && h != -1; ++i) Aural_Update();
        AuralStream_SetTime(s, AuralStream_GetLengthMs(s) / 2);
        EXPECT_TRUE(AuralStream_Close(s));
      } else {
        ASSERT_TRUE(ReaderError(SoundError)) << SoundError;
      }
      SoundSample* sample = SoundSample_Load(-1, m.data(), SoundMode::FromMemory, 0, size, nullptr);
      if (sample)
        SoundSample_Free(sample);
      else
        ASSERT_TRUE(ReaderError(SoundError)) << SoundError;
      slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    RecordProperty(file + "_slowest_ms", std::to_string(slowest * 1000));
    std::printf("%s: %d mutations, %d opened, slowest %.1f ms\n", file.c_str(), mutations, opened, slowest * 1000);
    EXPECT_LT(slowest, kHangSeconds);
    EXPECT_GT(opened, 0) << "some mutations leave a playable file";
  }
}
