// Tiny files whose headers claim gigabytes: bank entries longer than their data, IT samples
// whose data lie past the end of the file, IT compressed samples that all share one data
// block, Ogg Vorbis files (oggenc's, alone and inside XM songs) whose headers claim rates
// and lengths they do not hold, embedded-file banks whose entries name no data. Each loads
// as a song, a sample and a stream while the engine's allocator stays far below what the
// headers claim; valid IT files that pack densely still load whole, each sample held once;
// an XM song's Ogg-packed samples, valid or not, hold no more than the song's budget.
#include <gtest/gtest.h>

#include <cstdio>

#include "BankTestSupport.h"
#include "LoadBoundFiles.h"
#include "LoadPeak.h"
#include "ModuleBuilder.h"
#include "OggPages.h"
#include "ReaderTestSupport.h"
#include "TrackerTestSupport.h"
#include "XmItBuilder.h"
#include "format_bank.h"

namespace {

constexpr int64_t kMaxPeak = int64_t{64} << 20;

class LoadBounds : public trackertest::SongTest {
 protected:
  loadpeak::Peaks Measure(const std::string& name, const std::vector<uint8_t>& file) {
    const loadpeak::Peaks p = loadpeak::LoadEveryWay(std::string(file.begin(), file.end()));
    std::printf("%s (%zu bytes): peak song %lld, sample %lld, stream %lld bytes\n", name.c_str(), file.size(),
                static_cast<long long>(p.song), static_cast<long long>(p.sample), static_cast<long long>(p.stream));
    RecordProperty(name + "_peak_bytes", std::to_string(p.Largest()));
    EXPECT_LT(p.Largest(), kMaxPeak) << name;
    return p;
  }
};

std::vector<uint8_t> Vec(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

void Set32(std::vector<uint8_t>* f, size_t at, uint32_t v) {
  for (int b = 0; b < 4; ++b) (*f)[at + b] = static_cast<uint8_t>(v >> (8 * b));
}
uint32_t Get32(const std::vector<uint8_t>& f, size_t at) {
  return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | static_cast<uint32_t>(f[at + 3]) << 24;
}

// Where sample `i`'s header lies in a file the IT builder wrote (no instruments).
size_t ItSampleHeader(const std::vector<uint8_t>& f, int orders, int i) { return Get32(f, 192 + orders + 4 * i); }

// The identification header ("\x01vorbis", version, channels, rate) claims `rate`.
std::string OggClaimingRate(std::string f, uint32_t rate) {
  const oggpages::Page first = oggpages::Pages(f).at(0);
  const size_t packet = first.at + oggpages::kHeaderBytes + static_cast<uint8_t>(f[first.at + oggpages::kSegmentsAt]);
  oggpages::PutLe(&f, packet + 12, rate, 4);
  oggpages::Rechecksum(&f, first);
  return f;
}

// The last page claims the stream ends at sample `granule`.
std::string OggClaimingLength(std::string f, uint64_t granule) {
  const oggpages::Page last = oggpages::Pages(f).back();
  oggpages::PutLe(&f, last.at + oggpages::kGranuleAt, granule, 8);
  oggpages::Rechecksum(&f, last);
  return f;
}

// A compressed IT sample of `frames` frames, silent but for a tone and a loop over its
// last 32 frames: it packs about as densely as IT data can.
xmitbuild::ItSample QuietSample(bool sixteen, int frames, bool it215) {
  xmitbuild::ItSample s;
  s.sixteen = sixteen;
  s.data.assign(static_cast<size_t>(frames), 0);
  const std::vector<int> tone = xmitbuild::Sine(16, 4, sixteen ? 9000 : 90);
  std::copy(tone.begin(), tone.end(), s.data.end() - static_cast<long>(tone.size()));
  s.loop = true;
  s.loopEnd = frames;
  s.loopBegin = frames - 32;
  s.compression = it215 ? xmitbuild::ItCompression::k215 : xmitbuild::ItCompression::k214;
  return s;
}

}  // namespace

TEST_F(LoadBounds, BankEntriesHoldNoMoreThanTheirData) {
  // 98 bytes: one 16-bit entry of 0x3F000000 samples (2,016 MB) over 2 data bytes.
  banktest::Entry claim;
  claim.mode = SoundMode::Pcm16 | SoundMode::Mono;
  claim.length = 0x3F000000;
  claim.data = std::string("\x10\x20", 2);
  const std::vector<uint8_t> one = Vec(banktest::BuildBank({claim}));
  ASSERT_EQ(one.size(), 98u);
  const loadpeak::Peaks p = Measure("bank_98", one);
  EXPECT_TRUE(p.songLoaded && p.sampleLoaded && p.streamOpened) << "the sound the data hold still plays";
  ASSERT_NE(Load(one), nullptr) << SoundError;
  ASSERT_NE(song_.samples[0], nullptr);
  EXPECT_EQ(song_.samples[0]->length, 1);

  // 128 bytes: four such entries of 1 GB each (shared headers), 4 GB as a song.
  claim.length = 0x20000000;
  const std::vector<uint8_t> four = Vec(banktest::BuildBank({claim, claim, claim, claim}, true, 0, 2));
  ASSERT_EQ(four.size(), 128u);
  EXPECT_TRUE(Measure("bank_128", four).songLoaded);
  ASSERT_NE(Load(four), nullptr) << SoundError;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(song_.samples[i]->length, 1) << i;
}

TEST_F(LoadBounds, ItSamplesWhoseDataLiePastTheEndHoldNothing) {
  for (int count : {1, 4}) {
    for (bool compressed : {false, true}) {
      xmitbuild::ItBuilder b;
      xmitbuild::ItSample s;
      s.sixteen = true;
      s.data = {100, -100, 50};
      s.compression = compressed ? xmitbuild::ItCompression::k214 : xmitbuild::ItCompression::kNone;
      for (int i = 0; i < count; ++i) b.AddSample(s);
      std::vector<uint8_t> f = b.Bytes();
      // Each claims 0x1FFFFFFF 16-bit frames (1,024 MB) at a data offset past the end.
      for (int i = 0; i < count; ++i) {
        const size_t h = ItSampleHeader(f, static_cast<int>(b.orders.size()), i);
        Set32(&f, h + 48, 0x1FFFFFFF);
        Set32(&f, h + 72, static_cast<uint32_t>(f.size() + 1000));
      }
      const std::string name = "it_past_end_" + std::to_string(count) + (compressed ? "_compressed" : "");
      EXPECT_TRUE(Measure(name, f).songLoaded) << name;
      ASSERT_NE(Load(f), nullptr) << SoundError;
      for (int i = 0; i < count; ++i) EXPECT_EQ(song_.samples[i]->length, 0) << name << " sample " << i;
    }
  }
}

TEST_F(LoadBounds, ItCompressedSamplesSharingOneBlockStayWithinAMultipleOfTheFile) {
  // One real compressed 16-bit sample of about 190 KB, and 254 more headers that point at
  // the same bytes, each claiming 0x1000000 frames.
  xmitbuild::ItBuilder b;
  xmitbuild::ItSample noise;
  noise.sixteen = true;
  noise.compression = xmitbuild::ItCompression::k215;
  b.compatibleVersion = 0x0215;
  uint32_t r = 1;
  for (int i = 0; i < 90000; ++i) noise.data.push_back(static_cast<int16_t>((r = r * 1103515245 + 12345) >> 16));
  b.AddSample(noise);
  xmitbuild::ItSample tiny;
  tiny.data = {1};
  for (int i = 1; i < 255; ++i) b.AddSample(tiny);
  std::vector<uint8_t> f = b.Bytes();
  const int orders = static_cast<int>(b.orders.size());
  const size_t first = ItSampleHeader(f, orders, 0);
  for (int i = 0; i < 255; ++i) {
    const size_t h = ItSampleHeader(f, orders, i);
    if (i == 0) continue;
    std::copy(f.begin() + first, f.begin() + first + 80, f.begin() + h);
    Set32(&f, h + 48, 0x1000000);
  }
  const loadpeak::Peaks p = Measure("it_shared_compressed", f);
  EXPECT_TRUE(p.songLoaded);
  EXPECT_LT(p.song, 20 * static_cast<int64_t>(f.size())) << "a sane multiple of the file";
  ASSERT_NE(Load(f), nullptr) << SoundError;
  EXPECT_EQ(song_.samples[0]->length, 90000) << "the first sample decompresses whole";
}

TEST_F(LoadBounds, ItSamplesThatPackDenselyLoadWhole) {
  // Long, mostly silent samples (a silent 16-bit block of 0x4000 frames packs into about
  // 2 KB) of both widths and both compressions, of lengths on and beside block edges, each
  // with a tone and a loop over its last frames.
  for (int count : {1, 2, 8}) {
    for (bool it215 : {false, true}) {
      xmitbuild::ItBuilder b;
      b.compatibleVersion = 0x0215;
      std::vector<xmitbuild::ItSample> made;
      for (int k = 0; k < count; ++k) {
        const bool sixteen = k % 2 == 0;
        const int block = sixteen ? 0x4000 : 0x8000;
        const int edge[] = {0, 1, -1};
        const xmitbuild::ItSample s = QuietSample(sixteen, block * (2 + k % 3) + edge[k % 3], it215);
        b.AddSample(s);
        made.push_back(s);
      }
      const std::vector<uint8_t> f = b.Bytes();
      const std::string name = "it_dense_" + std::to_string(count) + (it215 ? "_215" : "_214");
      Measure(name, f);
      ASSERT_NE(Load(f), nullptr) << SoundError;
      for (int k = 0; k < count; ++k) {
        SCOPED_TRACE(name + " sample " + std::to_string(k));
        const SoundSample* s = song_.samples[k];
        const xmitbuild::ItSample& want = made[k];
        EXPECT_EQ(s->length, static_cast<int>(want.data.size()));
        if (s->length != static_cast<int>(want.data.size())) continue;
        int differ = 0;
        for (int i = 0; i < s->length; ++i) {
          const int v = want.sixteen ? static_cast<const int16_t*>(s->data)[i] : static_cast<const int8_t*>(s->data)[i];
          differ += v != want.data[i];
        }
        EXPECT_EQ(differ, 0) << "frames unlike the data";
        EXPECT_TRUE(s->mode & SoundMode::LoopForward);
        EXPECT_EQ(s->loopStart, want.loopBegin);
        EXPECT_EQ(s->loopLength, 32);
      }
    }
  }
}

TEST_F(LoadBounds, ItDenseSamplesAreHeldOnceWhileTheyLoad) {
  // About 260 KB of file for 3 MB of samples: 2 MB of 16-bit, 1 MB of 8-bit.
  xmitbuild::ItBuilder b;
  b.compatibleVersion = 0x0215;
  b.AddSample(QuietSample(true, 0x4000 * 64, true));
  b.AddSample(QuietSample(false, 0x8000 * 32, false));
  const std::vector<uint8_t> f = b.Bytes();
  const int64_t held = 0x4000 * 64 * 2 + 0x8000 * 32;
  const loadpeak::Peaks p = Measure("it_dense_held_once", f);
  EXPECT_TRUE(p.songLoaded);
  // The file's image, the samples, and the song's small tables: no second copy of a sample.
  EXPECT_LT(p.song, static_cast<int64_t>(f.size()) + held + held / 16);
  ASSERT_NE(Load(f), nullptr) << SoundError;
  EXPECT_EQ(song_.samples[0]->length, 0x4000 * 64) << "the samples load whole";
  EXPECT_EQ(song_.samples[1]->length, 0x8000 * 32);
}

TEST_F(LoadBounds, S3mSamplesSharingTheirDataStayWithinAMultipleOfTheFile) {
  // 99 sample headers that all name the same 30,000 bytes.
  modbuild::S3mBuilder b;
  modbuild::S3mSample big;
  big.data.assign(30000, 20);
  b.AddSample(big);
  modbuild::S3mSample tiny;
  tiny.data = {1};
  for (int i = 1; i < 99; ++i) b.AddSample(tiny);
  std::vector<uint8_t> f = b.Bytes();
  const size_t pointers = 96 + (f[32] | f[33] << 8);
  auto header = [&](int i) { return static_cast<size_t>(f[pointers + 2 * i] | f[pointers + 2 * i + 1] << 8) * 16; };
  for (int i = 1; i < 99; ++i) std::copy(f.begin() + header(0), f.begin() + header(0) + 80, f.begin() + header(i));
  Measure("s3m_shared", f);
  ASSERT_NE(Load(f), nullptr) << SoundError;
  EXPECT_EQ(song_.samples[0]->length, 30000);
  int64_t total = 0;
  for (int i = 0; i < song_.sampleCount; ++i) total += song_.samples[i] ? song_.samples[i]->length : 0;
  EXPECT_LE(total, 8 * static_cast<int64_t>(f.size()));
}

TEST_F(LoadBounds, OggRatesTheMixerCannotPlayAreRefused) {
  for (const char* name : {"ogg_mono.ogg", "ogg_stereo.ogg"}) {
    const std::string ogg = readertest::Bytes(name);
    ASSERT_FALSE(ogg.empty()) << name;
    // 600 MHz sized a stream's ring: 964 MB mono, 1.9 GB stereo.
    const loadpeak::Peaks claim = Measure(std::string(name) + "_600MHz", Vec(OggClaimingRate(ogg, 600000000)));
    EXPECT_FALSE(claim.streamOpened || claim.sampleLoaded) << name;
    EXPECT_TRUE(Measure(std::string(name) + "_768kHz", Vec(OggClaimingRate(ogg, 768000))).streamOpened)
        << name << ": the highest rate a reader takes";
    EXPECT_FALSE(Measure(std::string(name) + "_768001Hz", Vec(OggClaimingRate(ogg, 768001))).streamOpened) << name;
  }
}

TEST_F(LoadBounds, OggSamplesHoldWhatDecodesNotWhatTheLastPageClaims) {
  struct File {
    const char *ogg, *raw;
    int channels;
  };
  for (const File& file : {File{"ogg_mono_pages.ogg", "ogg_mono_pages.raw", 1}, File{"ogg_stereo.ogg", "ogg_stereo.raw", 2}}) {
    SCOPED_TRACE(file.ogg);
    const std::vector<int16_t> reference = readertest::Raw16(file.raw);
    const int frames = static_cast<int>(reference.size()) / file.channels;
    ASSERT_GT(frames, 0);
    // 500,000,000 samples: 1 GB (mono) or 2 GB (stereo) as a sample.
    const std::string lying = OggClaimingLength(readertest::Bytes(file.ogg), 500000000);
    ASSERT_GT(oggpages::Pages(lying).size(), 3u) << "the claim stands on the second audio page or later";
    const loadpeak::Peaks p = Measure(std::string(file.ogg) + "_granule_500M", Vec(lying));
    EXPECT_TRUE(p.sampleLoaded && p.streamOpened);
    SoundSample* s = SoundSample_Load(-1, lying.data(), SoundMode::FromMemory, 0, static_cast<int>(lying.size()), nullptr);
    ASSERT_NE(s, nullptr) << SoundError;
    // Every frame sox decodes, and no more than the last packet's untrimmed end.
    EXPECT_GE(s->length, frames);
    EXPECT_LT(s->length, frames + 4096);
    EXPECT_LT(readertest::RmsDiff(static_cast<const int16_t*>(s->data), reference.data(), reference.size()), 2.0);
    SoundSample_Free(s);

    // As Ogg-packed samples of an XM instrument, once and twice: 1 or 2 GB per sample.
    for (int count : {1, 2}) {
      const std::vector<uint8_t> xm = Vec(loadbound::XmWithOgg(lying, count));
      EXPECT_TRUE(Measure("xm_" + std::to_string(count) + "_" + file.ogg + "_granule_500M", xm).songLoaded);
      ASSERT_NE(Load(xm), nullptr) << SoundError;
      ASSERT_EQ(song_.sampleCount, count);
      for (int i = 0; i < count; ++i) {
        EXPECT_GE(song_.samples[i]->length, frames) << i;
        EXPECT_LT(song_.samples[i]->length, frames + 4096) << i;
      }
    }
  }
}

TEST_F(LoadBounds, XmOggSamplesShareTheSongsBudget) {
  // oggenc's 400 s of silence: 35 MB decoded from about 40 KB, twice in one XM song. One
  // bound holds the whole song, its image, tables and decoders counted with the samples.
  const std::string silence = readertest::Bytes("ogg_silence.ogg");
  ASSERT_FALSE(silence.empty());
  const int frames = 400 * 44100;
  const int64_t budget = int64_t{64} << 20;
  const std::vector<uint8_t> xm = Vec(loadbound::XmWithOgg(silence, 2));
  const int64_t peak = loadpeak::PeakOf([&] { Load(xm); });
  std::printf("xm_2_ogg_silence (%zu bytes): peak song %lld bytes\n", xm.size(), static_cast<long long>(peak));
  ASSERT_EQ(song_.sampleCount, 2) << SoundError;
  EXPECT_EQ(song_.samples[0]->length, frames) << "the first loads whole";
  EXPECT_GT(song_.samples[1]->length, frames / 2) << "the second holds what the budget leaves";
  EXPECT_LT(song_.samples[1]->length, budget / 2 - frames);
  EXPECT_LE(peak, budget) << "one bound for the song, everything counted";
}

TEST_F(LoadBounds, EmbeddedFileBankEntriesHoldOnlyTheirOwnData) {
  const std::string wav = streamtest::BuildWav(1, 22050, 32768);  // 64 KB
  // 4,096 entries of no data (98 KB with shared headers), each of which took the whole WAV
  // after the headers: 4,096 copies, 271 MB, as a song.
  std::vector<banktest::Entry> empty(4096);
  std::vector<uint8_t> bank = Vec(banktest::BuildBank(empty, true, 0, kBankFlagEmbeddedFile | kBankFlagSharedHeaders) + wav);
  Set32(&bank, 12, static_cast<uint32_t>(wav.size()));  // the sound data's size
  const loadpeak::Peaks p = Measure("bank_embedded_4096_empty", bank);
  EXPECT_FALSE(p.songLoaded) << "an entry without data is damaged, as in every other bank";

  // Entries that each hold a whole file play them.
  std::vector<banktest::Entry> files(3);
  for (int i = 0; i < 3; ++i) files[i].data = streamtest::BuildWav(1 + i % 2, 22050, 1000 * (i + 1));
  const std::vector<uint8_t> three = Vec(banktest::BuildBank(files, true, 0, kBankFlagEmbeddedFile));
  EXPECT_TRUE(Measure("bank_embedded_3", three).songLoaded);
  ASSERT_NE(Load(three), nullptr) << SoundError;
  ASSERT_EQ(song_.sampleCount, 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(song_.samples[i]->length, 1000 * (i + 1)) << i;
    EXPECT_EQ((song_.samples[i]->mode & SoundMode::Stereo) != 0, i % 2 == 1) << i;
  }
}

TEST_F(LoadBounds, BankSongsHoldTheSampleRecordsTheirBudgetHolds) {
  // 900 KB: 100,000 entries of one 8-bit frame, each after the first a shared header of
  // 8 bytes: as a song each made a sample record of its own (65 MB).
  banktest::Entry one;
  one.mode = SoundMode::Pcm8 | SoundMode::Mono;
  one.length = 1;
  one.data = std::string(1, '\x40');
  const std::vector<uint8_t> bank = Vec(banktest::BuildBank(std::vector<banktest::Entry>(100000, one), true, 0, 2));
  ASSERT_EQ(bank.size(), 900088u);
  const loadpeak::Peaks p = Measure("bank_100000_shared", bank);
  EXPECT_TRUE(p.songLoaded);
  EXPECT_LT(p.song, 16 * static_cast<int64_t>(bank.size()));
  ASSERT_NE(Load(bank), nullptr) << SoundError;
  // The song plays the samples its budget holds, from the first on.
  EXPECT_GT(song_.sampleCount, 1000);
  EXPECT_LT(song_.sampleCount, 100000);
  EXPECT_EQ(song_.orderCount, song_.sampleCount);
  for (int i = 0; i < song_.sampleCount; ++i) ASSERT_NE(song_.samples[i], nullptr) << i;
}

TEST_F(LoadBounds, BankStreamsHoldOneRingWhileTheySwitchEntries) {
  // 6 KB: 16 channels of 16-bit at 768 kHz, then 15 channels. A stream holds a ring of
  // 19 MB for the first, which it held twice and then beside the second's, twice too.
  banktest::Entry wide;
  wide.mode = SoundMode::Pcm16 | SoundMode::MultiChannel;
  wide.rate = 768000;
  wide.channels = 16;
  wide.length = 96;
  wide.data = std::string(96 * 16 * 2, '\x11');
  banktest::Entry narrower = wide;
  narrower.channels = 15;
  narrower.data.resize(96 * 15 * 2);
  const std::string bank = banktest::BuildBank({wide, narrower});
  int64_t ringBytes = 0;
  int channels[3] = {};
  const int64_t peak = loadpeak::PeakOf([&] {
    SoundStream* s = AuralStream_Open(bank.data(), SoundMode::FromMemory, 0, static_cast<int>(bank.size()));
    ASSERT_NE(s, nullptr) << SoundError;
    ringBytes = int64_t{s->ringSample->length} * 16 * 2;
    channels[0] = s->ringSample->channels;
    EXPECT_TRUE(AuralStream_SetSubStream(s, 1, TRUE, FALSE));
    channels[1] = s->ringSample->channels;
    EXPECT_TRUE(AuralStream_SetSubStream(s, 0, TRUE, FALSE));
    channels[2] = s->ringSample->channels;
    EXPECT_TRUE(AuralStream_Close(s));
  });
  std::printf("bank of 16 and 15 channels at 768 kHz (%zu bytes): ring %lld bytes, peak %lld bytes\n", bank.size(),
              static_cast<long long>(ringBytes), static_cast<long long>(peak));
  RecordProperty("bank_switch_peak_bytes", std::to_string(peak));
  EXPECT_EQ(channels[0], 16);
  EXPECT_EQ(channels[1], 15);
  EXPECT_EQ(channels[2], 16);
  EXPECT_GT(ringBytes, int64_t{16} << 20);
  EXPECT_LT(peak, ringBytes * 3 / 2 + (int64_t{1} << 20)) << "the ring and a lock window of half of it";
}
