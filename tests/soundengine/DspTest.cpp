// The DSP chain on the non-realtime output: each Aural_Update runs one block through
// the units in priority order, so changes to the chain show at the next block.
#include <gtest/gtest.h>

#include <cstring>

#include "SoundTestSupport.h"
#include "aural_dsp.h"

using namespace soundtest;

namespace {

class Dsp : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEngineRequests(kSoundOutputNonRealtime, 11);
    ASSERT_TRUE(Aural_Init(44100, 4));
  }
  void TearDown() override {
    Aural_Close();
    EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
  }
};

// Writes `value` into every element of the block it is handed.
struct Writer {
  int32_t value;
  static void* Callback(void*, void* previous, int length, void* user) {
    auto* p = static_cast<int32_t*>(previous);
    for (int i = 0; i < length * 2; ++i) p[i] = static_cast<Writer*>(user)->value;
    return previous;
  }
};

std::vector<int> PrioritiesOfChain() {
  std::vector<int> priorities;
  SoundLink* head = AuralDsp_ChainHead();
  for (SoundLink* l = head->next; l != head; l = l->next) priorities.push_back(reinterpret_cast<SoundDspUnit*>(l)->priority);
  return priorities;
}

}  // namespace

TEST_F(Dsp, UnitsRunInPriorityOrderAndChangesTakeEffectAtTheNextBlock) {
  std::vector<int> order;
  Capture a{1, &order}, b{2, &order}, c{3, &order}, d{4, &order};
  SoundDspUnit* ua = AddCapture(&a, 300);
  SoundDspUnit* ub = AddCapture(&b, 300);  // same priority: behind a
  SoundDspUnit* uc = AddCapture(&c, 50);
  SoundDspUnit* ud = AddCapture(&d, 1500);
  ASSERT_TRUE(ua && ub && uc && ud);
  EXPECT_EQ(PrioritiesOfChain(), (std::vector<int>{0, 0, 50, 100, 200, 300, 300, 1000, 1500}))
      << "clear and the stream unit at 0, mix 100, music 200, clip 1000";

  ASSERT_TRUE(Aural_Update());
  EXPECT_EQ(order, (std::vector<int>{3, 1, 2, 4}));
  EXPECT_EQ(a.last.size(), static_cast<size_t>(2 * SoundEngine.blockLength));

  order.clear();
  AuralDsp_SetPriority(AuralDsp_ChainHead(), ub, 20);
  ASSERT_TRUE(Aural_Update());
  EXPECT_EQ(order, (std::vector<int>{2, 3, 1, 4})) << "moved in front";

  order.clear();
  EXPECT_TRUE(AuralDsp_Free(uc));
  Capture e{5, &order};
  AddCapture(&e, 300);  // behind a, the last of priority 300
  ASSERT_TRUE(Aural_Update());
  EXPECT_EQ(order, (std::vector<int>{2, 1, 5, 4})) << "removed and inserted";

  order.clear();
  ua->active = 0;
  ASSERT_TRUE(Aural_Update());
  EXPECT_EQ(order, (std::vector<int>{2, 5, 4})) << "an inactive unit is skipped";
}

TEST_F(Dsp, BuiltInUnitsClearAndMixBeforeLaterUnits) {
  Writer early{12345}, zeroPriority{-7};
  Capture afterClear{1}, afterMix{2};
  SoundDspUnit* w = AuralDsp_Create(Writer::Callback, 50, &early);
  w->active = 1;
  AddCapture(&afterMix, 300);
  ASSERT_TRUE(Aural_Update());
  for (int32_t v : afterMix.last) ASSERT_EQ(v, 12345) << "nothing plays: the mix adds nothing";

  // A unit created at priority 0 runs behind the clear unit and sees a cleared block.
  AuralDsp_Free(w);
  SoundDspUnit* z = AuralDsp_Create(Writer::Callback, 0, &zeroPriority);
  z->active = 1;
  AddCapture(&afterClear, 1);
  ASSERT_TRUE(Aural_Update());
  for (int32_t v : afterClear.last) ASSERT_EQ(v, -7);
  AuralDsp_Free(z);
  ASSERT_TRUE(Aural_Update());
  for (int32_t v : afterClear.last) ASSERT_EQ(v, 0) << "the clear unit empties every block";
}

TEST_F(Dsp, PriorityEdgesAndChainMembership) {
  Capture c{1};
  SoundDspUnit* u = AddCapture(&c, -40);
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->priority, 0) << "negative priorities count as 0";
  AuralDsp_SetPriority(AuralDsp_ChainHead(), u, -1);
  EXPECT_EQ(u->priority, 0);
  EXPECT_TRUE(AuralDsp_IsInChain(u));
  EXPECT_TRUE(AuralDsp_IsInChain(nullptr)) << "a null unit counts as present";

  SoundDspUnit stray = {};
  EXPECT_FALSE(AuralDsp_IsInChain(&stray));
  EXPECT_FALSE(AuralDsp_Free(&stray)) << "freeing a unit outside the chain does nothing";
  EXPECT_FALSE(AuralDsp_Free(nullptr));
  EXPECT_TRUE(AuralDsp_Free(u));
  EXPECT_TRUE(AuralDsp_IsInChain(nullptr));

  Aural_Close();
  EXPECT_FALSE(AuralDsp_IsInChain(nullptr));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam) << "the chain is empty after close";
}

// A voice played on a software channel through the engine: the capture unit behind the
// mix unit sees source x gain, with the gains of the volume and pan given.
TEST_F(Dsp, VoicesMixThroughTheDefaultMixUnit) {
  for (int mixer : {10, 11, 8, 9}) {
    ResetEngineRequests(kSoundOutputNonRealtime, mixer);
    ASSERT_TRUE(Aural_Init(44100, 4)) << mixer;
    const bool mono = mixer == 8 || mixer == 9;
    const bool quality = mixer == 9 || mixer == 11;
    const int length = 3000;
    SoundSample* s = SoundSample_Alloc(-1, length, SoundMode::Pcm16 | SoundMode::Mono | SoundMode::NoLoop, 22050, 255, 128);
    ASSERT_NE(s, nullptr);
    void *p1, *p2;
    uint32_t l1, l2;
    ASSERT_TRUE(SoundSample_Lock(s, 0, length * 2, &p1, &l1, &p2, &l2));
    ASSERT_EQ(l1, static_cast<uint32_t>(length * 2));
    auto* data = static_cast<int16_t*>(p1);
    for (int i = 0; i < length; ++i) data[i] = static_cast<int16_t>((i * 37) % 20000 - 10000);
    ASSERT_TRUE(SoundSample_Unlock(s, p1, l1, p2, l2));
    EXPECT_EQ(s->loopEnd, length);

    SoundChannel* ch = Aural_GetChannel(0);
    ASSERT_NE(ch, nullptr);
    ASSERT_TRUE(ch->ops.setSample(ch, s));
    ch->ops.setFrequency(ch, 22050);  // half the mix rate: step 0.5
    ch->ops.setPan(ch, 64);
    ch->ops.setVolume(ch, 200);
    ASSERT_TRUE(ch->ops.start(nullptr, ch, s));
    EXPECT_EQ(Aural_CountActiveChannels(), 1);

    Capture cap{1};
    cap.channels = mono ? 1 : 2;
    AddCapture(&cap, 300);
    ASSERT_TRUE(Aural_Update());
    const int gl = SoundPanTable[191] * 200 / 255, gr = SoundPanTable[64] * 200 / 255, gm = (gl + gr) / 2;
    ASSERT_EQ(cap.last.size(), static_cast<size_t>(1024 * cap.channels));
    for (int i = 0; i < 1024; ++i) {
      const int idx = i / 2;
      int src = data[idx];
      if (quality && (i & 1)) src = (data[idx] + data[idx + 1]) >> 1;  // weight one half
      if (mono) {
        ASSERT_EQ(cap.last[i], (src * gm) >> 8) << mixer << " " << i;
      } else {
        ASSERT_EQ(cap.last[2 * i], (src * gl) >> 8) << mixer << " " << i;
        ASSERT_EQ(cap.last[2 * i + 1], (src * gr) >> 8) << mixer << " " << i;
      }
    }
    EXPECT_EQ(ch->position, 512);
    ch->ops.stop(ch);
    ASSERT_TRUE(Aural_Update());
    for (int32_t v : cap.last) ASSERT_EQ(v, 0) << "a stopped channel leaves the mix";
  }
}

// Units linked, moved and freed while the mixer thread walks the chain.
TEST(DspRealtime, ChainChangesWhileTheMixerRuns) {
  ResetEngineRequests(2, 11);
  ASSERT_TRUE(Aural_Init(44100, 2));
  static volatile LONG calls = 0;
  auto count = [](void*, void* previous, int, void*) -> void* {
    InterlockedIncrement(&calls);
    return previous;
  };
  for (int i = 0; i < 300; ++i) {
    SoundDspUnit* u = AuralDsp_Create(count, 100 + i % 500, nullptr);
    ASSERT_NE(u, nullptr);
    u->active = 1;
    Sleep(1);
    AuralDsp_SetPriority(AuralDsp_ChainHead(), u, 700 - i % 500);
    Sleep(i % 3);
    ASSERT_TRUE(AuralDsp_Free(u));
  }
  EXPECT_GT(calls, 0) << "the mixer met the units while they came and went";
  Aural_Close();
  EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
}
