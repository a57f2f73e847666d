// The MOD reader and player against their own rules: format tags, cells, sample loops,
// cut files, and each effect's numbers tick by tick.
#include "ModuleBuilder.h"
#include "TrackerTestSupport.h"

using namespace modbuild;
using namespace trackertest;

namespace {

class ModPlayerTest : public SongTest {
 protected:
  static ModBuilder ToneSong(int channels = 4, const char* tag = "M.K.") {
    ModBuilder b(channels, tag);
    ModSample s;
    s.data = SineCycle(32);
    s.loopLength = 32;
    b.AddSample(s);
    ModSample pluck;
    pluck.data = Pluck(4000);
    b.AddSample(pluck);
    b.SetOrders({0});
    return b;
  }
  // Plays `b`, runs `ticks` ticks and returns channel 0's voice.
  MusicVoice* After(const ModBuilder& b, int ticks) {
    Play(b.Bytes());
    Tick(ticks);
    return Voice(0);
  }
};

}  // namespace

TEST_F(ModPlayerTest, TagsNameTheChannelCount) {
  const struct {
    const char* tag;
    int channels;
  } kTags[] = {{"M.K.", 4}, {"M!K!", 4}, {"FLT4", 4}, {"6CHN", 6}, {"8CHN", 8}, {"10CH", 10}, {"1CHN", 1}, {"32CH", 32}};
  for (const auto& t : kTags) {
    SCOPED_TRACE(t.tag);
    ASSERT_NE(Load(ToneSong(t.channels, t.tag).Bytes()), nullptr) << SoundError;
    EXPECT_EQ(song_.channelCount, t.channels);
    EXPECT_EQ(song_.format, kMusicFormatMod);
  }
  for (const char* tag : {"33CH", "00CH", "FLT8", "M.K?", "xCHN"}) {
    SCOPED_TRACE(tag);
    EXPECT_EQ(Load(ToneSong(4, tag).Bytes()), nullptr);
    EXPECT_EQ(SoundError, kSoundErrUnknownFormat);
  }
  ModBuilder b = ToneSong();
  b.SetSongLength(0);
  EXPECT_EQ(Load(b.Bytes()), nullptr) << "a song of no orders is refused";
  EXPECT_EQ(SoundError, kSoundErrReadError);
}

TEST_F(ModPlayerTest, CellsSamplesAndDefaults) {
  ModBuilder b = ToneSong(5);
  b.Note(0, 0, 0, kC2, 1);
  b.Note(0, 1, 0, 0, 1);            // period 0: no note
  b.Note(0, 2, 0, 13, 1);           // below the table: no note
  b.Note(0, 3, 0, 14, 2);
  b.Note(0, 4, 0, AmigaPeriod(1, 0), 40);  // no such sample
  ModSample shortLoop;
  shortLoop.data = SineCycle(64);
  shortLoop.loopLength = 2;         // one word: no loop
  shortLoop.finetune = 8;
  shortLoop.volume = 99;
  shortLoop.name = std::string("a\x01z", 3);
  b.AddSample(shortLoop);
  ModSample beyond;
  beyond.data = SineCycle(64);
  beyond.loopStart = 100;           // past the end
  beyond.loopLength = 40;
  b.AddSample(beyond);
  ASSERT_NE(Load(b.Bytes()), nullptr);
  EXPECT_EQ(song_.defaultPan[0], 0);
  EXPECT_EQ(song_.defaultPan[1], 255);
  EXPECT_EQ(song_.defaultPan[2], 255);
  EXPECT_EQ(song_.defaultPan[3], 0);
  EXPECT_EQ(song_.defaultPan[4], 0);
  EXPECT_EQ(song_.defaultSpeed, 6);
  EXPECT_EQ(song_.defaultBpm, 125);
  EXPECT_EQ(song_.sampleCount, 31);
  const MusicCell* row = song_.patterns[0].cells;
  EXPECT_EQ(row[0].note, 49);
  EXPECT_EQ(row[5].note, 0);
  EXPECT_EQ(row[10].note, 0);
  EXPECT_EQ(row[15].note, 108);
  EXPECT_EQ(row[20].instrument, 40);
  const SoundSample* s = song_.samples[2];
  EXPECT_EQ(s->mode & SoundMode::LoopBits, SoundMode::NoLoop);
  EXPECT_EQ(s->baseRate, 7895);
  EXPECT_EQ(s->volume, 64) << "volumes stay within 0..64";
  EXPECT_EQ(std::string(s->name, 3), std::string("a\0z", 3));
  const SoundSample* b2 = song_.samples[3];
  EXPECT_EQ(b2->mode & SoundMode::LoopBits, SoundMode::NoLoop) << "a loop outside the data is none";
  EXPECT_EQ(b2->loopStart, 0);
  EXPECT_EQ(b2->loopLength, 64);
  EXPECT_EQ(song_.samples[0]->mode & SoundMode::LoopBits, SoundMode::LoopForward);

  ASSERT_TRUE(Music_StartSong(&song_));
  Tick();
  EXPECT_EQ(Voice(0)->channel->frequency, 8363) << "C-2 plays a finetune-0 sample at its own rate";
}

TEST_F(ModPlayerTest, ShortFileTakesItsSamplesFromTheEnd) {
  ModBuilder b = ToneSong();
  b.SetOrders({0, 1});
  b.Note(0, 0, 0, kC2, 1);
  std::vector<uint8_t> bytes = b.Bytes();
  const std::vector<int8_t> tone = SineCycle(32), pluck = Pluck(4000);
  // Cut 1000 bytes out of the pattern data: the sample bytes keep their place at the end.
  bytes.erase(bytes.begin() + 1084 + 1000, bytes.begin() + 1084 + 2000);
  ASSERT_NE(Load(bytes), nullptr);
  const auto* data = static_cast<const int8_t*>(song_.samples[1]->data);
  for (int i = 0; i < 4000; i += 397) EXPECT_EQ(data[i], pluck[i]) << i;
  EXPECT_EQ(static_cast<const int8_t*>(song_.samples[0]->data)[8], tone[8]);
}

TEST_F(ModPlayerTest, PitchEffects) {
  {
    ModBuilder b = ToneSong();
    b.Note(0, 0, 0, kC2, 1, 0x0, 0x47);  // arpeggio
    MusicVoice* v = After(b, 2);
    EXPECT_EQ(v->periodDelta, 1356 - 1712) << "tick 1: four semitones up";
    Tick();
    EXPECT_EQ(v->periodDelta, 1140 - 1712) << "tick 2: seven";
    Tick();
    EXPECT_EQ(v->periodDelta, 0);
  }
  {
    ModBuilder b = ToneSong();
    b.Note(0, 0, 0, AmigaPeriod(3, 11), 1, 0x1, 0xFF);  // slide up to the floor
    EXPECT_EQ(After(b, 6)->period, 56);
    ModBuilder d = ToneSong();
    d.Note(0, 0, 0, kC2, 1, 0x2, 0x10);
    EXPECT_EQ(After(d, 6)->period, 1712 + 5 * 64) << "down without a ceiling";
  }
  {
    ModBuilder b = ToneSong();
    b.Note(0, 0, 0, kC2, 1);
    b.Note(0, 1, 0, AmigaPeriod(2, 2), 0, 0x3, 0x10);
    MusicVoice* v = After(b, 8);
    EXPECT_EQ(v->period, 1712 - 64) << "the new note does not restart, the slide moves 4 x 16";
    Tick(3);
    EXPECT_EQ(v->period, 1524) << "never past the target";
  }
  {
    ModBuilder b = ToneSong();
    b.Note(0, 0, 0, kC2, 1, 0x4, 0x48);
    MusicVoice* v = After(b, 2);
    EXPECT_EQ(v->periodDelta, 0) << "position 0 of the sine";
    Tick();
    EXPECT_EQ(v->periodDelta, (97 * 8 / 32) & ~3);
    Tick(4);
    EXPECT_EQ(song_.channels[0].vibratoPos, 20);
  }
  {
    ModBuilder b = ToneSong();
    b.Note(0, 0, 0, kC2, 1, 0xE, 0x14);
    b.Effect(0, 1, 0, 0xE, 0x23);
    MusicVoice* v = After(b, 1);
    EXPECT_EQ(v->period, 1712 - 16);
    Tick(6);
    EXPECT_EQ(v->period, 1712 - 16 + 12);
  }
}

TEST_F(ModPlayerTest, VolumeEffects) {
  {
    ModBuilder b = ToneSong();
    b.Note(0, 0, 0, kC2, 1, 0xC, 0x30);
    b.Effect(0, 1, 0, 0xA, 0x05);
    b.Effect(0, 2, 0, 0xA, 0xF3);
    b.Effect(0, 3, 0, 0xE, 0xA9);
    b.Effect(0, 4, 0, 0xE, 0xBF);
    MusicVoice* v = After(b, 1);
    EXPECT_EQ(v->volume, 0x30);
    EXPECT_EQ(v->channel->volume, 256 * 0x30 / 128) << "master volume x volume / 128";
    const int atRowStarts[] = {0x30, 0x30 - 25, 64, 49};  // rows 1 to 4
    for (int expected : atRowStarts) {
      Tick(6);
      EXPECT_EQ(v->volume, expected) << "the high nibble wins; volumes stay within 0..64";
    }
  }
  {
    ModBuilder b = ToneSong();
    b.Note(0, 0, 0, kC2, 1, 0x7, 0x48);  // tremolo
    MusicVoice* v = After(b, 3);
    EXPECT_EQ(v->volumeDelta, 0) << "the positive half is capped at 64";
    ModBuilder low = ToneSong();
    low.Note(0, 0, 0, kC2, 1, 0xC, 0x10);
    low.Effect(0, 1, 0, 0x7, 0xC8);
    v = After(low, 6 + 4);
    EXPECT_EQ(v->volumeDelta, 180 * 8 / 64) << "position 24 of the sine";
    Tick();
    EXPECT_EQ(v->volumeDelta, -(97 * 8 / 64)) << "the position wrapped into the negative half";
    Tick();
    EXPECT_EQ(v->volumeDelta, -16) << "the negative half stops at -volume";
  }
  {
    ModBuilder b = ToneSong();
    b.Note(0, 0, 0, kC2, 1, 0xE, 0xC2);
    MusicVoice* v = After(b, 2);
    EXPECT_EQ(v->volume, 64);
    Tick();
    EXPECT_EQ(v->volume, 0) << "cut at tick 2";
  }
}

TEST_F(ModPlayerTest, TriggerEffects) {
  ModBuilder b = ToneSong();
  b.Note(0, 0, 0, kC2, 2, 0x9, 0x08);         // offset 8 x 256
  b.Note(0, 1, 0, kC2, 2, 0x9, 0x20);         // past the end: the last frame
  b.Note(0, 2, 0, AmigaPeriod(1, 0), 2, 0xE, 0xD3);  // delayed by three ticks
  b.Note(0, 3, 0, kC2, 2, 0xE, 0x92);         // retriggered every second tick
  Play(b.Bytes());
  Tick();
  MusicVoice* v = Voice(0);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->channel->position, 2048);
  Tick(6);
  EXPECT_EQ(v->channel->position, 3999);
  Tick(6);
  EXPECT_EQ(v->period, 1712) << "tick 0 of the delay keeps the old note";
  Tick(3);
  EXPECT_EQ(v->period, 3424) << "the note starts at tick 3";
  EXPECT_LT(v->channel->position, 200);
  Tick(3);
  const int handle = v->handle;
  Tick();
  EXPECT_EQ(v->handle, handle);
  Tick();
  EXPECT_NE(v->handle, handle) << "retriggered at tick 2";
}

TEST_F(ModPlayerTest, FlowEffects) {
  {
    ModBuilder b = ToneSong();
    b.SetOrders({0, 1, 2});
    b.Note(0, 0, 0, kC2, 1, 0xB, 0x02);
    b.Effect(0, 0, 1, 0xD, 0x17);  // a break after the jump keeps the jump's order
    Play(b.Bytes());
    Tick(7);
    EXPECT_EQ(song_.order, 2);
    EXPECT_EQ(song_.row, 17);
  }
  {
    ModBuilder b = ToneSong();
    b.SetOrders({0, 1});
    b.Note(0, 0, 0, kC2, 1, 0xB, 0x05);  // past the end
    Play(b.Bytes());
    Tick(7);
    EXPECT_EQ(song_.order, 0);
    EXPECT_EQ(song_.finished, 1);
    EXPECT_EQ(song_.playing, 0) << "not looping: it stopped at tick 0";
    ModBuilder d = ToneSong();
    d.SetOrders({0, 1});
    d.Effect(0, 0, 0, 0xD, 0x99);
    Play(d.Bytes());
    Tick(7);
    EXPECT_EQ(song_.order, 1);
    EXPECT_EQ(song_.row, 0) << "a break row above 63 is 0";
  }
  {
    ModBuilder b = ToneSong();
    b.Effect(0, 1, 0, 0xE, 0x60);
    b.Effect(0, 2, 0, 0xE, 0x62);
    b.Effect(0, 3, 0, 0xE, 0xE2);
    b.Effect(0, 3, 1, 0xF, 0x03);  // the delay counts in the row's own speed
    Play(b.Bytes());
    std::vector<int> rows;
    for (int t = 0; t < 8 * 6; ++t) {
      if (song_.tick == 0) rows.push_back(song_.nextRow);
      Tick();
    }
    EXPECT_EQ((std::vector<int>{0, 1, 2, 1, 2, 1, 2, 3}), std::vector<int>(rows.begin(), rows.begin() + 8));
    EXPECT_EQ(song_.speed, 3);
  }
  {
    ModBuilder b = ToneSong();
    b.Effect(0, 0, 0, 0xF, 0x1F);
    b.Effect(0, 1, 0, 0xF, 0x20);
    b.Effect(0, 2, 0, 0xF, 0x00);
    Play(b.Bytes());
    Tick();
    EXPECT_EQ(song_.speed, 31);
    Tick(31);
    EXPECT_EQ(song_.bpm, 32);
    EXPECT_EQ(song_.tickSamples, 44100 * 256 / (32 * 512 / 5));
    Tick(31);
    EXPECT_EQ(song_.finished, 1) << "speed 0 ends the song";
    Tick();
    EXPECT_EQ(song_.playing, 0);
  }
}
