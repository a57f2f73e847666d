// Initialisation and close: argument checks, the buffer and block choice, output
// selection, the last-error rules, and cycles that leave nothing behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "SoundTestSupport.h"
#include "aural_stream.h"
#include "sound_output.h"

using namespace soundtest;

namespace {

class Engine : public ::testing::Test {
 protected:
  void SetUp() override { ResetEngineRequests(); }
  void TearDown() override {
    Aural_Close();
    EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
  }
};

// Allocation callbacks that fail once a budget of allocations is spent.
int g_allocBudget = -1;
void* BudgetAlloc(size_t n) {
  if (g_allocBudget == 0) return nullptr;
  if (g_allocBudget > 0) --g_allocBudget;
  return std::malloc(n);
}
void* BudgetRealloc(void* p, size_t n) {
  if (g_allocBudget == 0) return nullptr;
  if (g_allocBudget > 0) --g_allocBudget;
  return std::realloc(p, n);
}

}  // namespace

TEST_F(Engine, InitRefusesBadRatesAndChannelCountsWithoutTouchingTheEngine) {
  ASSERT_TRUE(Aural_Init(22050, 8));
  SoundChannel* before = SoundTables.channels;
  const struct {
    int rate, channels;
  } bad[] = {{3999, 1}, {65536, 1}, {44100, 1025}, {44100, -1}, {-44100, 1}};
  for (const auto& b : bad) {
    SoundError = 0;
    EXPECT_FALSE(Aural_Init(b.rate, b.channels)) << b.rate << " " << b.channels;
    EXPECT_EQ(SoundError, kSoundErrInvalidParam);
    EXPECT_TRUE(SoundEngine.initialised);
    EXPECT_EQ(SoundEngine.mixRate, 22050);
    EXPECT_EQ(SoundTables.channels, before);
  }
  EXPECT_TRUE(Aural_Init(4000, 0));
  EXPECT_EQ(SoundTables.primaryChannel, nullptr) << "no software channel, no primary channel";
  EXPECT_EQ(SoundEngine.blockLength, 256);
  EXPECT_TRUE(Aural_Init(65535, 1024));
  EXPECT_EQ(SoundTables.channelCount, 1024);
  EXPECT_EQ(SoundError, kSoundErrNone);
}

TEST_F(Engine, BufferAndBlockFollowTheRequest) {
  // Non-realtime output: 50 ms doubled.
  ASSERT_TRUE(Aural_Init(44100, 4));
  EXPECT_EQ(SoundEngine.blockMs, 50);
  EXPECT_EQ(SoundEngine.blockLength, 1024);
  EXPECT_EQ(SoundEngine.bufferLength, 4096);  // 100 ms = 4410 samples, in whole blocks
  EXPECT_EQ(SoundEngine.bufferMs, 92);
  EXPECT_EQ(SoundEngine.blockDuration, 1024 * 256000 / 44100);
  Aural_Close();
  EXPECT_EQ(SoundEngine.bufferMs, -1) << "closing lets the next initialisation choose again";

  SoundEngine.bufferMs = 40;
  ASSERT_TRUE(Aural_Init(44100, 4));
  EXPECT_EQ(SoundEngine.blockMs, 40);
  EXPECT_EQ(SoundEngine.bufferLength, 3072);  // 80 ms asked
  Aural_Close();

  for (int rate : {44100, 22050, 65535}) {
    ASSERT_TRUE(Aural_Init(rate, 2)) << rate;
    EXPECT_EQ(SoundEngine.blockLength, 1024) << rate;
    EXPECT_GE(SoundEngine.bufferLength, 2 * 1024) << rate;
    Aural_Close();
  }
  SoundEngine.blockLength = 2048;
  ASSERT_TRUE(Aural_Init(44100, 2));
  EXPECT_EQ(SoundEngine.blockLength, 2048) << "a preset block length is kept";
  EXPECT_EQ(SoundEngine.bufferLength % 2048, 0);

  for (int bad : {0, -2, 10001}) {
    ResetEngineRequests();
    SoundEngine.bufferMs = bad;
    EXPECT_FALSE(Aural_Init(44100, 2)) << bad;
    EXPECT_EQ(SoundError, kSoundErrInvalidParam);
    EXPECT_EQ(SoundEngine.bufferMs, bad);
  }
}

TEST_F(Engine, MixerTypesMapOrFailAsTheDescriptorsSay) {
  const struct {
    int type, used;
  } map[] = {{0, 10}, {4, 11}, {8, 8}, {9, 9}, {10, 10}, {11, 11}};
  for (const auto& m : map) {
    ResetEngineRequests(kSoundOutputNonRealtime, m.type);
    ASSERT_TRUE(Aural_Init(44100, 2)) << m.type;
    EXPECT_EQ(SoundEngine.mixerDesc, &SoundMixerDescs[m.used]) << m.type;
    const bool mono = m.used == 8 || m.used == 9;
    // Driver samples also get No3d (0x2000) on creation, and allocated data is signed (0x100).
    EXPECT_EQ(SoundTables.primarySample->mode, mono ? 0x86132u : 0x86152u) << m.type;
    EXPECT_STREQ(SoundTables.primarySample->name, "AURAL Primary MixBuffer");
  }
  for (int type : {1, 2, 3, 5, 6, 7, 12, 13, 14, -1}) {
    ResetEngineRequests(kSoundOutputNonRealtime, type);
    EXPECT_FALSE(Aural_Init(44100, 2)) << type;
    EXPECT_EQ(SoundError, kSoundErrOutputFailed) << type;
    EXPECT_FALSE(SoundEngine.initialised);
    EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0) << type;
  }
}

TEST_F(Engine, OutputSelectionAndErrorCodes) {
  EXPECT_TRUE(Aural_SetOutput(-1));
  EXPECT_EQ(SoundEngine.outputType, kSoundOutputWaveOut);
  EXPECT_EQ(SoundEngine.driver, &WaveOutOutput);
  EXPECT_TRUE(Aural_SetOutput(5));
  EXPECT_EQ(SoundEngine.driver, &NullOutput);
  EXPECT_TRUE(Aural_SetOutput(kSoundOutputNonRealtime));

  EXPECT_EQ(Aural_CountActiveChannels(), 0);
  EXPECT_EQ(SoundError, kSoundErrNotInitialised);
  EXPECT_FALSE(Aural_Update());
  EXPECT_EQ(SoundError, kSoundErrNotInitialised);

  ASSERT_TRUE(Aural_Init(44100, 4));
  EXPECT_FALSE(Aural_SetOutput(kSoundOutputWaveOut));
  EXPECT_EQ(SoundError, kSoundErrOutputLocked);
  EXPECT_EQ(SoundEngine.outputType, kSoundOutputNonRealtime);

  EXPECT_EQ(Aural_GetChannel(4), nullptr);
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_EQ(Aural_GetChannel(-1000), SoundTables.primaryChannel);

  EXPECT_FALSE(SoundEngine.driver->recordStart(1, 0x10, 8000));
  EXPECT_EQ(SoundError, kSoundErrNotSupported);
  EXPECT_FALSE(SoundEngine.driver->setProperties(nullptr));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  SoundOutputProperties in = {}, out = {};
  for (int i = 0; i < 120; ++i) in.bytes[i] = static_cast<uint8_t>(i * 7);
  EXPECT_TRUE(SoundEngine.driver->setProperties(&in));
  EXPECT_TRUE(SoundEngine.driver->getProperties(&out));
  EXPECT_EQ(0, memcmp(in.bytes, out.bytes, 120));
  EXPECT_STREQ(SoundDevices.outputNames[0], "No Sound Driver");

  EXPECT_EQ(SoundSample_Alloc(-1, 100, SoundMode::ImaAdpcm, 8000, 255, 128), nullptr);
  EXPECT_EQ(SoundError, kSoundErrUnknownFormat) << "the software output refuses ADPCM data";
  EXPECT_EQ(SoundSample_Alloc(-1, 0, 0, 8000, 255, 128), nullptr);
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_EQ(Aural_CountActiveChannels(), 0);
  EXPECT_EQ(SoundError, kSoundErrNone);
}

TEST_F(Engine, MasterVolumeAndFileCallbacks) {
  Aural_SetMasterVolume(300);
  EXPECT_EQ(SoundEngine.sfxMasterVolume, 255);
  Aural_SetMasterVolume(-5);
  EXPECT_EQ(SoundEngine.sfxMasterVolume, 0);
  Aural_SetMasterVolume(128);
  EXPECT_EQ(SoundEngine.sfxMasterVolume, 128);

  auto open = [](const char*) -> void* { return reinterpret_cast<void*>(1); };
  auto close = [](void*) {};
  auto read = [](void*, int, void*) { return 0; };
  auto seek = [](void*, int, int) { return 0; };
  auto tell = [](void*) { return 0; };
  EXPECT_EQ(Aural_SetFileCallbacks(open, close, read, seek, tell), static_cast<SoundFileOpenFn>(open));
  EXPECT_TRUE(Aural_FileCallbacksSet());
  EXPECT_EQ(Aural_SetFileCallbacks(open, close, nullptr, seek, tell), nullptr);
  EXPECT_FALSE(Aural_FileCallbacksSet()) << "one missing callback clears all five";
  EXPECT_EQ(SoundTables.fileOpen, nullptr);
}

TEST_F(Engine, OnlyTheOwnerThreadClearsTheLastError) {
  ASSERT_TRUE(Aural_Init(44100, 2));
  std::thread([] { EXPECT_FALSE(Aural_SetOutput(1)); }).join();
  EXPECT_EQ(SoundError, kSoundErrOutputLocked) << "set on another thread";
  std::thread([] { Aural_SetMasterVolume(10); }).join();
  EXPECT_EQ(SoundError, kSoundErrOutputLocked) << "another thread's call does not clear it";
  Aural_SetMasterVolume(10);
  EXPECT_EQ(SoundError, kSoundErrNone) << "the owner's next call does";
  SoundError = kSoundErrNoChannel;
  std::thread([] { Aural_Close(); }).join();
  EXPECT_EQ(SoundError, kSoundErrNone) << "close clears it on any thread";
}

// Every allocation of an initialisation fails in turn: each failure reports error 12,
// frees what was made and gives the caller's buffer request back untouched.
TEST_F(Engine, EveryFailedInitialisationLeavesNothingAndKeepsTheRequest) {
  ASSERT_TRUE(SoundMem_UseCallbacks(BudgetAlloc, BudgetRealloc, std::free));
  int budget = 0;
  for (; budget < 200; ++budget) {
    ResetEngineRequests(kSoundOutputNonRealtime, 11);
    SoundEngine.bufferMs = 40;
    g_allocBudget = budget;
    const BOOL ok = Aural_Init(44100, 8);
    g_allocBudget = -1;
    if (ok) break;
    EXPECT_EQ(SoundError, kSoundErrNoMemory) << budget;
    EXPECT_FALSE(SoundEngine.initialised);
    EXPECT_EQ(SoundEngine.bufferMs, 40) << "budget " << budget << ": a retry must ask the same again";
    EXPECT_EQ(SoundEngine.blockLength, 0);
    EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0) << budget;
    EXPECT_EQ(SoundTables.channels, nullptr);
  }
  ASSERT_LT(budget, 200);
  EXPECT_GT(budget, 5) << "initialisation allocates the mix buffer, units, tables and samples";
  EXPECT_EQ(SoundEngine.blockMs, 40);
  Aural_Close();
  EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
  EXPECT_TRUE(SoundMem_UseCallbacks(nullptr, nullptr, nullptr));
}

// With a real-time (silent) output the engine runs its mixer and streamer threads;
// closing joins both and frees every block and handle.
TEST_F(Engine, InitCloseCyclesLeaveNoThreadHandleOrBlock) {
  const int threads = ThreadCount();
  ASSERT_GT(threads, 0);
  for (int cycle = 0; cycle < 3; ++cycle) {
    ResetEngineRequests(2, 11);
    ASSERT_TRUE(Aural_Init(44100, 16)) << cycle;
    EXPECT_NE(SoftwareOutput.thread, nullptr);
    EXPECT_NE(AuralStream_ThreadHandle(), nullptr);
    EXPECT_EQ(ThreadCount(), threads + 2) << "the mixer and the streamer";
    const HANDLE mixer = SoftwareOutput.thread, streamer = AuralStream_ThreadHandle();
    DWORD flags = 0;
    ASSERT_TRUE(GetHandleInformation(mixer, &flags));
    Sleep(30);
    Aural_Close();
    EXPECT_EQ(ThreadCount(), threads) << cycle;
    EXPECT_FALSE(GetHandleInformation(mixer, &flags)) << "the mixer thread's handle is closed";
    EXPECT_FALSE(GetHandleInformation(streamer, &flags)) << "the streamer thread's handle is closed";
    EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0) << cycle;
    EXPECT_EQ(SoundMem_GetState().bytesInUse, 0) << cycle;
  }
  // The non-realtime output starts no thread at all.
  ResetEngineRequests(kSoundOutputNonRealtime, 11);
  ASSERT_TRUE(Aural_Init(44100, 16));
  EXPECT_EQ(ThreadCount(), threads);
  EXPECT_TRUE(SoundEngine.initFlags & kSoundInitNoStreamerThread);
}
