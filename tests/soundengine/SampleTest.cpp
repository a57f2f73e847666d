// Samples: conversion on upload against values worked out from each format's meaning,
// guard samples behind the loop, the sample table, raw loading from memory, files and
// the caller's callbacks, multi-channel locks and the loader thread.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "SoundTestSupport.h"
#include "aural_channel.h"
#include "aural_sample.h"

using namespace soundtest;
using namespace SoundMode;

namespace {

class Samples : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEngineRequests(kSoundOutputNonRealtime, 10);
    ASSERT_TRUE(Aural_Init(44100, 4));
  }
  void TearDown() override {
    Aural_SetFileCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
    Aural_Close();
    EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
  }
};

// The sample's bytes, read through a lock (guards out of the way).
std::vector<uint8_t> Bytes(SoundSample* s) {
  void *p1, *p2;
  uint32_t l1, l2;
  const int size = s->length * SoundSample_FrameBytes(s->mode);
  EXPECT_TRUE(SoundSample_Lock(s, 0, size, &p1, &l1, &p2, &l2));
  std::vector<uint8_t> v(static_cast<uint8_t*>(p1), static_cast<uint8_t*>(p1) + l1);
  SoundSample_Unlock(s, p1, l1, p2, l2);
  return v;
}

template <typename T>
std::vector<T> As(const std::vector<uint8_t>& bytes) {
  std::vector<T> v(bytes.size() / sizeof(T));
  std::memcpy(v.data(), bytes.data(), v.size() * sizeof(T));
  return v;
}

std::vector<uint8_t> RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(rng());
  return v;
}

// What a stored value means: signed, unsigned (offset by half the range) or delta-coded
// (a running sum that wraps at the width), as a plain integer of the source width.
std::vector<int> Meaning(const std::vector<uint8_t>& raw, bool sixteen, bool isUnsigned, bool delta) {
  const int range = sixteen ? 65536 : 256;
  std::vector<int> out;
  long sum = 0;
  for (size_t i = 0; i + (sixteen ? 1 : 0) < raw.size(); i += sixteen ? 2 : 1) {
    long v = sixteen ? raw[i] | raw[i + 1] << 8 : raw[i];  // as unsigned
    if (delta) v = sum = (sum + v) % range;
    long value = isUnsigned ? v - range / 2 : (v >= range / 2 ? v - range : v);
    out.push_back(static_cast<int>(value));
  }
  return out;
}

// The value stored at the destination width: 8 to 16 bits scales by 256, 16 to 8 keeps
// the high byte (rounds toward minus infinity).
int AtWidth(int value, bool from16, bool to16) {
  if (from16 == to16) return value;
  if (to16) return value * 256;
  return value >= 0 ? value / 256 : -((-value + 255) / 256);
}

}  // namespace

TEST_F(Samples, UploadConvertsEveryListedFormatExactly) {
  for (bool stereo : {false, true})
    for (bool src16 : {false, true})
      for (bool dst16 : {false, true})
        for (bool isUnsigned : {false, true})
          for (bool delta : {false, true}) {
            const int frames = 301;
            const uint32_t layout = stereo ? Stereo : Mono;
            const int srcBytes = frames * (stereo ? 2 : 1) * (src16 ? 2 : 1);
            const std::vector<uint8_t> raw = RandomBytes(srcBytes, frames * 7 + stereo + 2 * src16 + 4 * isUnsigned);
            uint32_t sourceMode = layout | (src16 ? Pcm16 : Pcm8) | (isUnsigned ? Unsigned : Signed);
            if (delta) sourceMode |= 0x200;
            SoundSample* s = SoundSample_Alloc(-1, frames, layout | (dst16 ? Pcm16 : Pcm8), 44100, 255, 128);
            ASSERT_NE(s, nullptr);
            ASSERT_TRUE(SoundSample_UploadAll(s, raw.data(), sourceMode));
            const std::vector<int> meant = Meaning(raw, src16, isUnsigned, delta);
            const std::vector<uint8_t> stored = Bytes(s);
            ASSERT_EQ(stored.size(), meant.size() * (dst16 ? 2 : 1));
            for (size_t i = 0; i < meant.size(); ++i) {
              const int got = dst16 ? As<int16_t>(stored)[i] : static_cast<int8_t>(stored[i]);
              ASSERT_EQ(got, AtWidth(meant[i], src16, dst16))
                  << "stereo " << stereo << " src16 " << src16 << " dst16 " << dst16 << " unsigned " << isUnsigned
                  << " delta " << delta << " value " << i;
            }
            SoundSample_Free(s);
          }
}

TEST_F(Samples, UploadWritesOnlyWhereTheSampleHasRoom) {
  SoundSample* s = SoundSample_Alloc(-1, 100, Pcm8 | Mono, 44100, 255, 128);
  ASSERT_NE(s, nullptr);
  const std::vector<uint8_t> src = RandomBytes(30, 1);
  // A range past the end wraps to the start, as locks do.
  ASSERT_TRUE(SoundSample_Upload(s, src.data(), 80, 30, Pcm8 | Signed));
  std::vector<uint8_t> b = Bytes(s);
  for (int i = 0; i < 20; ++i) ASSERT_EQ(b[80 + i], src[i]);
  for (int i = 0; i < 10; ++i) ASSERT_EQ(b[i], src[20 + i]);
  EXPECT_EQ(b[10], 0);

  // More bytes than the sample holds: only the sample's size is read and written.
  const std::vector<uint8_t> big = RandomBytes(5000, 2);
  ASSERT_TRUE(SoundSample_Upload(s, big.data(), 0, 5000, Pcm8 | Signed));
  b = Bytes(s);
  EXPECT_EQ(0, std::memcmp(b.data(), big.data(), 100));
  EXPECT_FALSE(SoundSample_Upload(s, big.data(), 100, 1, Pcm8)) << "the offset lies past the data";
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_FALSE(SoundSample_Upload(s, nullptr, 0, 1, Pcm8));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  const uint8_t lying[8] = {0xFF, 0x7F, 1, 2, 3, 4, 5, 6};  // an IT block of more bytes than follow
  EXPECT_FALSE(SoundSample_Upload(s, lying, 0, sizeof lying, Pcm8 | Signed | 0x400));
  EXPECT_EQ(SoundError, kSoundErrReadError) << "damaged compressed data";
}

TEST_F(Samples, GuardsFollowTheLoopAndStepAsideForLocks) {
  std::vector<int16_t> v;
  for (int i = 0; i < 10; ++i) v.push_back(static_cast<int16_t>((i + 1) * 100));
  SoundSample* s = MakeSample16(v, Mono | NoLoop);
  ASSERT_NE(s, nullptr);
  const auto* d = static_cast<const int16_t*>(s->data);
  EXPECT_EQ(d[10], 0) << "no loop: silence follows the end";

  ASSERT_TRUE(SoundSample_SetLoopPoints(s, 2, 5));
  SoundSample_SetMode(s, LoopForward);
  EXPECT_EQ(s->loopLength, 4);
  EXPECT_EQ(d[6], 300) << "forward: the loop start follows the loop end";
  void *p1, *p2;
  uint32_t l1, l2;
  ASSERT_TRUE(SoundSample_Lock(s, 0, 20, &p1, &l1, &p2, &l2));
  EXPECT_EQ(d[6], 700) << "the real value is back while the data is locked";
  SoundSample_Unlock(s, p1, l1, p2, l2);
  EXPECT_EQ(d[6], 300);

  SoundSample_SetMode(s, LoopPingPong);
  EXPECT_EQ(d[6], 600) << "back-and-forth: the last value again";
  SoundSample_SetMode(s, LoopForward | LoopPingPong);
  EXPECT_EQ(s->mode & LoopBits, LoopForward) << "forward wins";
  SoundSample_SetMode(s, NoLoop);
  EXPECT_EQ(d[6], 0);
  EXPECT_EQ(s->mode & LoopBits, NoLoop);

  // Stereo 8-bit: the whole frame is guarded.
  SoundSample* st = SoundSample_Alloc(-1, 4, Pcm8 | Stereo | LoopForward, 44100, 255, 128);
  const int8_t frames[8] = {1, -1, 2, -2, 3, -3, 4, -4};
  ASSERT_TRUE(SoundSample_UploadAll(st, frames, Pcm8 | Stereo));
  ASSERT_TRUE(SoundSample_SetLoopPoints(st, 1, 3));
  const auto* sd = static_cast<const int8_t*>(st->data);
  EXPECT_EQ(sd[8], 2);
  EXPECT_EQ(sd[9], -2);

  // Loop points: the end is cut to the data; a start at or past the end fails.
  ASSERT_TRUE(SoundSample_SetLoopPoints(s, 0, 1000));
  EXPECT_EQ(s->loopLength, 10);
  const int bad[][2] = {{5, 5}, {6, 5}, {-1, 3}, {10, 12}, {3, -1}};
  for (const auto& b : bad) {
    EXPECT_FALSE(SoundSample_SetLoopPoints(s, b[0], b[1])) << b[0] << ".." << b[1];
    EXPECT_EQ(SoundError, kSoundErrInvalidParam);
    EXPECT_EQ(s->loopLength, 10);
  }
}

TEST_F(Samples, ModesTableSlotsAndDefaults) {
  SoundSample* plain = SoundSample_Alloc(-1, 10, 0, 8000, 255, 128);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->mode, Pcm8 | Mono | NoLoop | Signed) << "8-bit, mono, not looping; stored signed";
  EXPECT_EQ(plain->index, 0);
  SoundSample* both = SoundSample_Alloc(-1, 10, Pcm8 | Pcm16 | Mono | Stereo | Unsigned, 8000, 255, 128);
  EXPECT_EQ(both->mode & (Pcm8 | Pcm16 | Mono | Stereo | Unsigned), Pcm16 | Stereo);
  EXPECT_EQ(both->index, 1) << "the first empty slot";

  EXPECT_EQ(SoundTables.sampleSlots, 256);
  SoundSample* slot300 = SoundSample_Alloc(300, 10, 0, 8000, 255, 128);
  ASSERT_NE(slot300, nullptr);
  EXPECT_EQ(SoundTables.sampleSlots, 512);
  EXPECT_EQ(SoundTables.samples[300], slot300);
  const int before = SoundMem_GetState().allocationsInUse;
  SoundSample* again = SoundSample_Alloc(300, 20, 0, 8000, 255, 128);
  EXPECT_EQ(SoundTables.samples[300], again);
  EXPECT_EQ(SoundMem_GetState().allocationsInUse, before) << "the old sample in the slot was freed";

  EXPECT_EQ(SoundSample_Alloc(0x7FFFFFFF, 10, 0, 8000, 255, 128), nullptr);
  EXPECT_EQ(SoundError, kSoundErrNoMemory) << "no table grows that far";
  EXPECT_EQ(SoundTables.sampleSlots, 512);

  // A length whose byte size would not fit fails cleanly instead of wrapping.
  EXPECT_EQ(SoundSample_Alloc(-1, 0x7FFFFFF0, Pcm16 | Stereo, 44100, 255, 128), nullptr);
  EXPECT_EQ(SoundError, kSoundErrNoMemory);
  EXPECT_EQ(SoundMem_GetState().allocationsInUse, before);

  float lo = 0, hi = 0;
  EXPECT_TRUE(SoundSample_GetMinMaxDistance(plain, &lo, &hi));
  EXPECT_EQ(lo, 1.0f);
  EXPECT_EQ(hi, 1000000.0f);
  EXPECT_TRUE(SoundSample_SetMinMaxDistance(plain, 2.5f, 40.0f));
  EXPECT_EQ(plain->minDistance, 640);
  EXPECT_FALSE(SoundSample_SetMinMaxDistance(plain, 5.0f, 4.0f));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_FALSE(SoundSample_SetMinMaxDistance(plain, -1.0f, 4.0f));
  EXPECT_TRUE(SoundSample_SetVariations(plain, 100, 20, 30));
  EXPECT_TRUE(SoundSample_SetVariations(plain, -1, 5, -1));
  int fv, vv, pv;
  EXPECT_TRUE(SoundSample_GetVariations(plain, &fv, &vv, &pv));
  EXPECT_EQ(fv, 100);
  EXPECT_EQ(vv, 5);
  EXPECT_EQ(pv, 30);

  // Variations spread each play around the defaults.
  plain->volume = 100;
  plain->pan = 128;
  plain->mode |= No3d;
  bool varied = false;
  for (int i = 0; i < 50; ++i) {
    const int h = Aural_PlaySound(kChannelFree, plain);
    ASSERT_GE(h, 0);
    const SoundChannel* ch = Aural_GetChannel(h);
    varied = varied || ch->frequency != 8000 || ch->volume != 100 || ch->pan != 128;
    ASSERT_GE(ch->frequency, 8000 - 100);
    ASSERT_LT(ch->frequency, 8000 + 100);
    ASSERT_GE(ch->volume, 95);
    ASSERT_LT(ch->volume, 105);
    ASSERT_GE(ch->pan, 98);
    ASSERT_LT(ch->pan, 158);
  }
  EXPECT_TRUE(varied);

  // Ring buffers of streams: unlisted, no data for no length, the allocate error kept.
  SoundSample* empty = SoundSample_CreateStreamBuffer(0, -5, Pcm16 | Stereo, 44100, 255, 128, 255, 2);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->index, kSoundSampleUnlisted);
  EXPECT_EQ(empty->length, 0);
  EXPECT_EQ(empty->data, nullptr);
  SoundSample_Free(empty);
  EXPECT_EQ(SoundSample_CreateStreamBuffer(0, 100, ImaAdpcm, 44100, 255, 128, 255, 1), nullptr);
  EXPECT_EQ(SoundError, kSoundErrUnknownFormat);
}

TEST_F(Samples, MultiChannelDataIsLockedInterleavedAndStoredPerChannel) {
  SoundSample* s = SoundSample_CreateStreamBuffer(0, 50, Pcm8 | MultiChannel, 44100, 255, 128, 255, 3);
  ASSERT_NE(s, nullptr);
  void *p1, *p2;
  uint32_t l1, l2;
  ASSERT_TRUE(SoundSample_Lock(s, 30, 150, &p1, &l1, &p2, &l2));  // frames 10.. and a wrap
  EXPECT_EQ(l1, 120u);
  EXPECT_EQ(l2, 30u);
  void *q1, *q2;
  uint32_t m1, m2;
  EXPECT_FALSE(SoundSample_Lock(s, 0, 3, &q1, &m1, &q2, &m2)) << "one lock at a time";
  for (uint32_t i = 0; i < l1; ++i) static_cast<int8_t*>(p1)[i] = static_cast<int8_t>(30 + i);
  for (uint32_t i = 0; i < l2; ++i) static_cast<int8_t*>(p2)[i] = static_cast<int8_t>(-1 - static_cast<int>(i));
  ASSERT_TRUE(SoundSample_Unlock(s, p1, l1, p2, l2));
  const int stride = SoundSample_PartStride(s);
  const auto* d = static_cast<const int8_t*>(s->data);
  for (int e = 30; e < 150; ++e) ASSERT_EQ(d[(e % 3) * stride + e / 3], static_cast<int8_t>(e)) << e;
  for (int e = 0; e < 30; ++e) ASSERT_EQ(d[(e % 3) * stride + e / 3], static_cast<int8_t>(-1 - e)) << e;
  EXPECT_EQ(s->lockBuffer, nullptr) << "given back unless the sample keeps it";
  SoundSample_Free(s);

  EXPECT_EQ(SoundSample_CreateStreamBuffer(0, 10, Pcm8 | MultiChannel, 44100, 255, 128, 255, 17), nullptr);
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
}

namespace {

std::vector<uint8_t> Le16(const std::vector<int16_t>& v) {
  std::vector<uint8_t> b(v.size() * 2);
  std::memcpy(b.data(), v.data(), b.size());
  return b;
}

}  // namespace

// 16-bit stereo raw data asked for as 8-bit mono: narrowed to the high bytes, then each
// pair averaged, in the table slot asked for and no other.
TEST_F(Samples, RawLoadFromMemoryConvertsIntoTheSameSlot) {
  std::vector<int16_t> pcm;
  for (int i = 0; i < 500; ++i) pcm.push_back(static_cast<int16_t>(i * 131 - 30000)), pcm.push_back(static_cast<int16_t>(29000 - i * 97));
  std::vector<uint8_t> block = Le16(pcm);
  SoundSample* s = SoundSample_Load(7, block.data(), RawPcm | FromMemory | Pcm16 | Pcm8 | Stereo | DownmixMono, 0,
                                    static_cast<int>(block.size()), nullptr);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->index, 7);
  EXPECT_EQ(SoundTables.samples[7], s);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(SoundTables.samples[i], nullptr) << i;
  EXPECT_EQ(SoundTables.samples[8], nullptr);
  EXPECT_EQ(s->mode & (Pcm8 | Pcm16 | Mono | Stereo), Pcm8 | Mono);
  EXPECT_EQ(s->length, 500);
  EXPECT_EQ(s->loopLength, 500);
  EXPECT_EQ(s->baseRate, 8363);
  EXPECT_STREQ(s->name, "Memory file");
  const std::vector<uint8_t> b = Bytes(s);
  for (int i = 0; i < 500; ++i) {
    const int hl = AtWidth(pcm[2 * i], true, false), hr = AtWidth(pcm[2 * i + 1], true, false);
    const int avg = (hl + hr) >= 0 ? (hl + hr) / 2 : -((-(hl + hr) + 1) / 2);
    ASSERT_EQ(static_cast<int8_t>(b[i]), avg) << i;
  }

  // A window: the offset moves the start; the block's end bounds what is read.
  SoundSample* w = SoundSample_Load(-1, block.data(), RawPcm | FromMemory | Pcm16 | Mono, 1000,
                                    static_cast<int>(block.size()), nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->length, 500);
  EXPECT_EQ(As<int16_t>(Bytes(w))[0], pcm[500]);

  // A leading ID3v2 tag is skipped.
  std::vector<uint8_t> tagged = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 6, 1, 2, 3, 4, 5, 6};
  tagged.insert(tagged.end(), block.begin(), block.begin() + 8);
  SoundSample* t = SoundSample_Load(-1, tagged.data(), RawPcm | FromMemory | Pcm16 | Mono, 0,
                                    static_cast<int>(tagged.size()), nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->length, 4);
  EXPECT_EQ(As<int16_t>(Bytes(t))[0], pcm[0]);
}

TEST_F(Samples, RawLoadFromFilesAndCallbacksReadsOnlyWhatIsThere) {
  char path[MAX_PATH];
  ASSERT_GT(GetTempPathA(MAX_PATH, path), 0u);
  const std::string name = std::string(path) + "orvalen_sample_" + std::to_string(GetCurrentProcessId()) + ".raw";
  const std::vector<uint8_t> bytes = RandomBytes(64, 9);
  FILE* f = std::fopen(name.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);

  // Unsigned 8-bit on disk; a declared length slot300 beyond the file is cut to the file.
  SoundSample* s = SoundSample_Load(-1, name.c_str(), RawPcm | Pcm8 | Mono | Unsigned, 10, 0x7FFFFFF0, nullptr);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->length, 54);
  EXPECT_EQ(std::string(s->name), name);
  const std::vector<uint8_t> b = Bytes(s);
  for (int i = 0; i < 54; ++i) ASSERT_EQ(static_cast<int8_t>(b[i]), bytes[10 + i] - 128) << i;
  SoundSample* part = SoundSample_Load(-1, name.c_str(), RawPcm | Pcm8 | Mono, 4, 20, nullptr);
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->length, 20);

  EXPECT_EQ(SoundSample_Load(-1, name.c_str(), RawPcm | Pcm8, 64, 0, nullptr), nullptr);
  EXPECT_EQ(SoundError, kSoundErrReadError) << "nothing left in the window";
  EXPECT_EQ(SoundSample_Load(-1, name.c_str(), Pcm8, 0, 0, nullptr), nullptr);
  EXPECT_EQ(SoundError, kSoundErrUnknownFormat) << "no reader takes a headerless file";
  EXPECT_EQ(SoundSample_Load(-1, (name + ".missing").c_str(), RawPcm, 0, 0, nullptr), nullptr);
  EXPECT_EQ(SoundError, kSoundErrFileOpen);
  EXPECT_EQ(SoundSample_Load(-1, nullptr, RawPcm, 0, 0, nullptr), nullptr);
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  DeleteFileA(name.c_str());

  // The caller's callbacks: a callback file that reports more than it holds delivers
  // only what its reads return.
  static std::vector<uint8_t> store;
  static int pos, opened;
  store = RandomBytes(40, 4);
  pos = 0;
  opened = 0;
  auto open = [](const char* n) -> void* { return std::strcmp(n, "mem:clip") == 0 ? (++opened, &store) : nullptr; };
  auto close = [](void*) { --opened; };
  auto read = [](void* buf, int n, void*) {
    const int got = n < static_cast<int>(store.size()) - pos ? n : static_cast<int>(store.size()) - pos;
    std::memcpy(buf, store.data() + pos, got);
    pos += got;
    return got;
  };
  auto seek = [](void*, int off, int whence) {
    pos = whence == 2 ? 100 : off;  // claims 100 bytes
    return 0;
  };
  auto tell = [](void*) { return pos; };
  ASSERT_TRUE(Aural_SetFileCallbacks(open, close, read, seek, tell));
  SoundSample* c = SoundSample_Load(-1, "mem:clip", RawPcm | Pcm8 | Mono, 0, 0, nullptr);
  ASSERT_NE(c, nullptr) << SoundError;
  EXPECT_EQ(c->length, 100);
  const std::vector<uint8_t> cb = Bytes(c);
  EXPECT_EQ(0, std::memcmp(cb.data(), store.data(), 40));
  for (int i = 40; i < 100; ++i) ASSERT_EQ(cb[i], 0) << "the missing part stays silent";
  EXPECT_EQ(opened, 0) << "closed after the load";

  Aural_Close();
  EXPECT_EQ(SoundSample_Load(-1, "mem:clip", RawPcm, 0, 0, nullptr), nullptr);
  EXPECT_EQ(SoundError, kSoundErrNotInitialised);
}

namespace {

struct Job {
  SoundLoaderEntry entry = {};
  std::atomic<DWORD> thread{0};
  std::atomic<int> order{-1};
  std::atomic<bool> started{false};
  DWORD sleepMs = 0;
  static std::atomic<int> next;
  static void Run(void* object) {
    auto* j = static_cast<Job*>(object);
    j->started = true;
    Sleep(j->sleepMs);
    j->thread = GetCurrentThreadId();
    j->order = next++;
  }
};
std::atomic<int> Job::next{0};

}  // namespace

TEST(SoundLoader, RunsQueuedWorkInOrderOnItsThreadAndCloseWaitsForIt) {
  ResetEngineRequests(2, 10);  // a silent real-time output
  ASSERT_TRUE(Aural_Init(44100, 2));
  ASSERT_TRUE(SoundLoader_Start());
  ASSERT_TRUE(SoundLoader_Start()) << "once";
  Job jobs[3];
  for (Job& j : jobs) {
    j.entry.object = &j;
    j.entry.run = Job::Run;
  }
  jobs[0].sleepMs = 30;
  jobs[2].sleepMs = 300;
  for (Job& j : jobs) ASSERT_TRUE(SoundLoader_Queue(&j.entry));
  for (int waited = 0; jobs[1].order < 0 && waited < 5000; waited += 5) Sleep(5);
  ASSERT_EQ(jobs[0].order, 0);
  ASSERT_EQ(jobs[1].order, 1);
  EXPECT_NE(jobs[0].thread, GetCurrentThreadId());
  EXPECT_EQ(jobs[0].thread.load(), jobs[1].thread.load());
  for (int waited = 0; !jobs[2].started && waited < 5000; waited += 5) Sleep(5);
  ASSERT_TRUE(jobs[2].started);
  Aural_Close();
  EXPECT_EQ(jobs[2].order, 2) << "close returned only after the running job finished";
  EXPECT_FALSE(SoundLoader_Running());
  EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
}
