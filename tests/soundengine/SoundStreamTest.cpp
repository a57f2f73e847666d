// Streams rendered through the non-realtime output: what reaches the mixer is the
// file's (or the fill callback's) samples through the channel gains, end callbacks
// fire once, sync points at their positions, seeks land on the frame, bad files end
// cleanly, and closed streams are refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

#include "StreamTestSupport.h"
#include "aural_channel.h"
#include "aural_dsp.h"
#include "sound_software.h"

using namespace soundtest;
using namespace streamtest;

namespace {

class SoundStreamTest : public ::testing::Test {
 protected:
  void Init(int rate, int outputType = kSoundOutputNonRealtime) {
    ResetEngineRequests(outputType, kMixerC);
    ASSERT_TRUE(Aural_Init(rate, 8));
    SoundDspUnit* unit = AuralDsp_Create(Recorder::Callback, 150, &rec);
    ASSERT_NE(unit, nullptr);
    unit->active = 1;
  }
  void TearDown() override {
    Aural_Close();
    EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
  }
  // Mixes blocks until `done` (checked before each) or `maxBlocks`; returns the blocks mixed.
  int Render(int maxBlocks, const std::function<bool()>& done = [] { return false; }) {
    for (int i = 0; i < maxBlocks; ++i) {
      if (done()) return i;
      EXPECT_TRUE(Aural_Update());
    }
    return maxBlocks;
  }
  // Plays a stream to its end; returns false when the end callback never came.
  bool PlayToEnd(SoundStream* s, EndLog* end, int* leftGain, int* rightGain, int maxBlocks = 4000) {
    AuralStream_SetEndCallback(s, EndLog::Callback, end);
    const int h = AuralStream_Play(-1, s, nullptr, FALSE);
    EXPECT_NE(h, -1);
    if (h == -1) return false;
    SoundChannel* ch = Aural_GetChannel(h);
    *leftGain = ch->leftGain;
    *rightGain = ch->rightGain;
    Render(maxBlocks, [&] { return end->calls > 0; });
    return end->calls > 0;
  }
  // Compares the recorded mix with 16-bit source frames through the gains, then silence.
  // `tolerance` allows for decoders of the platform that round differently from sox.
  void ExpectMix(const std::vector<int16_t>& pcm, int channels, int gl, int gr, int tolerance = 0) {
    const size_t frames = pcm.size() / channels;
    ASSERT_GE(rec.Frames(), frames);
    for (size_t i = 0; i < frames; ++i) {
      const int32_t l = pcm[i * channels], r = pcm[i * channels + channels - 1];
      ASSERT_NEAR(rec.mix[2 * i], Gain16(l, gl), tolerance) << "frame " << i;
      ASSERT_NEAR(rec.mix[2 * i + 1], Gain16(r, gr), tolerance) << "frame " << i;
    }
    for (size_t i = frames * 2; i < rec.mix.size(); ++i) ASSERT_EQ(rec.mix[i], 0) << "after the end, at " << i / 2;
  }
  Recorder rec;
};

}  // namespace

TEST_F(SoundStreamTest, PcmWavStreamsReproduceTheFileAndEndOnce) {
  Init(44100);
  const std::vector<int16_t> pcm = Pcm16(FixtureBytes("stereo16.wav"));
  ASSERT_EQ(pcm.size(), 66150u * 2);
  SoundStream* s = AuralStream_Open(("file://" + FixtureName("stereo16.wav")).c_str(), 0, 0, 0);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(AuralStream_GetLengthMs(s), 1500);
  EXPECT_EQ(s->lengthSamples, 66150);
  EXPECT_EQ(AuralStream_GetTime(s), 0);
  EndLog end;
  int gl = 0, gr = 0;
  ASSERT_TRUE(PlayToEnd(s, &end, &gl, &gr));
  EXPECT_EQ(gl, 255);
  EXPECT_EQ(gr, 255);
  Render(60);
  EXPECT_EQ(end.calls, 1) << "the end callback fires once";
  EXPECT_EQ(end.thread, GetCurrentThreadId()) << "without a streamer thread, passes run in Aural_Update";
  EXPECT_EQ(end.error, kSoundErrNone) << "a whole file ends without an error";
  ExpectMix(pcm, 2, gl, gr);
  EXPECT_EQ(AuralStream_GetTime(s), 1500);
  EXPECT_EQ(s->channel, -1);

  // Played again, it starts over from the beginning.
  rec.mix.clear();
  end.calls = 0;
  ASSERT_TRUE(PlayToEnd(s, &end, &gl, &gr));
  ExpectMix(pcm, 2, gl, gr);
  EXPECT_TRUE(AuralStream_Close(s));
}

TEST_F(SoundStreamTest, EightBitUnsignedDataBecomesSigned) {
  Init(22050);
  const std::string wav = FixtureBytes("mono8.wav");
  const auto data = DataChunk(wav);
  ASSERT_EQ(data.second, 17640u);
  SoundStream* s = AuralStream_Open(FixtureName("mono8.wav").c_str(), 0, 0, 0);
  ASSERT_NE(s, nullptr) << SoundError;
  EndLog end;
  int gl = 0, gr = 0;
  ASSERT_TRUE(PlayToEnd(s, &end, &gl, &gr));
  EXPECT_EQ(gl, 180) << "a mono stream plays in the centre";
  EXPECT_EQ(gr, 181);
  ASSERT_GE(rec.Frames(), data.second);
  for (size_t i = 0; i < data.second; ++i) {
    const int v = static_cast<uint8_t>(wav[data.first + i]) - 128;
    ASSERT_EQ(rec.mix[2 * i], v * gl) << i;
    ASSERT_EQ(rec.mix[2 * i + 1], v * gr) << i;
  }
  EXPECT_TRUE(AuralStream_Close(s));
}

TEST_F(SoundStreamTest, ImaAdpcmDecodesAsSoxDoes) {
  Init(22050);
  for (const auto& f : {std::make_pair("ima_mono.wav", "ima_mono_ref.wav"),
                        std::make_pair("ima_stereo.wav", "ima_stereo_ref.wav")}) {
    SCOPED_TRACE(f.first);
    const int channels = std::string(f.first) == "ima_mono.wav" ? 1 : 2;
    const std::vector<int16_t> ref = Pcm16(FixtureBytes(f.second));
    ASSERT_FALSE(ref.empty());
    SoundStream* s = AuralStream_Open(FixtureName(f.first).c_str(), 0, 0, 0);
    ASSERT_NE(s, nullptr) << SoundError;
    EXPECT_EQ(s->lengthSamples, static_cast<int>(ref.size()) / channels);
    rec.mix.clear();
    EndLog end;
    int gl = 0, gr = 0;
    ASSERT_TRUE(PlayToEnd(s, &end, &gl, &gr));
    ExpectMix(ref, channels, gl, gr);

    // A seek into the middle of a block lands on the exact frame.
    rec.mix.clear();
    ASSERT_TRUE(AuralStream_SetTime(s, 300));
    EXPECT_EQ(AuralStream_GetTime(s), 300);
    ASSERT_NE(AuralStream_Play(-1, s, nullptr, FALSE), -1);
    Render(4);
    ASSERT_GE(rec.Frames(), 1000u);
    for (size_t i = 0; i < 1000; ++i)
      ASSERT_EQ(rec.mix[2 * i], Gain16(ref[(6615 + i) * channels], gl)) << i;
    EXPECT_TRUE(AuralStream_Close(s));
  }
}

TEST_F(SoundStreamTest, SeekingByTimeLandsOnTheFrame) {
  Init(44100);
  const std::vector<int16_t> pcm = Pcm16(FixtureBytes("stereo16.wav"));
  SoundStream* s = AuralStream_Open(FixtureName("stereo16.wav").c_str(), 0, 0, 0);
  ASSERT_NE(s, nullptr);
  for (int bad : {-1, 1500, 100000}) {
    EXPECT_FALSE(AuralStream_SetTime(s, bad)) << bad;
    EXPECT_EQ(SoundError, kSoundErrInvalidParam);
    EXPECT_EQ(AuralStream_GetTime(s), 0) << "a refused seek leaves the position";
  }
  ASSERT_TRUE(AuralStream_SetTime(s, 500));
  EXPECT_EQ(AuralStream_GetTime(s), 500);
  const int h = AuralStream_Play(-1, s, nullptr, FALSE);
  ASSERT_NE(h, -1);
  const int blocks = Render(20);
  const int gl = Aural_GetChannel(h)->leftGain;
  for (size_t i = 0; i < rec.Frames(); ++i) ASSERT_EQ(rec.mix[2 * i], Gain16(pcm[(22050 + i) * 2], gl)) << i;
  // The time is what is heard: the mixer runs the output buffer's blocks ahead.
  const int ahead = SoundEngine.bufferLength / SoundEngine.blockLength;
  ASSERT_GT(blocks, ahead);
  const int heard = (blocks - ahead) * SoundEngine.blockLength * 1000 / 44100;
  EXPECT_GE(AuralStream_GetTime(s), 500 + heard);
  EXPECT_LE(AuralStream_GetTime(s), 500 + heard + 1);

  // Seeking while playing goes on from the new place.
  ASSERT_TRUE(AuralStream_SetTime(s, 1200));
  rec.mix.clear();
  Render(4);
  ASSERT_FALSE(rec.mix.empty());
  for (size_t i = 0; i < rec.Frames(); ++i) ASSERT_EQ(rec.mix[2 * i], Gain16(pcm[(52920 + i) * 2], gl)) << i;
  EXPECT_TRUE(AuralStream_Close(s));
}

namespace {

struct SyncEvent {
  std::string name;
  int offset, position, pass;
};

BOOL RecordSync(SoundStream* s, const char* name, int offset, void* user) {
  int pass = 0;
  const int position = AuralStream_GetPlayPosition(s, &pass);
  static_cast<std::vector<SyncEvent>*>(user)->push_back({name, offset, position, pass});
  return TRUE;
}

std::string CueChunks() {
  std::string cue;
  Put32(cue, 3);
  const uint32_t points[][2] = {{1, 30000}, {2, 1000}, {3, 20000}};
  for (const auto& p : points) {
    Put32(cue, p[0]);
    Put32(cue, p[1]);
    cue += "data";
    Put32(cue, 0);
    Put32(cue, 0);
    Put32(cue, p[1]);
  }
  std::string adtl = "adtl", labl;
  Put32(labl, 2);
  labl += std::string("alpha\0", 6);
  Chunk(adtl, "labl", labl);
  labl.clear();
  Put32(labl, 1);
  labl += "gam";  // odd size: a pad byte follows
  Chunk(adtl, "labl", labl);
  std::string chunks;
  Chunk(chunks, "junk", "abc");
  Chunk(chunks, "cue ", cue);
  Chunk(chunks, "LIST", adtl);
  return chunks;
}

}  // namespace

TEST_F(SoundStreamTest, SyncPointsFireAtTheirPositionsOnEveryPass) {
  Init(44100);
  const std::string wav = BuildWav(1, 44100, 40000, CueChunks());
  SoundStream* s = AuralStream_Open(wav.data(), SoundMode::FromMemory | SoundMode::LoopForward, 0,
                                    static_cast<int>(wav.size()));
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_STREQ(s->name, "") << "a memory stream has no file name";
  ASSERT_TRUE(AuralStream_SetLoopCount(s, 1));
  std::vector<SyncEvent> events;
  ASSERT_TRUE(AuralStream_SetSyncCallback(s, RecordSync, &events));
  EndLog end;
  int gl = 0, gr = 0;
  ASSERT_TRUE(PlayToEnd(s, &end, &gl, &gr));
  EXPECT_EQ(end.calls, 1);
  const struct {
    const char* name;
    int offset;
  } expected[] = {{"alpha", 1000}, {"", 20000}, {"gam", 30000}};
  ASSERT_EQ(events.size(), 6u);
  for (size_t i = 0; i < events.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(events[i].name, expected[i % 3].name);
    EXPECT_EQ(events[i].offset, expected[i % 3].offset);
    EXPECT_EQ(events[i].pass, static_cast<int>(i / 3));
    EXPECT_GE(events[i].position, events[i].offset);
    EXPECT_LT(events[i].position, events[i].offset + SoundEngine.blockLength);
  }
  // Two passes of the data back to back, then silence.
  std::vector<int16_t> twice;
  for (int pass = 0; pass < 2; ++pass)
    for (int i = 0; i < 40000; ++i) twice.push_back(static_cast<int16_t>(i & 0x3FFF));
  ExpectMix(twice, 1, gl, gr);
  EXPECT_TRUE(AuralStream_Close(s));
}

namespace {

struct Counter {
  int next = 0;
  int callsLeft = -1;  // -1: never ends
  static BOOL Fill(SoundStream*, void* buffer, int bytes, void* user) {
    auto* self = static_cast<Counter*>(user);
    if (self->callsLeft == 0) return FALSE;
    if (self->callsLeft > 0) --self->callsLeft;
    auto* out = static_cast<int16_t*>(buffer);
    for (int i = 0; i < bytes / 4; ++i, ++self->next) {
      out[2 * i] = static_cast<int16_t>(self->next & 0x3FFF);
      out[2 * i + 1] = static_cast<int16_t>(-(self->next & 0x3FFF));
    }
    return TRUE;
  }
};

}  // namespace

TEST_F(SoundStreamTest, FillCallbackStreamPlaysExactlyWhatTheCallbackSupplies) {
  Init(44100);
  Counter counter;
  SoundStream* s = AuralStream_Create(nullptr, Counter::Fill, 8192, kSoundUserStreamStereo, 44100, &counter, 2);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_STREQ(s->ringSample->name, "Streamer Sample");
  EXPECT_EQ(s->ringSample->length, 4096) << "two halves of 2048 frames";
  EXPECT_FALSE(AuralStream_SetTime(s, 0)) << "a user stream has no length";
  const int h = AuralStream_Play(-1, s, nullptr, FALSE);
  ASSERT_NE(h, -1);
  Render(100);
  std::vector<int16_t> expected;
  for (size_t i = 0; i < rec.Frames(); ++i) {
    expected.push_back(static_cast<int16_t>(i & 0x3FFF));
    expected.push_back(static_cast<int16_t>(-static_cast<int>(i & 0x3FFF)));
  }
  ExpectMix(expected, 2, 255, 255);
  EXPECT_GT(counter.next, static_cast<int>(rec.Frames())) << "the ring is filled ahead of the mixer";

  // A zero result ends the stream: it stops with one end callback.
  EndLog end;
  AuralStream_SetEndCallback(s, EndLog::Callback, &end);
  counter.callsLeft = 0;
  Render(20);
  EXPECT_EQ(end.calls, 1);
  EXPECT_EQ(s->channel, -1);
  EXPECT_TRUE(AuralStream_Close(s));
}

// A stream's own units run over every half it fills, in list order, each handed what
// the one before returned; inactive ones are passed over.
TEST_F(SoundStreamTest, StreamUnitsRunOverEveryFilledHalfInListOrder) {
  Init(44100);
  Counter counter;
  SoundStream* s = AuralStream_Create(nullptr, Counter::Fill, 8192, kSoundUserStreamStereo, 44100, &counter, 2);
  ASSERT_NE(s, nullptr);
  struct Halve {
    static void* Run(void* half, void* previous, int frames, void* user) {
      EXPECT_EQ(half, previous);
      auto* p = static_cast<int16_t*>(previous);
      for (int i = 0; i < frames * 2; ++i) p[i] = static_cast<int16_t>(p[i] / 2);
      ++*static_cast<int*>(user);
      return previous;
    }
    static void* Never(void*, void* previous, int, void*) {
      ADD_FAILURE() << "an inactive unit ran";
      return previous;
    }
  };
  int halved = 0, after = 0;
  SoundDspUnit units[3] = {};
  units[0].callback = Halve::Run, units[0].userData = &halved, units[0].active = 1;
  units[1].callback = Halve::Never;
  units[2].callback = Halve::Run, units[2].userData = &after, units[2].active = 1;
  for (SoundDspUnit& u : units) SoundLink_InsertBefore(&s->dspUnits, &u.link);
  ASSERT_NE(AuralStream_Play(-1, s, nullptr, FALSE), -1);
  Render(40);
  std::vector<int16_t> expected;
  for (size_t i = 0; i < rec.Frames(); ++i) {
    expected.push_back(static_cast<int16_t>((i & 0x3FFF) / 2 / 2));
    expected.push_back(static_cast<int16_t>(-static_cast<int>(i & 0x3FFF) / 2 / 2));
  }
  ExpectMix(expected, 2, 255, 255);
  EXPECT_GT(halved, 2);
  EXPECT_EQ(after, halved) << "every half passed both";
  for (SoundDspUnit& u : units) SoundLink_Remove(&u.link);
  EXPECT_TRUE(AuralStream_Close(s));
}

namespace {

// The caller's file callbacks over bytes in memory, whose reads fail from `readable` on
// although the file says it is whole: a card taken out while it plays.
struct FailingFile {
  static const std::string* bytes;
  static int readable;
  int position = 0;
  static void* Open(const char*) { return new FailingFile; }
  static void Close(void* h) { delete static_cast<FailingFile*>(h); }
  static int Read(void* buffer, int count, void* h) {
    auto* f = static_cast<FailingFile*>(h);
    if (f->position >= readable) return -1;
    const int n = std::min(count, readable - f->position);
    std::memcpy(buffer, bytes->data() + f->position, static_cast<size_t>(n));
    f->position += n;
    return n;
  }
  static int Seek(void* h, int offset, int whence) {
    auto* f = static_cast<FailingFile*>(h);
    const int size = static_cast<int>(bytes->size());
    f->position = std::max(0, std::min(size, offset + (whence == 1 ? f->position : whence == 2 ? size : 0)));
    return 0;
  }
  static int Tell(void* h) { return static_cast<FailingFile*>(h)->position; }
};
const std::string* FailingFile::bytes = nullptr;
int FailingFile::readable = 0;

}  // namespace

TEST_F(SoundStreamTest, TruncatedFilesAndFailingReadsEndCleanly) {
  Init(44100);
  const std::string full = FixtureBytes("stereo16.wav");
  const auto data = DataChunk(full);
  std::vector<int16_t> pcm = Pcm16(full);
  pcm.resize(100000 / 2);
  // Cut off mid-frame, the header still claiming the whole data: the whole frames the
  // file holds play, and the stream ends as any other.
  const std::string cut = full.substr(0, data.first + 100000 + 3);
  SoundStream* s = AuralStream_Open(cut.data(), SoundMode::FromMemory, 0, static_cast<int>(cut.size()));
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->lengthSamples, 25000);
  EXPECT_EQ(AuralStream_GetLengthMs(s), 566);
  EndLog end;
  AuralStream_SetEndCallback(s, EndLog::Callback, &end);
  AuralStream_Play(-1, s, nullptr, FALSE);
  Render(4000, [&] { return end.calls > 0; });
  EXPECT_EQ(end.calls, 1);
  EXPECT_EQ(end.error, kSoundErrNone);
  ExpectMix(pcm, 2, 255, 255);
  EXPECT_TRUE(AuralStream_Close(s));

  // Reads failing at the same place of a file that says it is whole.
  FailingFile::bytes = &full;
  FailingFile::readable = static_cast<int>(data.first) + 100000 + 3;
  Aural_SetFileCallbacks(FailingFile::Open, FailingFile::Close, FailingFile::Read, FailingFile::Seek, FailingFile::Tell);
  s = AuralStream_Open("failing.wav", 0, 0, 0);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(AuralStream_GetLengthMs(s), 1500) << "the length is what the file says";
  rec.mix.clear();
  end.calls = 0;
  AuralStream_SetEndCallback(s, EndLog::Callback, &end);
  AuralStream_Play(-1, s, nullptr, FALSE);
  Render(4000, [&] { return end.calls > 0; });
  EXPECT_EQ(end.calls, 1);
  EXPECT_EQ(end.error, kSoundErrReadError) << "the end callback sees why the stream ended";
  Render(1);
  EXPECT_EQ(SoundError, kSoundErrNone) << "reported once, not on every update after";
  ExpectMix(pcm, 2, 255, 255);
  EXPECT_TRUE(AuralStream_Close(s));
  Aural_SetFileCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(SoundStreamTest, OpenRefusesWhatItCannotPlay) {
  EXPECT_EQ(AuralStream_Open(FixtureName("stereo16.wav").c_str(), 0, 0, 0), nullptr);
  EXPECT_EQ(SoundError, kSoundErrNotInitialised);
  Init(44100);
  EXPECT_EQ(AuralStream_Open(nullptr, 0, 0, 0), nullptr);
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_EQ(AuralStream_Open("\\no such file.wav", 0, 0, 0), nullptr);
  EXPECT_EQ(SoundError, kSoundErrFileOpen);

  const std::string good = BuildWav(1, 8000, 100);
  struct Case {
    const char* what;
    size_t at;
    std::string bytes;
  };
  // fmt fields start at byte 20: tag, channels, rate (24), byte rate, block align (32), bits (34).
  const Case cases[] = {
      {"not RIFF", 0, "RIFX"},
      {"no channels", 22, std::string("\0\0", 2)},
      {"three channels", 22, std::string("\3\0", 2)},
      {"rate 0", 24, std::string("\0\0\0\0", 4)},
      {"12-bit PCM", 34, std::string("\x0c\0", 2)},
      {"an unknown codec", 20, std::string("\x31\0", 2)},
      {"MPEG data", 20, std::string("\x55\0", 2)},
  };
  for (const Case& c : cases) {
    std::string bad = good;
    bad.replace(c.at, c.bytes.size(), c.bytes);
    EXPECT_EQ(AuralStream_Open(bad.data(), SoundMode::FromMemory, 0, static_cast<int>(bad.size())), nullptr) << c.what;
    EXPECT_EQ(SoundError, kSoundErrUnknownFormat) << c.what;
  }
  EXPECT_EQ(AuralStream_Open(good.data(), SoundMode::FromMemory, 0, 10), nullptr) << "a header cut short";
  EXPECT_EQ(SoundError, kSoundErrUnknownFormat);
  const std::string noise(5000, '\x5a');
  EXPECT_EQ(AuralStream_Open(noise.data(), SoundMode::FromMemory, 0, 5000), nullptr);
  EXPECT_EQ(SoundError, kSoundErrUnknownFormat);

  // IMA ADPCM whose samples per block the blocks cannot hold.
  std::string ima = FixtureBytes("ima_mono.wav");
  ASSERT_EQ(U32(ima, 36) >> 16, 505u);
  ima[38] = '\xd0';
  ima[39] = '\x07';  // 2000 samples per block of 256 bytes
  EXPECT_EQ(AuralStream_Open(ima.data(), SoundMode::FromMemory, 0, static_cast<int>(ima.size())), nullptr);
  EXPECT_EQ(SoundError, kSoundErrUnknownFormat);
}

TEST_F(SoundStreamTest, ClosedStreamsAreRefusedAndStopCallsTheEndOnlyWhenAsked) {
  Init(44100);
  const std::string wav = BuildWav(2, 44100, 20000);
  SoundStream* s = AuralStream_Open(wav.data(), SoundMode::FromMemory, 0, static_cast<int>(wav.size()));
  ASSERT_NE(s, nullptr);
  EndLog end;
  AuralStream_SetEndCallback(s, EndLog::Callback, &end);
  ASSERT_NE(AuralStream_Play(-1, s, nullptr, FALSE), -1);
  Render(2);
  EXPECT_TRUE(AuralStream_Stop(s, FALSE));
  EXPECT_EQ(end.calls, 0);
  ASSERT_NE(AuralStream_Play(-1, s, nullptr, FALSE), -1);
  EXPECT_TRUE(AuralStream_Stop(s, TRUE));
  EXPECT_EQ(end.calls, 1);
  EXPECT_TRUE(AuralStream_Stop(s, TRUE));
  EXPECT_EQ(end.calls, 1) << "a stopped stream does not end again";
  ASSERT_NE(AuralStream_Play(-1, s, nullptr, FALSE), -1);
  EXPECT_TRUE(AuralStream_Close(s)) << "closing stops a playing stream";
  EXPECT_EQ(end.calls, 1) << "closing calls no end callback";

  EXPECT_FALSE(AuralStream_Close(s));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_EQ(AuralStream_Play(-1, s, nullptr, FALSE), -1);
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_FALSE(AuralStream_Stop(s, TRUE));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_FALSE(AuralStream_SetTime(s, 0));
  EXPECT_EQ(AuralStream_Play(-1, nullptr, nullptr, FALSE), -1);
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_FALSE(AuralStream_SetSubStream(nullptr, 0, FALSE, FALSE));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
}

TEST_F(SoundStreamTest, LoopsThatLeaveNothingToPlayEndInsteadOfHanging) {
  Init(44100);
  // Sampler loop 5000..100 (start past end): the whole stream loops instead.
  std::string smpl(60, '\0');
  smpl[44] = '\x88';
  smpl[45] = '\x13';
  smpl[48] = 100;
  std::string chunk;
  Chunk(chunk, "smpl", smpl);
  const std::string looped = BuildWav(1, 44100, 6000, chunk);
  SoundStream* s = AuralStream_Open(looped.data(), SoundMode::FromMemory | SoundMode::LoopForward, 0,
                                    static_cast<int>(looped.size()));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->loopStart, 0);
  EXPECT_EQ(s->loopEnd, 0);
  AuralStream_SetLoopCount(s, 2);
  EndLog end;
  int gl = 0, gr = 0;
  ASSERT_TRUE(PlayToEnd(s, &end, &gl, &gr));
  std::vector<int16_t> thrice;
  for (int pass = 0; pass < 3; ++pass)
    for (int i = 0; i < 6000; ++i) thrice.push_back(static_cast<int16_t>(i & 0x3FFF));
  ExpectMix(thrice, 1, gl, gr);
  EXPECT_TRUE(AuralStream_Close(s));

  // Inner loop 1000..1999 once, then on to the end.
  smpl[44] = '\xe8';
  smpl[45] = '\x03';
  smpl[48] = '\xcf';
  smpl[49] = '\x07';
  chunk.clear();
  Chunk(chunk, "smpl", smpl);
  const std::string inner = BuildWav(1, 44100, 3000, chunk);
  s = AuralStream_Open(inner.data(), SoundMode::FromMemory | SoundMode::LoopForward, 0, static_cast<int>(inner.size()));
  ASSERT_NE(s, nullptr);
  AuralStream_SetLoopCount(s, 1);
  rec.mix.clear();
  end.calls = 0;
  ASSERT_TRUE(PlayToEnd(s, &end, &gl, &gr));
  std::vector<int16_t> expected;
  for (int i = 0; i < 2000; ++i) expected.push_back(static_cast<int16_t>(i));
  for (int i = 1000; i < 3000; ++i) expected.push_back(static_cast<int16_t>(i));
  ExpectMix(expected, 1, gl, gr);

  // Seeking past the loop end: the next fill goes back to the loop start.
  AuralStream_SetLoopCount(s, 1);
  ASSERT_TRUE(AuralStream_SetTime(s, 57));
  EXPECT_EQ(AuralStream_GetTime(s), 22) << "frame 2513 lies past the loop end: the ring starts at frame 1000";
  rec.mix.clear();
  end.calls = 0;
  ASSERT_TRUE(PlayToEnd(s, &end, &gl, &gr));
  expected.clear();
  for (int i = 1000; i < 3000; ++i) expected.push_back(static_cast<int16_t>(i));
  ExpectMix(expected, 1, gl, gr);
  EXPECT_TRUE(AuralStream_Close(s));

  // An empty data chunk looping for ever.
  const std::string empty = BuildWav(1, 44100, 0);
  s = AuralStream_Open(empty.data(), SoundMode::FromMemory | SoundMode::LoopForward, 0, static_cast<int>(empty.size()));
  ASSERT_NE(s, nullptr) << SoundError;
  end.calls = 0;
  EXPECT_TRUE(PlayToEnd(s, &end, &gl, &gr, 200));
  EXPECT_EQ(end.calls, 1);
  EXPECT_TRUE(AuralStream_Close(s));
}

TEST_F(SoundStreamTest, StreamerThreadEndsAShortStreamWithItsCallbackOutsideTheLocks) {
  Init(44100, 2);  // the silent output in real time: mixer and streamer threads run
  ASSERT_NE(AuralStream_ThreadHandle(), nullptr);
  const std::string wav = BuildWav(2, 44100, 1000);
  SoundStream* s = AuralStream_Open(wav.data(), SoundMode::FromMemory, 0, static_cast<int>(wav.size()));
  ASSERT_NE(s, nullptr);
  struct Log {
    int calls = 0;
    DWORD thread = 0;
    bool closed = false;
  } log;
  // The callback closes its own stream: that takes both locks, which only works when
  // the streamer holds neither.
  AuralStream_SetEndCallback(
      s,
      [](SoundStream* stream, const char*, int, void* user) -> BOOL {
        auto* l = static_cast<Log*>(user);
        ++l->calls;
        l->thread = GetCurrentThreadId();
        l->closed = AuralStream_Close(stream) != FALSE;
        return TRUE;
      },
      &log);
  ASSERT_NE(AuralStream_Play(-1, s, nullptr, FALSE), -1);
  for (int i = 0; i < 500 && log.calls == 0; ++i) Sleep(10);
  Sleep(100);
  EXPECT_EQ(log.calls, 1);
  EXPECT_EQ(log.thread, GetThreadId(AuralStream_ThreadHandle()));
  EXPECT_TRUE(log.closed);
}

// The streamer thread may spend long in a caller's fill or end callback: the close
// waits until it has left, however long that takes, before it frees what it uses.
TEST_F(SoundStreamTest, CloseWaitsForAStreamerThatIsStillInACallback) {
  struct Slow {
    HANDLE inside = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool inFill = true;
    volatile LONG armed = 0, done = 0;
    void Linger() {
      SetEvent(inside);
      Sleep(1500);  // longer than any fixed wait for the thread
      done = 1;
    }
    static BOOL Fill(SoundStream*, void* buffer, int bytes, void* user) {
      auto* self = static_cast<Slow*>(user);
      std::memset(buffer, 0, static_cast<size_t>(bytes));
      if (!self->armed) return TRUE;
      if (self->inFill) self->Linger();
      return self->inFill;  // the end callback's case ends the stream here
    }
    static BOOL End(SoundStream*, const char*, int, void* user) {
      static_cast<Slow*>(user)->Linger();
      return TRUE;
    }
  };
  for (bool inFill : {true, false}) {
    SCOPED_TRACE(inFill ? "fill" : "end callback");
    Init(44100, 2);
    Slow slow;
    slow.inFill = inFill;
    SoundStream* s = AuralStream_Create(nullptr, Slow::Fill, 8192, kSoundUserStreamStereo, 44100, &slow, 2);
    ASSERT_NE(s, nullptr);
    AuralStream_SetEndCallback(s, Slow::End, &slow);
    ASSERT_NE(AuralStream_Play(-1, s, nullptr, FALSE), -1);
    HANDLE streamer = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), AuralStream_ThreadHandle(), GetCurrentProcess(), &streamer,
                                SYNCHRONIZE, FALSE, 0));
    slow.armed = 1;
    ASSERT_EQ(WaitForSingleObject(slow.inside, 10000), WAIT_OBJECT_0);
    Aural_Close();
    EXPECT_EQ(slow.done, 1) << "the engine closed while its streamer was still in the callback";
    EXPECT_EQ(WaitForSingleObject(streamer, 0), WAIT_OBJECT_0) << "the streamer thread outlived the close";
    WaitForSingleObject(streamer, 10000);
    CloseHandle(streamer);
    CloseHandle(slow.inside);
    EXPECT_TRUE(AuralStream_Close(s));
  }
}

TEST_F(SoundStreamTest, BackgroundOpensBecomeReadyOrFailedOnTheLoaderThread) {
  Init(44100);
  const std::vector<int16_t> pcm = Pcm16(FixtureBytes("stereo16.wav"));
  SoundStream* s = AuralStream_Open(FixtureName("stereo16.wav").c_str(), SoundMode::LoadInBackground, 0, 0);
  ASSERT_NE(s, nullptr) << SoundError;
  SoundStream* missing = AuralStream_Open("\\missing.wav", SoundMode::LoadInBackground, 0, 0);
  ASSERT_NE(missing, nullptr) << "the record comes at once; the failure later";
  for (int i = 0; i < 500 && !(s->ready && missing->failed); ++i) Sleep(10);
  ASSERT_TRUE(s->ready);
  EXPECT_TRUE(missing->failed);
  EXPECT_FALSE(missing->ready);
  EXPECT_EQ(AuralStream_Play(-1, missing, nullptr, FALSE), -1);
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_TRUE(AuralStream_Close(missing)) << "a failed record can be closed";
  EXPECT_STREQ(s->name, FixtureName("stereo16.wav").c_str());
  EXPECT_EQ(AuralStream_GetLengthMs(s), 1500);
  EndLog end;
  int gl = 0, gr = 0;
  ASSERT_TRUE(PlayToEnd(s, &end, &gl, &gr));
  ExpectMix(pcm, 2, gl, gr);
  EXPECT_TRUE(AuralStream_Close(s));
}

TEST_F(SoundStreamTest, DownmixedStereoPlaysTheAverageOfBothSides) {
  Init(44100);
  const std::vector<int16_t> pcm = Pcm16(FixtureBytes("stereo16.wav"));
  SoundStream* s = AuralStream_Open(FixtureName("stereo16.wav").c_str(), SoundMode::DownmixMono, 0, 0);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_TRUE(s->mode & SoundMode::Mono);
  EXPECT_EQ(s->lengthSamples, 66150);
  ASSERT_TRUE(AuralStream_SetTime(s, 1000));
  EndLog end;
  int gl = 0, gr = 0;
  ASSERT_TRUE(PlayToEnd(s, &end, &gl, &gr));
  std::vector<int16_t> mono;
  for (size_t i = 44100; i < pcm.size() / 2; ++i) mono.push_back(static_cast<int16_t>((pcm[2 * i] + pcm[2 * i + 1]) >> 1));
  ExpectMix(mono, 1, gl, gr);
  EXPECT_TRUE(AuralStream_Close(s));
}

TEST_F(SoundStreamTest, OtherCodecsDecodeThroughThePlatformConverter) {
  // The platform's MS ADPCM decoder rounds some blocks slightly differently from sox's.
  const struct {
    const char *file, *reference;
    int rate, channels, tolerance;
  } codecs[] = {{"alaw.wav", "alaw_ref.wav", 8000, 1, 0}, {"msadpcm.wav", "msadpcm_ref.wav", 22050, 2, 128}};
  for (const auto& c : codecs) {
    SCOPED_TRACE(c.file);
    Init(c.rate);
    const std::vector<int16_t> ref = Pcm16(FixtureBytes(c.reference));
    ASSERT_FALSE(ref.empty());
    SoundStream* s = AuralStream_Open(FixtureName(c.file).c_str(), 0, 0, 0);
    ASSERT_NE(s, nullptr) << SoundError;
    EXPECT_TRUE(s->mode & SoundMode::Pcm16);
    EXPECT_EQ(s->lengthSamples, static_cast<int>(ref.size()) / c.channels);
    EndLog end;
    int gl = 0, gr = 0;
    ASSERT_TRUE(PlayToEnd(s, &end, &gl, &gr));
    ExpectMix(ref, c.channels, gl, gr, c.tolerance);
    EXPECT_TRUE(AuralStream_Close(s));
    Aural_Close();
    rec.mix.clear();
  }
}

namespace {

// File callbacks over one file held in memory.
struct MemoryCallbacks {
  static std::string data;
  static int pos;
  static void* Open(const char* name) { return std::string(name) == "song.wav" ? &data : nullptr; }
  static void Close(void*) {}
  static int Read(void* buffer, int n, void*) {
    const int m = n < static_cast<int>(data.size()) - pos ? n : static_cast<int>(data.size()) - pos;
    std::memcpy(buffer, data.data() + pos, m > 0 ? m : 0);
    pos += m > 0 ? m : 0;
    return m > 0 ? m : 0;
  }
  static int Seek(void*, int offset, int whence) {
    pos = offset + (whence == 1 ? pos : whence == 2 ? static_cast<int>(data.size()) : 0);
    return 0;
  }
  static int Tell(void*) { return pos; }
};
std::string MemoryCallbacks::data;
int MemoryCallbacks::pos;

}  // namespace

TEST_F(SoundStreamTest, RawPcmAndTheCallersFileCallbacksAreSourcesToo) {
  Init(44100);
  // Headerless 16-bit stereo at 44100 Hz; the length argument limits a file.
  const std::string wav = BuildWav(2, 44100, 5000);
  const auto d = DataChunk(wav);
  const std::string raw = wav.substr(d.first);
  SoundStream* s = AuralStream_Open(raw.data(), SoundMode::FromMemory | SoundMode::RawPcm | SoundMode::Pcm16 |
                                                    SoundMode::Stereo | SoundMode::Signed,
                                    0, static_cast<int>(raw.size()));
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->lengthSamples, 5000);
  EndLog end;
  int gl = 0, gr = 0;
  ASSERT_TRUE(PlayToEnd(s, &end, &gl, &gr));
  std::vector<int16_t> pcm(5000 * 2);
  std::memcpy(pcm.data(), raw.data(), raw.size());
  ExpectMix(pcm, 2, gl, gr);
  EXPECT_TRUE(AuralStream_Close(s));
  s = AuralStream_Open(FixtureName("stereo16.wav").c_str(), SoundMode::RawPcm | SoundMode::Pcm16 | SoundMode::Stereo,
                       0, 4000);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->lengthSamples, 1000) << "4000 bytes of the file";
  EXPECT_TRUE(AuralStream_Close(s));

  // With all five callbacks installed, names go to them.
  MemoryCallbacks::data = FixtureBytes("stereo16.wav");
  MemoryCallbacks::pos = 0;
  Aural_SetFileCallbacks(MemoryCallbacks::Open, MemoryCallbacks::Close, MemoryCallbacks::Read, MemoryCallbacks::Seek,
                         MemoryCallbacks::Tell);
  EXPECT_EQ(AuralStream_Open(FixtureName("stereo16.wav").c_str(), 0, 0, 0), nullptr) << "not a name they know";
  EXPECT_EQ(SoundError, kSoundErrFileOpen);
  s = AuralStream_Open("song.wav", 0, 0, 0);
  ASSERT_NE(s, nullptr) << SoundError;
  rec.mix.clear();
  end.calls = 0;
  const bool ended = PlayToEnd(s, &end, &gl, &gr);
  Aural_SetFileCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(ended);
  ExpectMix(Pcm16(MemoryCallbacks::data), 2, gl, gr);
  EXPECT_TRUE(AuralStream_Close(s));
}

namespace {

int g_streamAllocBudget = -1;  // allocations left before they fail; -1 unlimited
void* StreamBudgetAlloc(size_t n) {
  if (g_streamAllocBudget == 0) return nullptr;
  if (g_streamAllocBudget > 0) --g_streamAllocBudget;
  return std::malloc(n);
}
void* StreamBudgetRealloc(void* p, size_t n) {
  if (g_streamAllocBudget == 0) return nullptr;
  if (g_streamAllocBudget > 0) --g_streamAllocBudget;
  return std::realloc(p, n);
}

}  // namespace

TEST_F(SoundStreamTest, OpensThatRunOutOfMemoryLeaveNothingBehind) {
  Aural_Close();
  ASSERT_TRUE(SoundMem_UseCallbacks(StreamBudgetAlloc, StreamBudgetRealloc, std::free));
  Init(44100);
  const std::string wav = BuildWav(2, 44100, 3000, CueChunks());
  const int before = SoundMem_GetState().allocationsInUse;
  bool opened = false;
  for (int budget = 0; budget < 40 && !opened; ++budget) {
    g_streamAllocBudget = budget;
    SoundStream* s = AuralStream_Open(wav.data(), SoundMode::FromMemory, 0, static_cast<int>(wav.size()));
    const int32_t error = SoundError;
    g_streamAllocBudget = -1;
    if (s) {
      opened = true;
      EXPECT_TRUE(AuralStream_Close(s));
    } else {
      EXPECT_EQ(error, kSoundErrNoMemory) << "budget " << budget;
    }
    ASSERT_EQ(SoundMem_GetState().allocationsInUse, before) << "budget " << budget;
  }
  EXPECT_TRUE(opened);
  Aural_Close();
  EXPECT_TRUE(SoundMem_UseCallbacks(nullptr, nullptr, nullptr));
}
