// The S3M reader and player against their own rules: channel settings, order markers,
// cells, damaged headers, and the effects S3M has of its own.
#include "ModuleBuilder.h"
#include "TrackerTestSupport.h"

using namespace modbuild;
using namespace trackertest;

namespace {

class S3mPlayerTest : public SongTest {
 protected:
  static S3mBuilder ToneSong(std::vector<int> settings = {0, 8, 1, 9}) {
    S3mBuilder b(std::move(settings));
    S3mSample s;
    s.data = SineCycle(32);
    s.loop = true;
    s.loopEnd = 32;
    b.AddSample(s);
    b.SetOrders({0, 255});
    return b;
  }
  MusicVoice* After(const S3mBuilder& b, int ticks) {
    Play(b.Bytes());
    Tick(ticks);
    return Voice(0);
  }
};

}  // namespace

TEST_F(S3mPlayerTest, HeaderChannelsOrdersAndSamples) {
  S3mBuilder b = ToneSong({0, 8, 255, 3});
  b.SetOrders({0, 254, 1, 255, 2});
  b.Note(0, 0, 0, kS3mC4, 1);
  b.Note(2, 0, 0, kS3mC4, 1);
  S3mSample shortLoop;
  shortLoop.data = SineCycle(64);
  shortLoop.loop = true;
  shortLoop.loopBegin = 10;
  shortLoop.loopEnd = 12;
  shortLoop.c2 = 0;
  b.AddSample(shortLoop);
  ASSERT_NE(Load(b.Bytes()), nullptr) << SoundError;
  EXPECT_EQ(song_.format, kMusicFormatS3m);
  EXPECT_EQ(song_.channelCount, 3);
  EXPECT_EQ(song_.defaultPan[0], 0);
  EXPECT_EQ(song_.defaultPan[1], 255);
  EXPECT_EQ(song_.defaultPan[2], 0);
  EXPECT_EQ(song_.orderCount, 3);
  EXPECT_EQ(song_.orderList[0], 0);
  EXPECT_EQ(song_.orderList[1], 1);
  EXPECT_EQ(song_.orderList[2], 2);
  EXPECT_EQ(song_.samples[1]->mode & SoundMode::LoopBits, SoundMode::NoLoop) << "a loop of two frames is none";
  EXPECT_EQ(song_.samples[0]->mode & SoundMode::LoopBits, SoundMode::LoopForward);
  EXPECT_EQ(static_cast<const int8_t*>(song_.samples[0]->data)[8], SineCycle(32)[8]) << "unsigned data made signed";

  S3mBuilder mono = ToneSong();
  mono.masterVolume = 0x30;  // no stereo bit
  ASSERT_NE(Load(mono.Bytes()), nullptr);
  EXPECT_EQ(song_.defaultPan[1], 128);
  // The first pan bytes of a module from Debian's gweled package: bit 0x20 gives the pan.
  S3mBuilder panned = ToneSong();
  panned.panMarker = 0xFC;
  panned.panTable = {0x27, 0x12, 0x2A};
  ASSERT_NE(Load(panned.Bytes()), nullptr);
  EXPECT_EQ(song_.defaultPan[0], 7 * 16);
  EXPECT_EQ(song_.defaultPan[1], 255) << "without the bit the channel keeps its side";
  EXPECT_EQ(song_.defaultPan[2], 10 * 16);

  S3mBuilder fast = ToneSong();
  fast.version = 0x1300;
  ASSERT_NE(Load(fast.Bytes()), nullptr);
  EXPECT_EQ(song_.formatFlags, 1) << "version 3.00 slides fast";
}

TEST_F(S3mPlayerTest, DamagedFilesAreRefusedOrClamped) {
  std::vector<uint8_t> bytes = ToneSong().Bytes();
  std::vector<uint8_t> noTag = bytes;
  noTag[44] = 'X';
  EXPECT_EQ(Load(noTag), nullptr);
  EXPECT_EQ(SoundError, kSoundErrUnknownFormat);
  std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 97);
  EXPECT_EQ(Load(cut), nullptr);
  EXPECT_EQ(SoundError, kSoundErrReadError) << "the parapointers are cut short";

  // 300 order entries: 256 are kept, the rest skipped.
  S3mBuilder many = ToneSong();
  many.SetOrders(std::vector<int>(300, 0));
  ASSERT_NE(Load(many.Bytes()), nullptr);
  EXPECT_EQ(song_.orderCount, 256);

  // A sample claiming more frames than the file holds keeps only what is there.
  std::vector<uint8_t> lying = ToneSong().Bytes();
  const size_t header = (lying[96 + 2] | lying[96 + 3] << 8) * 16;
  lying[header + 16] = lying[header + 17] = lying[header + 18] = lying[header + 19] = 0xFF;
  ASSERT_NE(Load(lying), nullptr);
  EXPECT_LE(song_.samples[0]->length, static_cast<int>(lying.size()));

  // Notes beyond the table (octave 15, semitone 13) are no notes.
  S3mBuilder odd = ToneSong();
  odd.Note(0, 0, 0, 0xFD, 1);
  odd.Note(0, 1, 0, 0x4D, 1);
  odd.Note(0, 2, 0, 254, 0);
  ASSERT_NE(Load(odd.Bytes()), nullptr);
  EXPECT_EQ(song_.patterns[0].cells[0].note, 0);
  EXPECT_EQ(song_.patterns[0].cells[4].note, 0);
  EXPECT_EQ(song_.patterns[0].cells[8].note, kMusicNoteCut);
}

TEST_F(S3mPlayerTest, VolumeSlidesAndCuts) {
  const struct {
    int param;
    bool fast;
    int atTick0, atRowEnd;
  } kSlides[] = {
      {0x3F, false, 43, 43},  // DxF: up x on tick 0 only
      {0xF3, false, 37, 37},  // DFy: down y on tick 0 only
      {0x0F, false, 40, 0},   // D0F: every later tick, 15 down
      {0xF0, false, 40, 64},  // DF0: every later tick, 15 up
      {0x05, false, 40, 15},
      {0x05, true, 35, 10},   // fast slides also move on tick 0
  };
  for (const auto& k : kSlides) {
    SCOPED_TRACE(k.param);
    S3mBuilder b = ToneSong();
    b.flags = k.fast ? 0x40 : 0;
    b.Note(0, 0, 0, kS3mC4, 1, Fx('D'), k.param, 40);
    MusicVoice* v = After(b, 1);
    EXPECT_EQ(v->volume, k.atTick0);
    Tick(5);
    EXPECT_EQ(v->volume, k.atRowEnd);
  }
  S3mBuilder b = ToneSong();
  b.Note(0, 0, 0, kS3mC4, 1, Fx('V'), 0x20, 50);
  b.Note(0, 1, 0, 254, 0);
  MusicVoice* v = After(b, 1);
  EXPECT_EQ(v->channel->volume, 50 * 32 * 256 / 8192) << "volume x global volume x master volume / 8192";
  Tick(6);
  EXPECT_EQ(v->volume, 0) << "note 254 silences at once";
}

TEST_F(S3mPlayerTest, PitchEffects) {
  {
    S3mBuilder b = ToneSong();
    b.Note(0, 0, 0, kS3mC4, 1, Fx('E'), 0x04);
    b.Effect(0, 1, 0, Fx('F'), 0xF3);
    b.Effect(0, 2, 0, Fx('F'), 0xE3);
    b.Effect(0, 3, 0, Fx('E'), 0x00);  // memory: extra fine, 3 down
    MusicVoice* v = After(b, 6);
    EXPECT_EQ(v->period, 1712 + 5 * 16);
    Tick();
    EXPECT_EQ(v->period, 1792 - 12);
    Tick(6);
    EXPECT_EQ(v->period, 1780 - 3);
    Tick(6);
    EXPECT_EQ(v->period, 1777 + 3);
  }
  {
    S3mBuilder b = ToneSong();
    b.Note(0, 0, 0, S3mNote(9, 11), 1, Fx('F'), 0x40);
    MusicVoice* v = After(b, 6);
    EXPECT_LT(v->period, 1);
    EXPECT_EQ(v->channel->sample, nullptr) << "a slide past the top stops the voice";
  }
  {
    S3mSample plain;
    plain.data = SineCycle(32);
    plain.c2 = 0;
    S3mBuilder b = ToneSong();
    b.AddSample(plain);
    b.Note(0, 0, 0, S3mNote(9, 11), 2, Fx('J'), 0xFF);
    MusicVoice* v = After(b, 2);
    EXPECT_EQ(v->period, 28) << "C2 speed 0: the table entry as it is";
    EXPECT_EQ(v->periodDelta, 14 - 28) << "the arpeggio stops at the table's last note";
  }
  {
    S3mBuilder b = ToneSong();
    b.Note(0, 0, 0, kS3mC4, 1, Fx('U'), 0x48);
    MusicVoice* v = After(b, 3);
    EXPECT_EQ(v->periodDelta, 97 * 8 / 128) << "fine vibrato keeps the low bits";
    S3mBuilder h = ToneSong();
    h.Note(0, 0, 0, kS3mC4, 1, Fx('H'), 0x48);
    v = After(h, 3);
    EXPECT_EQ(v->periodDelta, (97 * 8 / 32) & ~3);
  }
}

TEST_F(S3mPlayerTest, TremorRetriggerAndDelay) {
  S3mBuilder b = ToneSong();
  b.Note(0, 0, 0, kS3mC4, 1, Fx('I'), 0x11, 40);
  MusicVoice* v = After(b, 1);
  std::vector<int> deltas = {v->volumeDelta};
  for (int t = 1; t < 6; ++t) {
    Tick();
    deltas.push_back(v->volumeDelta);
  }
  EXPECT_EQ((std::vector<int>{0, 0, -40, -40, 0, 0}), deltas) << "two ticks on, two off";

  const struct {
    int step, from, to;
  } kSteps[] = {{1, 40, 39}, {5, 40, 24}, {6, 40, 0}, {7, 40, 20}, {11, 40, 44}, {15, 40, 64}, {14, 40, 40}};
  for (const auto& k : kSteps) {
    SCOPED_TRACE(k.step);
    S3mBuilder q = ToneSong();
    q.Note(0, 0, 0, kS3mC4, 1, Fx('Q'), k.step << 4 | 3, k.from);
    v = After(q, 3);
    EXPECT_EQ(v->volume, k.from);
    const int handle = v->handle;
    Tick();
    EXPECT_EQ(v->volume, k.to);
    EXPECT_NE(v->handle, handle) << "restarted";
  }

  S3mBuilder d = ToneSong();
  d.Note(0, 0, 0, kS3mC4, 1, 0, 0, 30);
  d.Note(0, 1, 0, S3mNote(5, 0), 1, Fx('S'), 0xD2, 20);
  d.Effect(0, 2, 0, Fx('S'), 0xC1);
  v = After(d, 7);
  EXPECT_EQ(v->volume, 30) << "the delayed note's values wait";
  EXPECT_EQ(v->period, 1712);
  Tick(2);
  EXPECT_EQ(v->volume, 20);
  EXPECT_EQ(v->period, 856);
  Tick(4);
  EXPECT_EQ(v->volume, 20);
  Tick();
  EXPECT_EQ(v->volume, 0) << "SC1 cuts at tick 1";
}

TEST_F(S3mPlayerTest, FlowAndTempo) {
  S3mBuilder b = ToneSong();
  b.SetOrders({0, 1, 255});
  b.Note(0, 0, 0, kS3mC4, 1, Fx('A'), 0);  // speed 0: every tick is a row
  b.Effect(0, 3, 0, Fx('A'), 4);
  b.Effect(0, 4, 0, Fx('T'), 0x1F);        // not a tempo
  b.Effect(0, 5, 0, Fx('T'), 0x20);
  b.Effect(0, 6, 0, Fx('S'), 0xE2);
  b.Effect(0, 7, 0, Fx('C'), 0x21);
  Play(b.Bytes());
  Tick(3);
  EXPECT_EQ(song_.row, 2) << "a row per tick";
  EXPECT_EQ(song_.finished, 0) << "speed 0 does not end an S3M song";
  Tick(1 + 4);
  EXPECT_EQ(song_.bpm, 125);
  Tick(4);
  EXPECT_EQ(song_.bpm, 32);
  Tick(4 + 3 * 4);
  EXPECT_EQ(song_.row, 7);
  Tick(4);
  EXPECT_EQ(song_.order, 1);
  EXPECT_EQ(song_.row, 21);
}

// Every real module takes the pan of each enabled channel whose pan byte has bit 0x20.
TEST_F(S3mPlayerTest, RealModulesPlayWithTheirPanTables) {
  const std::string missing = ReferencesMissing();
  if (!missing.empty()) FAIL() << missing;
  int checked = 0;
  for (const std::string& path : FilesIn(RefPath("modules\\"), "*.s3m")) {
    SCOPED_TRACE(path);
    const std::vector<uint8_t> f = ReadBytes(path);
    ASSERT_GT(f.size(), 0x60u);
    const int orders = f[32] | f[33] << 8, samples = f[34] | f[35] << 8, patterns = f[36] | f[37] << 8;
    const size_t table = 0x60 + orders + 2 * (samples + patterns);
    if (f[53] != 0xFC || !(f[51] & 0x80) || table + 32 > f.size()) continue;
    ASSERT_NE(Load(f), nullptr) << SoundError;
    for (int i = 0, channel = 0; i < 32; ++i) {
      if (f[64 + i] >= 16) continue;
      if (f[table + i] & 0x20) {
        EXPECT_EQ(song_.defaultPan[channel], (f[table + i] & 0x0F) * 16) << "channel " << channel;
        ++checked;
      }
      ++channel;
    }
  }
  std::printf("%d channel pans checked\n", checked);
  EXPECT_GT(checked, 0) << "the Debian modules have pan tables";
}
