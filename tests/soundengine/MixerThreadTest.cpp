// The mixer thread on a silent real-time output: plays, steals and frees while it mixes,
// and a close that waits for a slow block instead of freeing under it.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "SoundTestSupport.h"
#include "aural_channel.h"

using namespace soundtest;
using namespace SoundMode;

namespace {

constexpr int kSilentRealtimeOutput = 2;

struct SlowUnit {
  static std::atomic<int> state;  // 0 waiting, 1 inside the slow block, 2 left it
  static void* Callback(void*, void* previous, int, void*) {
    int expected = 0;
    if (state.compare_exchange_strong(expected, 1)) {
      Sleep(1500);  // longer than any fixed give-up time
      state = 2;
    }
    return previous;
  }
};
std::atomic<int> SlowUnit::state{0};

}  // namespace

TEST(MixerThread, CloseWaitsForTheBlockInProgress) {
  ResetEngineRequests(kSilentRealtimeOutput, 11);
  ASSERT_TRUE(Aural_Init(44100, 4));
  SoundDspUnit* unit = AuralDsp_Create(SlowUnit::Callback, 300, nullptr);
  ASSERT_NE(unit, nullptr);
  unit->active = 1;
  for (int waited = 0; SlowUnit::state == 0 && waited < 5000; waited += 5) Sleep(5);
  ASSERT_EQ(SlowUnit::state, 1);
  const int threads = ThreadCount();
  Aural_Close();
  EXPECT_EQ(SlowUnit::state, 2) << "close returned only after the block had passed";
  EXPECT_EQ(SoftwareOutput.thread, nullptr);
  EXPECT_LT(ThreadCount(), threads);
  EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
}

// Voices started, stolen, stopped and their samples freed at random while the mixer
// thread walks the channel lists: nothing reads a freed sample or a mismatched buffer.
TEST(MixerThread, PlayStealAndFreeWhileTheMixerRuns) {
  ResetEngineRequests(kSilentRealtimeOutput, 11);
  ASSERT_TRUE(Aural_Init(44100, 4));
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xFFFF; };
  std::vector<SoundSample*> samples(6, nullptr);
  const uint64_t start = SoftwareOutput.blocksMixed;
  for (int round = 0; round < 400; ++round) {
    const int k = next() % samples.size();
    if (!samples[k] || next() % 4 == 0) {
      if (samples[k]) SoundSample_Free(samples[k]);
      const int frames = 50 + static_cast<int>(next() % 40000);
      std::vector<int16_t> data(frames * 2, static_cast<int16_t>(k * 1000));
      samples[k] = MakeSample16(data, (k % 2 ? Stereo : Mono) | (k % 3 ? LoopForward : NoLoop));
      ASSERT_NE(samples[k], nullptr);
    }
    const int h = Aural_PlaySound(kChannelFree, samples[k]);
    if (h >= 0) {
      Aural_SetChannelRate(h, 8000 + static_cast<int>(next() % 90000));
      if (next() % 5 == 0) Aural_StopChannel(h);
    }
    if (round % 20 == 0) Sleep(2);
  }
  for (int waited = 0; SoftwareOutput.blocksMixed < start + 20 && waited < 5000; waited += 5) Sleep(5);
  EXPECT_GE(SoftwareOutput.blocksMixed, start + 20) << "the mixer ran alongside";
  Aural_Close();
  EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
}
