// Mutated modules (the built effect modules of every format and, when the reference step
// fetched them, real ones) are refused or played, never crash, never hang, and free everything.
#include <chrono>
#include <random>

#include "EffectModules.h"
#include "TrackerTestSupport.h"

using namespace trackertest;

namespace {

constexpr double kBudgetSeconds = 20;       // of mutation runs
constexpr int kBlocksPerRun = 130;          // about three seconds of song
constexpr double kMaxSecondsPerRun = 2.0;   // one load and play, on a loaded machine

class TrackerFuzzTest : public SongTest {};

std::vector<uint8_t> Mutate(std::vector<uint8_t> b, std::mt19937& rng) {
  const int kind = rng() % 4;
  const size_t n = b.size();
  if (n == 0) return b;
  if (kind == 0) {  // scattered bytes
    for (int i = 0, count = 1 + rng() % 16; i < count; ++i) b[rng() % n] = static_cast<uint8_t>(rng());
  } else if (kind == 1) {  // header fields: counts, pointers, lengths, tags
    for (int i = 0, count = 1 + rng() % 6; i < count; ++i) b[rng() % std::min<size_t>(n, 1100)] = static_cast<uint8_t>(rng());
  } else if (kind == 2) {  // cut short
    b.resize(rng() % n);
  } else {  // extreme values in a run of bytes
    const size_t at = rng() % n;
    for (size_t i = at; i < n && i < at + 8; ++i) b[i] = (rng() & 1) ? 0xFF : 0x00;
  }
  return b;
}

}  // namespace

TEST_F(TrackerFuzzTest, MutatedModulesNeverCrashOrHang) {
  std::vector<std::vector<uint8_t>> seeds;
  for (const effectmods::EffectModule& m : effectmods::All()) seeds.push_back(m.build());
  if (ReferencesMissing().empty()) {
    const std::string folder = RefPath("modules\\");
    for (const char* pattern : {"*.mod", "*.s3m", "*.xm", "*.it"}) {
      std::vector<std::string> files = FilesIn(folder, pattern);
      for (size_t i = 0; i < files.size() && i < 10; ++i) seeds.push_back(ReadBytes(files[i]));
    }
  }
  std::mt19937 rng(20260);
  int runs = 0, played = 0;
  const auto start = std::chrono::steady_clock::now();
  double slowest = 0;
  while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < kBudgetSeconds) {
    const std::vector<uint8_t> mutant = Mutate(seeds[runs % seeds.size()], rng);
    const auto t0 = std::chrono::steady_clock::now();
    if (Load(mutant)) {
      ASSERT_TRUE(Music_StartSong(&song_));
      for (int i = 0; i < kBlocksPerRun && song_.playing; ++i) Aural_Update();
      ++played;
    } else {
      // A sample window that the damaged file cannot give fails to open: still a clean refusal.
      EXPECT_TRUE(SoundError == kSoundErrUnknownFormat || SoundError == kSoundErrReadError ||
                  SoundError == kSoundErrNoMemory || SoundError == kSoundErrSongSample ||
                  SoundError == kSoundErrFileOpen)
          << SoundError;
    }
    Music_FreeSong(&song_);
    slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    ++runs;
  }
  RecordProperty("runs", runs);
  RecordProperty("played", played);
  RecordProperty("slowest_ms", static_cast<int>(slowest * 1000));
  EXPECT_LT(slowest, kMaxSecondsPerRun);
  EXPECT_GT(played, runs / 10) << "most mutants still play";
}
