// Channels played through the engine and rendered on the non-realtime output, one block
// per Aural_Update. A capture unit behind the mix unit sees the 32-bit mix; the expected
// values come from the mixing rules worked out here (pan law, x256 scale, loop paths).
#include <gtest/gtest.h>

#include <vector>

#include "SoundTestSupport.h"
#include "aural_channel.h"

using namespace soundtest;
using namespace SoundMode;

namespace {

constexpr int kBlock = 1024;

class Channels : public ::testing::Test {
 protected:
  void SetUp() override { Start(10, 4); }
  void TearDown() override {
    Aural_Close();
    EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
  }
  void Start(int mixer, int channels) {
    ResetEngineRequests(kSoundOutputNonRealtime, mixer);
    ASSERT_TRUE(Aural_Init(44100, channels));
    cap = Capture{1};
    ASSERT_NE(AddCapture(&cap, 999), nullptr);
  }
  // Renders one block; the capture holds its left/right pairs.
  const std::vector<int32_t>& Render() {
    EXPECT_TRUE(Aural_Update());
    return cap.last;
  }
  Capture cap;
};

std::vector<int16_t> Pattern(int n, int seed) {
  std::vector<int16_t> v(n);
  for (int i = 0; i < n; ++i) v[i] = static_cast<int16_t>(((i + seed) * 7919) % 60000 - 30000);
  return v;
}

// The frame a forward loop over [s, e) plays at output n (step 1, lead-in from 0).
int ForwardFrame(int n, int s, int e) { return n < e ? n : s + (n - e) % (e - s); }

// The value a back-and-forth loop over [s, e) plays at output n (step 1): up to the end,
// the guard (the last value again), down to just above the start, up from the start.
int PingPongValue(const std::vector<int16_t>& d, int n, int s, int e) {
  if (n < e) return d[n];
  const int k = (n - e) % (2 * (e - s));
  if (k < e - s) return k == 0 ? d[e - 1] : d[e - k];
  return d[s + k - (e - s)];
}

}  // namespace

TEST_F(Channels, RateVolumeAndPanShapeTheMix) {
  const std::vector<int16_t> data = Pattern(4000, 3);
  SoundSample* s = MakeSample16(data, Mono | NoLoop | No3d, 22050);  // half the mix rate
  ASSERT_NE(s, nullptr);
  s->volume = 200;
  s->pan = 64;
  const int h = Aural_PlaySound(kChannelFree, s);
  ASSERT_GE(h, 0) << SoundError;
  EXPECT_EQ(Aural_GetVolume(h), 200);
  const auto& out = Render();
  const int gl = PanGain(255 - 64, 200), gr = PanGain(64, 200);
  for (int i = 0; i < kBlock; ++i) {
    ASSERT_EQ(out[2 * i], (data[i / 2] * gl) >> 8) << i;
    ASSERT_EQ(out[2 * i + 1], (data[i / 2] * gr) >> 8) << i;
  }

  // Master volume 128 halves what is not absolute: 200 reaches the output as 100.
  Aural_SetMasterVolume(128);
  EXPECT_EQ(Aural_GetChannel(h)->driverVolume, 100);
  ASSERT_TRUE(Aural_SetVolumeAbsolute(h, 200));
  EXPECT_EQ(Aural_GetChannel(h)->driverVolume, 200);
  Aural_SetMasterVolume(255);
  EXPECT_EQ(Aural_GetChannel(h)->driverVolume, 200) << "absolute volumes ignore the master volume";
  ASSERT_TRUE(Aural_SetVolume(h, 300));
  EXPECT_EQ(Aural_GetVolume(h), 255) << "clipped";

  // Pan separation: full keeps 0 and 255, none centres everything, -1 passes.
  ASSERT_TRUE(Aural_SetPan(h, 0));
  EXPECT_EQ(Aural_GetChannel(h)->pan, 0);
  ASSERT_TRUE(Aural_SetPan(h, 999));
  EXPECT_EQ(Aural_GetChannel(h)->pan, 255);
  SoundEngine.panSeparation = 0;
  ASSERT_TRUE(Aural_SetPan(h, 3));
  EXPECT_EQ(Aural_GetChannel(h)->pan, 128);
  ASSERT_TRUE(Aural_SetPan(h, -1));
  EXPECT_EQ(Aural_GetChannel(h)->pan, -1);
  SoundEngine.panSeparation = 256;

  // 3 x the mix rate with the interpolating mixer: every third frame, the fraction 0.
  Start(11, 4);
  SoundSample* fast = MakeSample16(data, Mono | NoLoop | No3d, 44100);
  ASSERT_NE(fast, nullptr);
  const int h2 = Aural_PlaySound(kChannelFree, fast);
  ASSERT_GE(h2, 0);
  ASSERT_TRUE(Aural_SetChannelRate(h2, 3 * 44100));
  ASSERT_TRUE(Aural_SetPan(h2, 255));
  const auto& out2 = Render();
  for (int i = 0; i < kBlock; ++i) {
    ASSERT_EQ(out2[2 * i], 0) << i;
    ASSERT_EQ(out2[2 * i + 1], data[3 * i] * 255 >> 8) << i;
  }
  EXPECT_EQ(SoundChannel_GetPosition(h2), 3 * kBlock);
}

TEST_F(Channels, LoopsWrapAtTheirFramesAcrossBlocks) {
  const std::vector<int16_t> data = Pattern(700, 11);
  SoundSample* fwd = MakeSample16(data, Mono | LoopForward | No3d);
  SoundSample* bidi = MakeSample16(data, Mono | LoopPingPong | No3d);
  ASSERT_TRUE(fwd && bidi);
  ASSERT_TRUE(SoundSample_SetLoopPoints(fwd, 100, 399));   // frames 100..399
  ASSERT_TRUE(SoundSample_SetLoopPoints(bidi, 250, 649));  // frames 250..649
  const int hf = Aural_PlaySound(kChannelFree, fwd);
  const int hb = Aural_PlaySound(kChannelFree, bidi);
  ASSERT_GE(hf, 0);
  ASSERT_GE(hb, 0);
  ASSERT_TRUE(Aural_SetPan(hf, 0));    // forward loop on the left only
  ASSERT_TRUE(Aural_SetPan(hb, 255));  // back-and-forth on the right only
  for (int block = 0; block < 4; ++block) {
    const auto& out = Render();
    for (int i = 0; i < kBlock; ++i) {
      const int n = block * kBlock + i;
      ASSERT_EQ(out[2 * i], data[ForwardFrame(n, 100, 400)] * 255 >> 8) << "forward, output " << n;
      ASSERT_EQ(out[2 * i + 1], PingPongValue(data, n, 250, 650) * 255 >> 8) << "back-and-forth, output " << n;
    }
  }
}

// Settings made between two blocks take effect from the first frame of the next one;
// the position carries on from where the last block left it.
TEST_F(Channels, RatePauseAndStopTakeEffectAtTheNextBlock) {
  const std::vector<int16_t> data = Pattern(20000, 5);
  SoundSample* s = MakeSample16(data, Mono | NoLoop | No3d);
  ASSERT_NE(s, nullptr);
  const int h = Aural_PlaySound(kChannelFree, s);
  ASSERT_GE(h, 0);
  ASSERT_TRUE(Aural_SetPan(h, 255));
  Render();
  EXPECT_EQ(SoundChannel_GetPosition(h), kBlock);

  ASSERT_TRUE(Aural_SetChannelRate(h, 88200));  // step 2 from the next block
  const auto& out = Render();
  for (int i = 0; i < kBlock; ++i) ASSERT_EQ(out[2 * i + 1], data[kBlock + 2 * i] * 255 >> 8) << i;
  EXPECT_EQ(SoundChannel_GetPosition(h), 3 * kBlock);

  Aural_SetPaused(h, TRUE);
  EXPECT_TRUE(Aural_GetPaused(h));
  for (int32_t v : Render()) ASSERT_EQ(v, 0) << "a paused channel adds nothing";
  EXPECT_EQ(SoundChannel_GetPosition(h), 3 * kBlock) << "and stands still";
  Aural_SetPaused(h, FALSE);
  EXPECT_EQ(Render()[1], data[3 * kBlock] * 255 >> 8) << "it resumes where it stood";

  Aural_StopChannel(h);
  for (int32_t v : Render()) ASSERT_EQ(v, 0) << "a stopped channel leaves the mix";
  EXPECT_EQ(SoundChannel_GetSample(h & 0xFFF), nullptr);
}

TEST_F(Channels, StaleHandlesFailAndSerialsWrap) {
  SoundSample* s = MakeSample16(Pattern(50000, 1), Mono | NoLoop);
  ASSERT_NE(s, nullptr);
  const int h = Aural_PlaySound(kChannelFree, s);
  ASSERT_GE(h, 0);
  ASSERT_NE(h & 0x7FFFF000, 0) << "handles carry a serial";
  EXPECT_TRUE(SoundChannel_QueryState(h));
  Aural_StopChannel(h);
  EXPECT_EQ(SoundError, kSoundErrNone);
  for (int i = 0; i < 3; ++i) {
    SoundError = kSoundErrNone;
    BOOL ok = TRUE;
    switch (i) {
      case 0: ok = Aural_SetVolume(h, 10); break;
      case 1: ok = Aural_SetPan(h, 10); break;
      case 2: ok = SoundChannel_QueryState(h); break;
    }
    EXPECT_FALSE(ok) << i;
    EXPECT_EQ(SoundError, kSoundErrInvalidParam) << i;
  }
  EXPECT_NE(Aural_GetChannel(h & 0xFFF), nullptr) << "the plain index still reaches the channel";

  // A new play on the same channel makes yet another handle; the stale one stays dead.
  const int h2 = Aural_PlaySound(h & 0xFFF, s);
  EXPECT_EQ(h2 & 0xFFF, h & 0xFFF);
  EXPECT_NE(h2, h);
  EXPECT_EQ(Aural_GetChannel(h), nullptr);
  EXPECT_EQ(Aural_PlaySound(h, s), -1) << "a stale handle does not take the channel over";
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_EQ(Aural_GetChannel(h2)->sample, s);

  // After 0x7FFFF handles the serial starts again at 1.
  SoundChannel* ch = Aural_GetChannel(1);
  ch->serial = 0x7FFFE;
  EXPECT_EQ(SoundChannel_NewHandle(1), 1 | 0x7FFFE << 12);
  EXPECT_EQ(SoundChannel_NewHandle(1), 1 | 0x7FFFF << 12);
  EXPECT_EQ(SoundChannel_NewHandle(1), 1 | 1 << 12);
  EXPECT_EQ(SoundChannel_NewHandle(-1000), -1000);
  EXPECT_EQ(SoundChannel_NewHandle(4), -1);
}

TEST_F(Channels, TheSearchTakesFreeChannelsThenStealsTheLeastImportant) {
  SoundSample* s = MakeSample16(Pattern(50000, 1), Mono | NoLoop);
  ASSERT_NE(s, nullptr);
  const int priorities[4] = {200, 50, 90, 50};
  int handles[4];
  for (int i = 0; i < 4; ++i) {
    s->priority = priorities[i];
    handles[i] = Aural_PlaySound(kChannelFree, s);
    ASSERT_EQ(handles[i] & 0xFFF, i) << "the search rotates through free channels";
  }
  // Channels 1 and 3 share the lowest priority; the quieter of them goes first.
  ASSERT_TRUE(Aural_SetVolume(handles[1], 200));
  ASSERT_TRUE(Aural_SetVolume(handles[3], 100));
  s->priority = 49;
  EXPECT_EQ(Aural_PlaySound(kChannelFree, s), -1) << "less important than anything playing";
  EXPECT_EQ(SoundError, kSoundErrNoChannel);
  s->priority = 50;
  const int stolen = Aural_PlaySound(kChannelFree, s);
  EXPECT_EQ(stolen & 0xFFF, 3);
  EXPECT_EQ(Aural_GetChannel(handles[3]), nullptr) << "the stolen voice's handle died";

  // Reserved channels are never taken.
  ASSERT_TRUE(SoundChannel_SetFlag8(handles[1], TRUE));
  s->priority = 255;
  const int next = Aural_PlaySound(kChannelFree, s);
  EXPECT_EQ(next & 0xFFF, 3) << "channel 1 (priority 50) is reserved; 3 now has 50 and is next";
  ASSERT_TRUE(SoundChannel_SetFlag8(handles[1], FALSE));

  // A sample at its playback limit takes no channel, even one it could steal.
  Aural_StopChannel(kChannelAll);
  s->maxPlaybacks = 2;
  EXPECT_GE(Aural_PlaySound(kChannelFree, s), 0);
  EXPECT_GE(Aural_PlaySound(kChannelFree, s), 0);
  EXPECT_EQ(Aural_PlaySound(kChannelFree, s), -1);
  EXPECT_EQ(Aural_CountActiveChannels(), 2);
  s->maxPlaybacks = -1;

  int list[16];
  for (int& e : list) e = kChannelFree;
  EXPECT_EQ(Aural_PlaySoundOnList(list, 16, s, nullptr, FALSE), -1);
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_EQ(Aural_PlaySound(kChannelFree, nullptr), -1);
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_EQ(Aural_PlaySound(4, s), -1);
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  SoundDspUnit stray = {};
  EXPECT_EQ(Aural_PlaySoundOnList(list, 1, s, &stray, FALSE), -1);
  EXPECT_EQ(SoundError, kSoundErrInvalidParam) << "a unit outside the chain";
  Aural_Close();
  EXPECT_EQ(Aural_PlaySound(kChannelFree, s = nullptr), -1);
  EXPECT_EQ(SoundError, kSoundErrNotInitialised);
  EXPECT_FALSE(Aural_SetVolume(0, 1));
  EXPECT_EQ(SoundError, kSoundErrNotInitialised);
}

// An interleaved three-channel sample takes three channels, one per part; the handle
// reaches all of them and stopping it frees all three.
TEST_F(Channels, MultiChannelSamplesPlayOnAChainOfChannels) {
  constexpr int kFrames = 3000, kParts = 3;
  SoundSample* s = SoundSample_CreateStreamBuffer(0, kFrames, Pcm16 | MultiChannel | LoopForward | No3d, 44100,
                                                   255, 128, 255, kParts);
  ASSERT_NE(s, nullptr);
  std::vector<int16_t> interleaved(kFrames * kParts);
  for (int f = 0; f < kFrames; ++f)
    for (int c = 0; c < kParts; ++c) interleaved[f * kParts + c] = static_cast<int16_t>((c + 1) * 1000 + f % 700);
  ASSERT_TRUE(SoundSample_UploadAll(s, interleaved.data(), Pcm16 | MultiChannel));

  const int h = Aural_PlaySound(kChannelFree, s);
  ASSERT_GE(h, 0) << SoundError;
  EXPECT_EQ(Aural_CountActiveChannels(), kParts);
  SoundChannel* head = Aural_GetChannel(h);
  int parts = 0;
  for (SoundChannel* c = head; c; c = c->nextLinked, ++parts) {
    EXPECT_EQ(c->sample, s);
    EXPECT_EQ(c->linked != 0, c != head);
    EXPECT_EQ(c->flags & kChannelReserved, 0u) << "the marks are cleared once the chain stands";
  }
  EXPECT_EQ(parts, kParts);
  ASSERT_TRUE(Aural_SetPan(h, 255));  // reaches the whole chain
  const auto& out = Render();
  for (int i = 0; i < kBlock; ++i) {
    int32_t sum = 0;
    for (int c = 0; c < kParts; ++c) sum += interleaved[i * kParts + c] * 255 >> 8;
    ASSERT_EQ(out[2 * i + 1], sum) << i;
    ASSERT_EQ(out[2 * i], 0) << i;
  }

  // A voice that steals a linked channel takes it out of the chain: stopping the chain
  // later leaves the new voice playing.
  SoundSample* solo = MakeSample16(Pattern(5000, 4), Mono | NoLoop);
  ASSERT_NE(solo, nullptr);
  ASSERT_TRUE(Aural_SetVolume(h, 100));
  ASSERT_TRUE(Aural_SetVolume(head->index, 255));  // the head alone stays loud
  const int first = Aural_PlaySound(kChannelFree, solo);
  EXPECT_EQ(first & 0xFFF, 3) << "the free channel first";
  const int stolen = Aural_PlaySound(kChannelFree, solo);
  ASSERT_GE(stolen, 0);
  EXPECT_NE(stolen & 0xFFF, head->index) << "the quieter linked channel is stolen";
  for (SoundChannel* c = head; c; c = c->nextLinked) EXPECT_NE(c->index, stolen & 0xFFF);
  Aural_StopChannel(h);
  EXPECT_EQ(Aural_CountActiveChannels(), 2);
  EXPECT_EQ(SoundChannel_GetSample(stolen), solo);
  Aural_StopChannel(kChannelAll);

  // Not enough channels for every part: the play fails and leaves nothing allocated.
  Start(10, 2);
  SoundSample* wide = SoundSample_CreateStreamBuffer(0, 100, Pcm16 | MultiChannel, 44100, 255, 128, 255, kParts);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(Aural_PlaySound(kChannelFree, wide), -1);
  EXPECT_EQ(SoundError, kSoundErrNoChannel);
  EXPECT_EQ(Aural_CountActiveChannels(), 0);
  SoundSample_Free(wide);
  SoundSample_Free(s);
}

// Samples without No3d are positional: the listener sits at the origin, its right along x.
TEST_F(Channels, PositionalSoundPansAndAttenuatesByDistance) {
  SoundSample* s = MakeSample16(Pattern(30000, 2), Mono | LoopForward);
  ASSERT_NE(s, nullptr);
  const int h = Aural_PlaySound(kChannelFree, s);
  ASSERT_GE(h, 0);
  SoundChannel* ch = Aural_GetChannel(h);
  EXPECT_EQ(ch->pan, 128) << "at the listener: straight ahead";
  EXPECT_EQ(ch->volumeScale, 255);

  const float right[3] = {1.0f, 0.0f, 0.0f};
  ASSERT_TRUE(Aural_Set3DAttributes(h, right, nullptr));
  EXPECT_EQ(ch->position3d[0], 256);
  EXPECT_EQ(ch->pan, 255) << "straight to the right";
  // Four units ahead: the distance estimate without a root is 1024 - 1024/16 = 960
  // (x256), so the volume scale is (256 x 256 / 960) x 255 / 256.
  const float ahead[3] = {0.0f, 0.0f, 4.0f};
  ASSERT_TRUE(Aural_Set3DAttributes(h, ahead, nullptr));
  EXPECT_EQ(ch->pan, 128);
  EXPECT_EQ(ch->volumeScale, (256 * 256 / 960) * 255 / 256);
  // A velocity of 34 units per second along z: the estimate of position - velocity is
  // 7680 - 480, and the frequency scale (340 x 256 - (960 - 7200)) / 340.
  const float velocity[3] = {0.0f, 0.0f, 34.0f};
  ASSERT_TRUE(Aural_Set3DAttributes(h, ahead, velocity));
  EXPECT_EQ(ch->frequencyScale, (87040 - (960 - 7200)) / 340);

  EXPECT_EQ(SoundMath_FloatToFixed8(-1.999f), -511);
  EXPECT_EQ(SoundMath_FloatToFixed8(0.5f), 128);
}

// A voice played through a unit of the caller's mixes at that unit's place in the chain;
// when the unit goes, the voice plays on through the default mix unit.
TEST_F(Channels, AGivenUnitMixesItsVoicesWhereItStands) {
  const std::vector<int16_t> data = Pattern(20000, 8);
  SoundSample* s = MakeSample16(data, Mono | NoLoop | No3d);
  ASSERT_NE(s, nullptr);
  s->pan = 255;
  Capture late{2};
  ASSERT_NE(AddCapture(&late, 1200), nullptr);
  SoundDspUnit* unit = AuralDsp_Create(nullptr, 1100, nullptr);
  ASSERT_NE(unit, nullptr);
  unit->active = 1;
  const int list[1] = {kChannelFree};
  const int h = Aural_PlaySoundOnList(list, 1, s, unit, FALSE);
  ASSERT_GE(h, 0) << SoundError;
  EXPECT_EQ(unit->userData, unit);
  Render();
  for (int i = 0; i < kBlock; ++i) {
    ASSERT_EQ(cap.last[2 * i + 1], 0) << "nothing yet before the clip unit, " << i;
    ASSERT_EQ(late.last[2 * i + 1], data[i] * 255 >> 8) << i;
  }
  ASSERT_TRUE(AuralDsp_Free(unit));
  Render();
  EXPECT_EQ(cap.last[1], data[kBlock] * 255 >> 8) << "moved to the default mix unit";
}
