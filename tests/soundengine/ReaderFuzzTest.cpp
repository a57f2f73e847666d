// Mutated WAV, MP3, Ogg Vorbis, tagged, AIFF and sample-bank files, opened as streams
// (and played a little) and loaded as samples: no crash, no hang, and every refusal is
// one of the readers' error codes. Bounded in time; the seed is fixed so a failure repeats.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "BankTestSupport.h"
#include "ReaderTestSupport.h"

using namespace readertest;

namespace {

constexpr auto kTimePerFile = std::chrono::seconds(3);

bool ReaderError(int32_t e) {
  return e == kSoundErrUnknownFormat || e == kSoundErrReadError || e == kSoundErrNoMemory || e == kSoundErrInvalidParam;
}

class ReaderFuzzTest : public ReaderTest {};

}  // namespace

TEST_F(ReaderFuzzTest, MutatedFilesFailCleanly) {
  std::mt19937 rng(12);
  // The MP3 files carry an ID3v2 tag at the start and an ID3v1 block at the end. The
  // bank holds PCM with sync points and IMA ADPCM.
  std::vector<std::pair<std::string, std::string>> files;
  for (const char* file : {"wav8_mono.wav", "mp3_128_stereo.mp3", "mp3_64_mono.mp3", "mp2_stereo.mp2", "ogg_mono.ogg"})
    files.emplace_back(file, Bytes(file));
  files.emplace_back("aiff_m8_8000.aiff", banktest::Bytes("aiff_m8_8000.aiff"));
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
  files.emplace_back("bank", banktest::BuildBank({pcm, adpcm}, true, 0x30001));
  for (const auto& [file, bytes] : files) {
    SCOPED_TRACE(file);
    std::string original = bytes;
    ASSERT_FALSE(original.empty());
    if (original.size() > 12000) original.resize(12000);
    int runs = 0, opened = 0;
    const auto until = std::chrono::steady_clock::now() + kTimePerFile;
    while (std::chrono::steady_clock::now() < until) {
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
      ++runs;
    }
    RecordProperty(file + "_runs", runs);
    EXPECT_GT(runs, 5);
    EXPECT_GT(opened, 0) << "some mutations leave a playable file";
  }
}
