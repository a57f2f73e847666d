// What every player shares: tempo, base rates, the apply step, the end of a song,
// callbacks, background loads, and the engine's walks over its songs.
#include "ModuleBuilder.h"
#include "TrackerTestSupport.h"
#include "music_player.h"

using namespace modbuild;
using namespace trackertest;

namespace {

class TrackerCoreTest : public SongTest {
 protected:
  static std::vector<uint8_t> Song(int orders = 1) {
    ModBuilder b;
    ModSample s;
    s.data = SineCycle(32);
    s.loopLength = 32;
    b.AddSample(s);
    std::vector<int> list;
    for (int i = 0; i < orders; ++i) list.push_back(i);
    b.SetOrders(list);
    b.Note(0, 0, 0, kC2, 1);
    return b.Bytes();
  }
  static std::vector<int> calls;
  static void Record(MusicSong*, int param, int, int) { calls.push_back(param); }
};
std::vector<int> TrackerCoreTest::calls;

}  // namespace

TEST_F(TrackerCoreTest, TempoRatesAndRefusals) {
  Play(Song());
  EXPECT_EQ(Music_SetTempo(&song_, 125), 882);
  EXPECT_EQ(Music_SetTempo(&song_, 0), Music_SetTempo(&song_, 1));
  EXPECT_EQ(song_.bpm, 1);
  song_.tempoScale = 2;  // the divisor would be 0
  EXPECT_EQ(Music_SetTempo(&song_, 1), 44100 * 256);
  EXPECT_EQ(Music_FinetuneRate(0), 8363);
  EXPECT_EQ(Music_FinetuneRate(7), 8757);
  EXPECT_EQ(Music_FinetuneRate(8), 7895);
  EXPECT_EQ(Music_FinetuneRate(15), 8280);
  EXPECT_EQ(Music_FinetuneRate(16), 8363);
  EXPECT_EQ(Music_FinetuneRate(-1), 8363);

  EXPECT_FALSE(Music_StopSong(nullptr));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  MusicSong unloaded = {};
  EXPECT_EQ(Music_SetLooping(&unloaded, TRUE), -1);
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  MusicSong other = {};
  const char junk[2000] = "not a module";
  EXPECT_EQ(Music_LoadSong(&other, junk, SoundMode::FromMemory, 0, sizeof(junk), nullptr, 0), nullptr);
  EXPECT_EQ(SoundError, kSoundErrUnknownFormat);
  EXPECT_EQ(Music_LoadSong(&other, "Z:\\no\\such\\song.mod", 0, 0, 0, nullptr, 0), nullptr);
  EXPECT_EQ(SoundError, kSoundErrFileOpen);
  Aural_Close();
  const std::vector<uint8_t> bytes = Song();
  EXPECT_EQ(Music_LoadSong(&other, bytes.data(), SoundMode::FromMemory, 0, static_cast<int>(bytes.size()), nullptr, 0),
            nullptr);
  EXPECT_EQ(SoundError, kSoundErrNotInitialised);
}

TEST_F(TrackerCoreTest, ApplyStepSendsWhatChangedAndNeverDividesByZero) {
  Play(Song());
  Tick();
  MusicVoice* v = Voice(0);
  ASSERT_NE(v, nullptr);
  SoundChannel* ch = v->channel;
  EXPECT_EQ(ch->frequency, 8363);
  EXPECT_TRUE(ch->flags & kChannelInSong);
  EXPECT_TRUE(ch->flags & kChannelReserved) << "the free-channel search leaves it to the song";
  v->period = 1000;
  v->periodDelta = -1000;
  v->flags = kVoiceFrequency;
  Music_ApplyVoice(&song_, v, song_.samples[0], 0, false);
  EXPECT_EQ(ch->frequency, 8363) << "a period of 0 sends nothing";
  v->periodDelta = 0;
  v->pan = 200;
  song_.panScale = 128;
  v->flags = kVoiceFrequency | kVoicePan | kVoiceVolume;
  Music_ApplyVoice(&song_, v, song_.samples[0], 77, false);
  EXPECT_EQ(ch->frequency, (14317056 + 500) / 1000);
  EXPECT_EQ(ch->volume, 77);
  EXPECT_EQ(ch->pan, (128 * (200 - 128) + 0x8000) >> 8);
}

TEST_F(TrackerCoreTest, SongEndsOrLoopsAtItsLastOrder) {
  Play(Song(2));
  ASSERT_EQ(Music_SetLooping(&song_, TRUE), 1);
  Tick(2 * 64 * 6 - 6);
  EXPECT_EQ(song_.finished, 0);
  Tick();
  EXPECT_EQ(song_.finished, 1) << "its last row leads past the last order";
  Tick(6);
  EXPECT_EQ(song_.order, 0) << "a looping song goes on at its restart order";
  EXPECT_EQ(song_.playing, 1);
  Music_SetLooping(&song_, FALSE);
  Tick(5);
  EXPECT_EQ(song_.playing, 1);
  Tick();
  EXPECT_EQ(song_.playing, 0) << "stopped at tick 0 once looping is off";
  EXPECT_EQ(Voice(0), nullptr) << "its voices are given back";
  for (int i = 0; i < SoundTables.channelCount; ++i)
    EXPECT_FALSE(SoundTables.channels[i].flags & (kChannelReserved | kChannelInSong)) << i;
}

TEST_F(TrackerCoreTest, RowAndOrderCallbacks) {
  Play(Song(2));
  SoundEngine.initFlags |= kMusicInitImmediateCallbacks;
  calls.clear();
  ASSERT_TRUE(Music_SetCallback(&song_, kMusicCallbackRow, 0, Record, 4));
  ASSERT_TRUE(Music_StartSong(&song_));
  Tick(6 * 13);
  EXPECT_EQ((std::vector<int>{0, 4, 8, 12}), calls) << "every fourth row";
  Music_SetCallback(&song_, kMusicCallbackRow, 0, nullptr, 0);
  ASSERT_TRUE(Music_SetCallback(&song_, kMusicCallbackOrder, 0, Record, 1));
  calls.clear();
  Tick(6 * 64);
  EXPECT_EQ((std::vector<int>{1}), calls);

  // Queued, a callback runs once the output plays the block of its row.
  SoundEngine.initFlags &= ~kMusicInitImmediateCallbacks;
  Music_SetCallback(&song_, kMusicCallbackOrder, 0, nullptr, 0);
  ASSERT_TRUE(Music_SetCallback(&song_, kMusicCallbackRow, 0, Record, 1));
  ASSERT_TRUE(Music_StartSong(&song_));
  calls.clear();
  Aural_Update();
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(song_.rowCallback->times[0], SoundEngine.bufferMs * 256 - SoundEngine.blockDuration);
  const int blocks = (SoundEngine.bufferMs * 256) / SoundEngine.blockDuration + 1;
  for (int i = 0; i < blocks; ++i) Aural_Update();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0], 0);
}

TEST_F(TrackerCoreTest, EngineWalksAndBackgroundLoads) {
  Play(Song());
  Tick();
  SoundSample* first = song_.samples[0];
  SoundSample_Free(first);
  EXPECT_EQ(song_.samples[0], nullptr) << "a freed sample leaves the song";
  Tick(6);  // plays on with nothing in that slot

  ASSERT_TRUE(Aural_Init(22050, 32));
  EXPECT_EQ(song_.tickSamples, 441) << "re-timed for the new rate";
  EXPECT_EQ(song_.playing, 0) << "the close stopped it";
  ASSERT_TRUE(Music_StartSong(&song_));
  Aural_Close();
  EXPECT_EQ(song_.playing, 0);
  ASSERT_TRUE(Aural_Init(44100, 32));

  static volatile LONG called = 0;
  MusicSong background = {};
  const std::vector<uint8_t> bytes = Song(3);
  ASSERT_TRUE(Music_RequestLoad(&background, bytes.data(), SoundMode::FromMemory, 0, static_cast<int>(bytes.size()),
                                [](MusicSong*, int) { InterlockedIncrement(&called); }));
  for (int i = 0; i < 5000 && !called; ++i) Sleep(1);
  EXPECT_EQ(called, 1);
  EXPECT_EQ(background.loaded, 1);
  EXPECT_EQ(background.orderCount, 3);
  Music_FreeSong(&background);
}
