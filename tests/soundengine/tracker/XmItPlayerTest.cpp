// XM and IT players against their own rules: damaged headers, the IT decompressor on
// data from a test encoder, Ogg Vorbis samples against their PCM twin, and sample banks
// played as songs.
#include <algorithm>
#include <random>

#include "BankTestSupport.h"
#include "EffectModules.h"
#include "TrackerTestSupport.h"
#include "XmItBuilder.h"
#include "format_it.h"

using namespace trackertest;
using namespace xmitbuild;

namespace {

class XmItPlayerTest : public SongTest {
 protected:
  // Ticks the song; false when it stopped on the way.
  bool Ticks(int count) {
    for (int i = 0; i < count && song_.playing; ++i) Tick();
    return song_.playing != 0;
  }
};

std::vector<int> Noise(int count, int amplitude, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<int> v(count);
  int walk = 0;
  for (int& x : v) {
    walk = std::clamp(walk + static_cast<int>(rng() % 41) - 20, -amplitude, amplitude);
    x = (rng() % 16 == 0) ? static_cast<int>(rng() % (2 * amplitude)) - amplitude : walk;  // jumps of every width
  }
  return v;
}

}  // namespace

TEST(ItDecompressorTest, EncodedDataComeBackAndDamageIsRefused) {
  for (bool sixteen : {false, true})
    for (bool it215 : {false, true}) {
      SCOPED_TRACE(std::string(sixteen ? "16" : "8") + (it215 ? " 2.15" : " 2.14"));
      // 0x8001 8-bit samples take two blocks, the second of one sample.
      const std::vector<int> in = Noise(sixteen ? 0x4001 + 300 : 0x8001, sixteen ? 30000 : 127, 7);
      const std::vector<uint8_t> packed = ItCompress(in, sixteen, it215);
      std::vector<int> out(in.size());
      if (sixteen) {
        std::vector<int16_t> d(in.size());
        ASSERT_EQ(ItSample_Decompress16(packed.data(), packed.size(), d.data(), static_cast<int>(d.size()), it215), 1);
        std::copy(d.begin(), d.end(), out.begin());
      } else {
        std::vector<int8_t> d(in.size());
        ASSERT_EQ(ItSample_Decompress8(packed.data(), packed.size(), d.data(), static_cast<int>(d.size()), it215), 1);
        std::copy(d.begin(), d.end(), out.begin());
      }
      EXPECT_EQ(out, in);
    }
  // 2.14 data integrate once, 2.15 twice: the same bytes give different samples.
  const std::vector<uint8_t> ramp = ItCompress({1, 2, 3, 4}, false, false);
  int8_t once[4], twice[4];
  ASSERT_EQ(ItSample_Decompress8(ramp.data(), ramp.size(), once, 4, false), 1);
  ASSERT_EQ(ItSample_Decompress8(ramp.data(), ramp.size(), twice, 4, true), 1);
  EXPECT_EQ(once[3], 4);
  EXPECT_EQ(twice[3], 1 + 2 + 3 + 4);

  // A first 9-bit value with bit 8 set changes the width and makes no sample: 0x100 | 7
  // is width 8, then 8-bit values 5 and 3.
  BitWriter w;
  w.Write(0x100 | 7, 9);
  w.Write(5, 8);
  w.Write(3, 8);
  std::vector<uint8_t> block = {static_cast<uint8_t>(w.bytes.size()), 0};
  block.insert(block.end(), w.bytes.begin(), w.bytes.end());
  int8_t two[2];
  ASSERT_EQ(ItSample_Decompress8(block.data(), block.size(), two, 2, false), 1);
  EXPECT_EQ(two[0], 5);
  EXPECT_EQ(two[1], 8);

  int8_t out8[16];
  std::vector<uint8_t> lying = block;
  lying[0] = 200;  // more bytes than follow
  EXPECT_EQ(ItSample_Decompress8(lying.data(), lying.size(), out8, 2, false), 0);
  EXPECT_EQ(ItSample_Decompress8(block.data(), block.size(), out8, 16, false), 0) << "reading past the block";
  BitWriter zero;  // width 0 from a width-9 escape of 0xFF
  zero.Write(0x1FF, 9);
  zero.Write(0, 16);
  std::vector<uint8_t> zeroBlock = {static_cast<uint8_t>(zero.bytes.size()), 0};
  zeroBlock.insert(zeroBlock.end(), zero.bytes.begin(), zero.bytes.end());
  EXPECT_EQ(ItSample_Decompress8(zeroBlock.data(), zeroBlock.size(), out8, 1, false), 0);
  BitWriter wide;  // width 10: past what 8-bit data can use
  wide.Write(0x100 | 9, 9);
  wide.Write(0, 16);
  std::vector<uint8_t> wideBlock = {static_cast<uint8_t>(wide.bytes.size()), 0};
  wideBlock.insert(wideBlock.end(), wide.bytes.begin(), wide.bytes.end());
  EXPECT_EQ(ItSample_Decompress8(wideBlock.data(), wideBlock.size(), out8, 1, false), 0);
}

TEST_F(XmItPlayerTest, CompressedItSamplesLoadLikePlainOnes) {
  ItSample plain;
  plain.data = Noise(5000, 120, 3);
  for (ItCompression mode : {ItCompression::kNone, ItCompression::k214, ItCompression::k215}) {
    ItBuilder b;
    b.compatibleVersion = 0x0215;
    ItSample s = plain;
    s.compression = mode;
    b.AddSample(s);
    b.At(0, 0, 0) = ItCell{60, 1, -1, 0, 0};
    ASSERT_NE(Load(b.Bytes()), nullptr) << SoundError;
    SoundSample* loaded = song_.samples[0];
    ASSERT_EQ(loaded->length, 5000);
    const auto* data = static_cast<const int8_t*>(loaded->data);
    EXPECT_TRUE(std::equal(plain.data.begin(), plain.data.end(), data)) << static_cast<int>(mode);
  }
}

TEST_F(XmItPlayerTest, XmHeadersThatLieAreBounded) {
  XmBuilder b = effectmods::XmSong();
  b.At(0, 0, 0) = XmCell{49, 1, 0, 0, 0};
  b.declaredLength = 300;
  b.restart = 280;
  ASSERT_NE(Load(b.Bytes()), nullptr);
  EXPECT_EQ(song_.orderCount, 256) << "the order table has 256 entries";
  EXPECT_EQ(song_.restartOrder, 0);
  b.declaredLength = -1;
  b.restart = 0;

  XmBuilder many = b;
  many.declaredChannels = 65;
  EXPECT_EQ(Load(many.Bytes()), nullptr);
  EXPECT_EQ(SoundError, kSoundErrReadError);

  // A pattern of 0 rows has one; a break beyond the next pattern's rows lands on row 0.
  XmBuilder rows = b;
  rows.orders = {0, 1};
  rows.SetRows(1, 8);
  rows.At(0, 15, 3) = XmCell{0, 0, 0, 0xD, 0x20};
  rows.SetRows(2, 0);
  Play(rows.Bytes());
  EXPECT_EQ(song_.patterns[2].rows, 1);
  ASSERT_TRUE(Ticks(16 * 6 + 1));
  EXPECT_EQ(song_.order, 1);
  EXPECT_EQ(song_.row, 0);

  // Twenty samples: sixteen slots, and the next instrument is still found after them;
  // a note map naming a slot past 16 plays "Invalid Sample"; envelopes of 20 points and
  // a loop whose points share one x play without hanging.
  XmInstrument crowded = effectmods::XmTone();
  crowded.samples.resize(20, crowded.samples[0]);
  crowded.map.fill(200);
  crowded.volume.points.assign(12, {5, 32});
  crowded.volume.type = 1 | 4;
  crowded.volume.loopStart = 3;
  crowded.volume.loopEnd = 6;
  XmBuilder odd;
  odd.AddInstrument(crowded);
  odd.AddInstrument(effectmods::XmTone());
  odd.At(0, 0, 0) = XmCell{49, 1, 0, 0, 0};
  odd.At(0, 0, 1) = XmCell{49, 2, 0, 0, 0};
  odd.At(0, 1, 2) = XmCell{96, 2, 0, 0, 0};
  std::vector<uint8_t> bytes = odd.Bytes();
  // The count of envelope points as stored: 20.
  const char kName[] = "instrument";
  const size_t instrumentAt = std::search(bytes.begin(), bytes.end(), kName, kName + 10) - bytes.begin() - 4;
  bytes[instrumentAt + 225] = 20;
  Play(bytes);
  EXPECT_EQ(song_.sampleCount, 16 + 1);
  ASSERT_TRUE(Ticks(12));
  ASSERT_NE(Voice(1), nullptr);
  EXPECT_EQ(Voice(1)->channel->frequency, 8363) << "the second instrument is read where the first one ends";
  EXPECT_FALSE(Voice(0) && Voice(0)->channel->ops.isPlaying(Voice(0)->channel)) << "map entry 200: no sample";
  EXPECT_GT(Voice(2)->channel->frequency, 0) << "note 96 plays";
}

TEST_F(XmItPlayerTest, XmRealNoteStaysInsideThePeriodTable) {
  for (bool linear : {true, false}) {
    XmInstrument ins = effectmods::XmTone();
    ins.samples[0].relativeNote = 127;
    XmBuilder b = effectmods::XmSong(ins);
    b.linear = linear;
    b.At(0, 0, 0) = XmCell{96, 1, 0, 0, 0x47};
    Play(b.Bytes());
    ASSERT_TRUE(Ticks(4));
    ASSERT_NE(Voice(0), nullptr);
    EXPECT_EQ(song_.channels[0].realNote, 130);
    EXPECT_GT(Voice(0)->channel->frequency, 0);
  }
}

// A note without an instrument byte starts its voice at full fade volume, as one with it.
TEST_F(XmItPlayerTest, XmNoteWithoutInstrumentPlaysAtFullVolume) {
  int volumes[2] = {};
  for (int instrument : {1, 0}) {
    XmBuilder b = effectmods::XmSong();
    b.At(0, 0, 0) = XmCell{effectmods::kXmC4, instrument, 0x50, 0, 0};
    Play(b.Bytes());
    ASSERT_TRUE(Ticks(2));
    ASSERT_NE(Voice(0), nullptr);
    EXPECT_EQ(Voice(0)->fadeVolume, 65536) << instrument;
    volumes[instrument] = Voice(0)->channel->volume;
  }
  EXPECT_GT(volumes[1], 0);
  EXPECT_EQ(volumes[0], volumes[1]);
}

TEST_F(XmItPlayerTest, ItOrdersNotesAndBreaksAreBounded) {
  // Only markers and looping on: the song stops instead of skipping for ever.
  ItBuilder markers = effectmods::ItSong();
  markers.orders = {254, 254, 254, 0, 255};
  markers.At(0, 0, 0) = ItCell{60, 1, -1, 0, 0};
  std::vector<uint8_t> bytes = markers.Bytes();
  bytes[192 + 3] = 254;
  ASSERT_NE(Load(bytes, SoundMode::NoLoop | 0x2), nullptr);
  ASSERT_TRUE(Music_StartSong(&song_));
  Tick();
  EXPECT_EQ(song_.playing, 0);

  // Skips: 254 entries are stepped over; a note of 120 or more is none; a map naming a
  // sample past the count starts nothing; a break beyond the target's rows lands on 0.
  ItBuilder b = effectmods::ItSong();
  b.instrumentMode = true;
  ItInstrument ins;
  ins.sample = 9;
  b.AddInstrument(ins);
  ItInstrument good;
  b.AddInstrument(good);
  b.orders = {254, 0, 254, 1, 255};
  b.At(0, 0, 0) = ItCell{200, 1, -1, 0, 0};
  b.At(0, 0, 1) = ItCell{60, 1, -1, 0, 0};
  b.At(0, 0, 2) = ItCell{60, 2, -1, 0, 0};
  b.At(0, 2, 3) = ItCell{-1, 0, -1, 3, 40};
  b.SetRows(1, 16);
  Play(b.Bytes());
  Tick();
  EXPECT_EQ(song_.order, 1);
  EXPECT_EQ(Voice(0), nullptr);
  EXPECT_EQ(Voice(1), nullptr) << "sample 9 of 1";
  ASSERT_NE(Voice(2), nullptr);
  ASSERT_TRUE(Ticks(3 * 6));
  EXPECT_EQ(song_.order, 3);
  EXPECT_EQ(song_.row, 0) << "row 40 of a 16-row pattern";
}

TEST_F(XmItPlayerTest, ItNewNoteActionsKeepVoicesInTheBackground) {
  ItBuilder b = effectmods::ItSong();
  b.instrumentMode = true;
  ItInstrument keep;
  keep.newNoteAction = 1;  // continue
  b.AddInstrument(keep);
  ItInstrument cut;
  b.AddInstrument(cut);
  b.At(0, 0, 0) = ItCell{60, 1, -1, 0, 0};
  b.At(0, 1, 0) = ItCell{67, 1, -1, 0, 0};
  b.At(0, 2, 0) = ItCell{72, 2, -1, 0, 0};
  b.At(0, 3, 0) = ItCell{60, 2, -1, 0, 0};
  Play(b.Bytes());
  auto voices = [&] {
    int n = 0;
    for (SoundLink* l = song_.channels[0].voices.next; l != &song_.channels[0].voices; l = l->next) ++n;
    return n;
  };
  Tick(6);
  EXPECT_EQ(voices(), 1);
  Tick(6);
  EXPECT_EQ(voices(), 2) << "the first note continues in the background";
  Tick(6);
  EXPECT_EQ(voices(), 3);
  Tick(6);
  EXPECT_EQ(voices(), 3) << "a cut note reuses its voice";
}

TEST_F(XmItPlayerTest, OggSamplesPlayLikeTheirPcmTwin) {
  const std::string missing = BuiltReferencesMissing();
  if (!missing.empty()) FAIL() << missing;
  const std::vector<uint8_t> ogg = ReadBytes(RefPath(std::string("built\\") + effectmods::kOggSampleFile + ".ogg"));
  ASSERT_GT(ogg.size(), 100u) << "oggenc's file";
  auto song = [&](bool asOgg) {
    XmInstrument ins;
    XmSample s;
    s.data = effectmods::OggTwinSample();
    s.sixteen = true;
    if (asOgg) s.ogg = ogg;
    ins.samples.push_back(s);
    XmBuilder b = effectmods::XmSong(ins);
    b.At(0, 0, 0) = XmCell{49, 1, 0, 0, 0};
    b.At(0, 8, 0) = XmCell{56, 1, 0, 0, 0};
    return b.Bytes();
  };
  // An Ogg block the reader refuses leaves its slot silent; loading goes on.
  std::vector<uint8_t> broken = ogg;
  for (size_t i = 40; i < broken.size(); ++i) broken[i] = static_cast<uint8_t>(i * 7);
  XmInstrument ins;
  XmSample s;
  s.data.assign(100, 0);
  s.ogg = broken;
  ins.samples.push_back(s);
  XmBuilder bad = effectmods::XmSong(ins);
  bad.AddInstrument(effectmods::XmTone());
  ASSERT_NE(Load(bad.Bytes()), nullptr) << SoundError;
  EXPECT_EQ(song_.sampleCount, 1) << "only the second instrument's sample";

  // (The renders below close the engine.)
  std::vector<int16_t> pcm, viaOgg;
  ASSERT_TRUE(RenderAll(song(false), &pcm, tracker::kQualityMixer).loaded);
  ASSERT_TRUE(RenderAll(song(true), &viaOgg, tracker::kQualityMixer).loaded);
  ASSERT_EQ(pcm.size(), viaOgg.size());
  Envelope a, b;
  a.Add(pcm.data(), static_cast<int>(pcm.size() / 2));
  b.Add(viaOgg.data(), static_cast<int>(viaOgg.size() / 2));
  EXPECT_GT(Correlation(a.values, b.values), 0.98);
  double peak = 0, diff = 0;
  for (size_t i = 0; i < pcm.size(); ++i) {
    peak = std::max(peak, std::fabs(static_cast<double>(pcm[i])));
    diff += std::fabs(static_cast<double>(pcm[i]) - viaOgg[i]);
  }
  EXPECT_LT(diff / pcm.size(), peak * 0.05) << "lossy, but the same sound";

}

TEST_F(XmItPlayerTest, SampleBankPlaysItsSamplesInOrderAndStops) {
  std::vector<banktest::Entry> entries(3);
  for (int i = 0; i < 3; ++i) {
    banktest::Entry& e = entries[i];
    e.name = "s" + std::to_string(i);
    e.mode = SoundMode::Pcm16 | SoundMode::Mono | SoundMode::Signed | SoundMode::LoopForward;
    e.rate = 44100;
    e.length = 2000 + 500 * i;
    e.loopEnd = e.length - 1;
    for (uint32_t k = 0; k < e.length; ++k) streamtest::Put16(e.data, (k * (i + 1) * 37) & 0x3FFF);
  }
  const std::string bank = banktest::BuildBank(entries);
  auto playOrder = [&](const int* indices, int count, uint32_t loop = SoundMode::NoLoop, int blocks = 2000) {
    bytes_.assign(bank.begin(), bank.end());
    Music_FreeSong(&song_);
    EXPECT_NE(Music_LoadSong(&song_, bytes_.data(), SoundMode::FromMemory | loop, 0, static_cast<int>(bytes_.size()),
                             indices, count),
              nullptr);
    EXPECT_EQ(song_.format, kMusicFormatBank);
    EXPECT_STREQ(song_.name, "Aural Sample Bank");
    std::vector<int> order;
    if (!Music_StartSong(&song_)) return order;
    for (int block = 0; block < blocks && song_.playing; ++block) {
      Aural_Update();
      for (int c = 0; c < SoundTables.channelCount; ++c) {
        SoundChannel* ch = &SoundTables.channels[c];
        if (!ch->ops.isPlaying || !ch->ops.isPlaying(ch)) continue;
        for (int n = 0; n < song_.sampleCount; ++n)
          if (song_.samples[n] && ch->sample == song_.samples[n] && (order.empty() || order.back() != n)) order.push_back(n);
      }
    }
    EXPECT_EQ(song_.playing, loop == SoundMode::NoLoop ? 0 : 1) << "only a looping song goes on after its last sample";
    return order;
  };
  EXPECT_EQ(playOrder(nullptr, 0), (std::vector<int>{0, 1, 2})) << "each once although they loop";
  const int only[] = {2};
  EXPECT_EQ(playOrder(only, 1), (std::vector<int>{2}));
  EXPECT_EQ(song_.samples[0], nullptr);
  EXPECT_EQ(song_.samples[1], nullptr);
  // A looping bank starts again from its first sample, round after round.
  const std::vector<int> looped = playOrder(nullptr, 0, SoundMode::LoopForward, 3000);
  ASSERT_GE(looped.size(), 7u);
  EXPECT_EQ(std::vector<int>(looped.begin(), looped.begin() + 7), (std::vector<int>{0, 1, 2, 0, 1, 2, 0}));
}
