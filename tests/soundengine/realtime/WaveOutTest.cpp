// The waveOut output on Wine's device (a null ALSA device that plays faster than real
// time, so only movement is asserted, never a pace).
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include "SoundTestSupport.h"
#include "aural_channel.h"
#include "sound_output.h"

using namespace soundtest;

namespace {

class WaveOut : public ::testing::Test {
 protected:
  void SetUp() override { ResetEngineRequests(kSoundOutputWaveOut, 11); }
  void TearDown() override {
    Aural_Close();
    EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
  }
  static int PlayPosition() {
    SoundChannel* p = SoundTables.primaryChannel;
    return p->ops.getPosition(p);
  }
  // Waits up to `ms` for the predicate.
  template <typename F>
  static bool WaitFor(F f, int ms) {
    for (int waited = 0; waited < ms; waited += 10) {
      if (f()) return true;
      Sleep(10);
    }
    return f();
  }
};

// Notes which blocks of the loop have passed the clip unit.
struct Clipped {
  static volatile LONG mask;
  static void* Note(void*, void* previous, int, void*) {
    InterlockedOr(&mask, 1 << SoundEngine.mixerDesc->blockIndex);
    return previous;
  }
};
volatile LONG Clipped::mask = 0;

struct Pattern {
  static void* Write(void*, void* previous, int length, void*) {
    auto* p = static_cast<int32_t*>(previous);
    static const int32_t values[8] = {40000, -40000, 32767, -32768, 32768, -32769, 1234, -1};
    for (int i = 0; i < length * 2; ++i) p[i] = values[i & 7];
    return previous;
  }
};

}  // namespace

TEST_F(WaveOut, OpensOnTheDeviceAndItsPositionAdvances) {
  ASSERT_TRUE(Aural_Init(44100, 8)) << SoundError;
  EXPECT_GE(SoundDevices.outputCount, 1);
  EXPECT_NE(SoundDevices.outputNames[0][0], 0);
  EXPECT_NE(SoundEngine.driver->deviceHandle(), 0u);
  EXPECT_EQ(SoundEngine.blockMs, 100) << "waveOut asks for the long buffer";
  EXPECT_EQ(SoundEngine.bufferLength, 8192);
  EXPECT_EQ(SoundEngine.bufferMs, 185);
  EXPECT_NE(SoftwareOutput.thread, nullptr);

  const int first = PlayPosition();
  EXPECT_TRUE(WaitFor([&] { return PlayPosition() != first; }, 2000));
  EXPECT_TRUE(WaitFor([] { return SoundEngine.mixerDesc->blockIndex != 0; }, 2000)) << "the mixer follows";
  EXPECT_EQ(SoundOutput_WatchdogState().outputRestarted, 0);

  // Mono mixers open the device mono: the primary buffer holds 2 bytes per sample.
  Aural_Close();
  ResetEngineRequests(kSoundOutputWaveOut, 9);
  ASSERT_TRUE(Aural_Init(22050, 2));
  void *p1, *p2;
  uint32_t l1, l2;
  ASSERT_TRUE(SoundSample_Lock(SoundTables.primarySample, 0, 1 << 30, &p1, &l1, &p2, &l2));
  EXPECT_EQ(l1, static_cast<uint32_t>(SoundEngine.bufferLength * 2));
}

TEST_F(WaveOut, ClipUnitWritesSaturatedSamplesIntoThePrimaryBuffer) {
  ASSERT_TRUE(Aural_Init(44100, 2));
  SoundDspUnit* unit = AuralDsp_Create(Pattern::Write, 50, nullptr);
  ASSERT_NE(unit, nullptr);
  unit->active = 1;
  SoundDspUnit* after = AuralDsp_Create(Clipped::Note, 1500, nullptr);
  ASSERT_NE(after, nullptr);
  after->active = 1;
  const LONG all = (1 << SoftwareOutput.blockCount) - 1;
  ASSERT_TRUE(WaitFor([&] { return Clipped::mask == all; }, 5000)) << Clipped::mask;
  void *p1, *p2;
  uint32_t l1, l2;
  ASSERT_TRUE(SoundSample_Lock(SoundTables.primarySample, 0, SoundEngine.bufferLength * 4, &p1, &l1, &p2, &l2));
  const int16_t want[8] = {32767, -32768, 32767, -32768, 32767, -32768, 1234, -1};
  const auto* out = static_cast<const int16_t*>(p1);
  for (int i = 0; i < SoundEngine.bufferLength * 2; ++i) ASSERT_EQ(out[i], want[i & 7]) << i;
}

TEST_F(WaveOut, WatchdogRestartsAStalledDevice) {
  ASSERT_TRUE(Aural_Init(44100, 2));
  HWAVEOUT device = reinterpret_cast<HWAVEOUT>(SoundEngine.driver->deviceHandle());
  ASSERT_TRUE(WaitFor([] { return PlayPosition() > 0; }, 2000));
  // A paused device stands still: 80 still rounds of the mixer later it is reopened.
  ASSERT_EQ(waveOutPause(device), MMSYSERR_NOERROR);
  ASSERT_TRUE(WaitFor([] { return SoundOutput_WatchdogState().outputRestarted != 0; }, 5000));
  EXPECT_NE(SoundEngine.driver->deviceHandle(), 0u);
  const int after = PlayPosition();
  EXPECT_TRUE(WaitFor([&] { return PlayPosition() != after; }, 2000)) << "the new device plays";
}

TEST_F(WaveOut, MissingDeviceFailsWithOutputError) {
  SoundDevices.selectedOutput = 37;
  EXPECT_FALSE(Aural_Init(44100, 2));
  EXPECT_EQ(SoundError, kSoundErrOutputFailed);
  EXPECT_FALSE(SoundEngine.initialised);
  EXPECT_EQ(SoundEngine.bufferMs, -1);
  SoundDevices.selectedOutput = -1;
  const int threads = ThreadCount();
  for (int cycle = 0; cycle < 3; ++cycle) {
    ASSERT_TRUE(Aural_Init(44100, 2)) << cycle;
    Aural_Close();
    EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0) << cycle;
  }
  EXPECT_LE(ThreadCount(), threads + 2) << "cycles do not pile up threads (Wine's audio threads may stay)";
}

// Writing the loop header to a device that has gone away fails with error 5, and the
// engine still closes cleanly. (Done well inside the watchdog's 400 ms.)
TEST_F(WaveOut, FailedLoopWriteReportsPlaybackStartError) {
  ASSERT_TRUE(Aural_Init(44100, 2));
  SoundChannel* primary = SoundTables.primaryChannel;
  ASSERT_TRUE(primary->ops.stop(primary));
  ASSERT_EQ(waveOutClose(reinterpret_cast<HWAVEOUT>(SoundEngine.driver->deviceHandle())), MMSYSERR_NOERROR);
  SoundError = kSoundErrNone;
  EXPECT_FALSE(SoundChannel_StartPrimary());
  EXPECT_EQ(SoundError, kSoundErrPlaybackStart);
}

// 32 resampling voices on the real device for ten seconds of playback, counted in the
// samples the device played (Wine's device runs faster than real time, so wall time says
// nothing). The mixer's own accounting must show the play cursor never came back to a
// block before it was mixed again. The loop is two seconds long: on a loaded test machine
// Wine's threads can stand still for longer than the usual 185 ms loop lasts there.
TEST_F(WaveOut, MixerKeepsThirtyTwoChannelsFedForTenSecondsOfPlayback) {
  constexpr int kChannels = 32, kRate = 44100;
  SoundEngine.bufferMs = 1000;
  ASSERT_TRUE(Aural_Init(kRate, kChannels));
  ASSERT_GE(SoundEngine.bufferMs, 1900);
  std::vector<int16_t> tone(kRate);
  for (int i = 0; i < kRate; ++i) tone[i] = static_cast<int16_t>((i * 613) % 16000 - 8000);
  SoundSample* s = MakeSample16(tone, SoundMode::Mono | SoundMode::LoopForward);
  ASSERT_NE(s, nullptr);
  for (int i = 0; i < kChannels; ++i) {
    const int h = Aural_PlaySound(kChannelFree, s);
    ASSERT_GE(h, 0) << i;
    ASSERT_TRUE(Aural_SetChannelRate(h, 22050 + i * 1421));
    ASSERT_TRUE(Aural_SetVolume(h, 40));
  }
  EXPECT_EQ(Aural_CountActiveChannels(), kChannels);
  const uint64_t target = 10ull * kRate;
  ASSERT_TRUE(WaitFor([&] { return SoftwareOutput.samplesPlayed >= target; }, 120000))
      << "played " << SoftwareOutput.samplesPlayed;
  const uint64_t played = SoftwareOutput.samplesPlayed, mixed = SoftwareOutput.blocksMixed;
  EXPECT_EQ(SoftwareOutput.underruns, 0);
  EXPECT_EQ(SoundOutput_WatchdogState().outputRestarted, 0);
  EXPECT_GE(mixed, played / SoundEngine.blockLength) << "every block played was mixed";
  EXPECT_EQ(Aural_CountActiveChannels(), kChannels) << "looping voices play on";
  EXPECT_GT(SoundEngine.mixerCpu, 0) << "the mixer's processor use is measured";
}
