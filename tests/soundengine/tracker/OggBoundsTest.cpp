// Ogg Vorbis files written field by field (valid pages, checksums right) whose setup
// headers ask the decoder for more than encoders write, whose codebooks never finish
// building, or whose packets decode to more than a sample may hold; alone, as XM samples
// and in embedded-file banks. Each is refused as damaged or held within its load's
// budget, every open ends, and a sound too long for a sample still plays as a stream.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "BankTestSupport.h"
#include "LoadBoundFiles.h"
#include "LoadPeak.h"
#include "ReaderTestSupport.h"
#include "StreamTestSupport.h"
#include "TrackerTestSupport.h"
#include "VorbisWriter.h"
#include "aural_dsp.h"
#include "format_bank.h"

namespace {

using vorbiswrite::Book;
using vorbiswrite::Stream;

constexpr int64_t kBound = int64_t{64} << 20;

// A complete ordered codebook: all `entries` are `length` bits long.
Book Ordered(uint32_t entries, int length, uint32_t dim = 1) {
  Book b;
  b.dim = dim;
  b.entries = entries;
  b.ordered = true;
  b.firstLength = length;
  b.runs = {entries};
  return b;
}

// Silent stereo packets of 8192-sample blocks, one byte each: 4,096 frames a packet.
Stream LongSilentStereo() {
  Stream s;
  s.channels = 2;
  s.longBits = 13;
  s.modes = {vorbiswrite::Mode{true, 0}};
  return s;
}

class OggBounds : public trackertest::SongTest {
 protected:
  // The file as a stream, a sample and an XM song's sample: the largest peak of each.
  loadpeak::Peaks Measure(const std::string& name, const std::string& file) {
    Music_FreeSong(&song_);  // what an earlier song held is not this one's
    const loadpeak::Peaks p = loadpeak::LoadEveryWay(file);
    const int64_t xm = loadpeak::PeakOf([&] { Load(Vec(loadbound::XmWithOgg(file, 1))); });
    std::printf("%s (%zu bytes): peak stream %lld, sample %lld, song %lld, as an XM sample %lld bytes\n", name.c_str(),
                file.size(), static_cast<long long>(p.stream), static_cast<long long>(p.sample),
                static_cast<long long>(p.song), static_cast<long long>(xm));
    RecordProperty(name + "_peak_bytes", std::to_string(std::max(p.Largest(), xm)));
    EXPECT_LT(std::max(p.Largest(), xm), kBound) << name;
    return p;
  }
  // Refused as damaged data, as a stream and as a sample; the XM song around it loads
  // and plays that slot as "Invalid Sample".
  void ExpectRefused(const std::string& name, const std::string& file) {
    SCOPED_TRACE(name);
    const loadpeak::Peaks p = Measure(name, file);
    EXPECT_LT(std::max(p.stream, p.sample), int64_t{1} << 20) << "refused before the decoder builds anything";
    EXPECT_EQ(AuralStream_Open(file.data(), SoundMode::FromMemory, 0, static_cast<int>(file.size())), nullptr);
    EXPECT_EQ(SoundError, kSoundErrReadError);
    EXPECT_EQ(SoundSample_Load(-1, file.data(), SoundMode::FromMemory, 0, static_cast<int>(file.size()), nullptr),
              nullptr);
    EXPECT_EQ(SoundError, kSoundErrReadError);
    ASSERT_NE(Load(Vec(loadbound::XmWithOgg(file, 1))), nullptr) << SoundError;
    EXPECT_EQ(song_.sampleCount, 0);
  }
  static std::vector<uint8_t> Vec(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }
};

TEST_F(OggBounds, SetupHeadersAskingMoreThanEncodersWriteAreRefused) {
  // One complete ordered codebook of 2^18 entries: 3 MB of the stack once decoding starts.
  Stream stack;
  stack.books = {Ordered(1 << 18, 18)};
  ExpectRefused("ogg_book_2^18", vorbiswrite::File(stack, 8));

  // Ordered codebooks of 2^23 - 1 entries, 32 MB each as read, from 12 bytes each.
  Stream three;
  three.books.assign(3, Ordered((1 << 23) - 1, 23));
  ExpectRefused("ogg_books_3x8M", vorbiswrite::File(three, 8));
  Stream many;
  many.books.assign(256, Ordered((1 << 23) - 1, 23));
  ExpectRefused("ogg_books_256x8M", vorbiswrite::File(many, 8));

  // A residue classbook of 16^4 partition words, decoded by a map of its own for each of
  // 16 submaps of 8 modes: 128 maps of 1.5 MB.
  Stream maps;
  maps.books = {Ordered(1 << 16, 16, 4)};
  maps.residues[0].cascades.assign(16, 0);
  maps.mappings[0].submaps = 16;
  maps.modes.assign(8, vorbiswrite::Mode{});
  ExpectRefused("ogg_residue_maps_8x16", vorbiswrite::File(maps, 8, {0, 1, 2, 3, 4, 5, 6, 7}));

  // The largest codebook taken, alone, decodes.
  Stream largest;
  largest.books = {Ordered(1 << 16, 16)};
  const std::string file = vorbiswrite::File(largest, 8);
  Measure("ogg_book_2^16", file);
  SoundSample* s = SoundSample_Load(-1, file.data(), SoundMode::FromMemory, 0, static_cast<int>(file.size()), nullptr);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->length, 7 * 128);
  SoundSample_Free(s);
}

TEST_F(OggBounds, EveryOpenEndsWhateverTheCodebooksSay) {
  // A lookup codebook of no dimensions beside the classbook: building it never ended.
  Stream s;
  Book flat;
  flat.dim = 0;
  flat.entries = 4;
  flat.lookup = 1;
  flat.valueBits = 4;
  s.books.push_back(flat);
  ExpectRefused("ogg_lookup_book_0_dimensions", vorbiswrite::File(s, 8));
}

TEST_F(OggBounds, SamplesHoldNoMoreThanTheirBudgetAndLongerSoundsPlayAsStreams) {
  // 5,127 one-byte packets of 4,096 stereo frames: 84 MB of silence from 10.9 KB.
  const std::string packets = vorbiswrite::File(LongSilentStereo(), 5127, {0}, 255);
  ASSERT_LT(packets.size(), 11000u);
  const loadpeak::Peaks p = Measure("ogg_1_byte_packets", packets);
  EXPECT_FALSE(p.sampleLoaded);
  EXPECT_EQ(SoundSample_Load(-1, packets.data(), SoundMode::FromMemory, 0, static_cast<int>(packets.size()), nullptr),
            nullptr);
  EXPECT_EQ(SoundError, kSoundErrNoMemory) << "a sound longer than a sample may hold";
  EXPECT_TRUE(p.streamOpened);

  // oggenc's 420 s of stereo (a tone, then silence): 74 MB as a sample, refused; as a
  // stream it plays, and the tone reaches the mixer.
  const std::string tone = readertest::Bytes("ogg_tone_then_silence.ogg");
  ASSERT_FALSE(tone.empty());
  EXPECT_FALSE(Measure("ogg_tone_then_silence", tone).sampleLoaded);
  streamtest::Recorder rec;
  SoundDspUnit* unit = AuralDsp_Create(streamtest::Recorder::Callback, 150, &rec);
  ASSERT_NE(unit, nullptr);
  unit->active = 1;
  SoundStream* stream = AuralStream_Open(tone.data(), SoundMode::FromMemory, 0, static_cast<int>(tone.size()));
  ASSERT_NE(stream, nullptr) << SoundError;
  ASSERT_NE(AuralStream_Play(-1, stream, nullptr, FALSE), -1);
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(Aural_Update());
  int32_t loudest = 0;
  for (int32_t v : rec.mix) loudest = std::max(loudest, v < 0 ? -v : v);
  EXPECT_GT(loudest, 1000) << "the ring sounds";
  AuralStream_Close(stream);
  AuralDsp_Free(unit);

  // As an XM sample, the tone holds what the song's budget leaves.
  ASSERT_NE(Load(Vec(loadbound::XmWithOgg(tone, 1))), nullptr) << SoundError;
  ASSERT_EQ(song_.sampleCount, 1);
  EXPECT_GT(song_.samples[0]->length, 44100) << "the tone is there";
  EXPECT_LT(int64_t{song_.samples[0]->length} * 4, kBound);

  // An embedded-file bank of four such packet files of 64 MB each (33 KB): as a song
  // within one budget, which its second entry passes.
  const std::string quarter = vorbiswrite::File(LongSilentStereo(), 4000, {0}, 255);
  std::vector<banktest::Entry> entries(4);
  for (banktest::Entry& e : entries) e.data = quarter;
  const std::string bank = banktest::BuildBank(entries, true, 0, kBankFlagEmbeddedFile);
  Music_FreeSong(&song_);
  const int64_t peak = loadpeak::PeakOf([&] { Load(Vec(bank)); });
  std::printf("bank_embedded_4_ogg (%zu bytes): peak song %lld bytes\n", bank.size(), static_cast<long long>(peak));
  EXPECT_LT(peak, kBound);
  EXPECT_EQ(song_.sampleCount, 0);
  EXPECT_EQ(SoundError, kSoundErrNoMemory);
}

// What the runtime's realloc was asked for: the most reallocations may have copied.
int64_t g_reallocBytes = 0;
void* CountingRealloc(void* block, size_t size) {
  g_reallocBytes += static_cast<int64_t>(size);
  return std::realloc(block, size);
}

TEST_F(OggBounds, ALongCommentHeaderIsCopiedAFewTimesNotOncePerPage) {
  // A 3.5 MB comment, as cover art is written, over 57 full pages: a file under 4 MB
  // whose open took seconds while each page grew the packet's buffer by its own length.
  Stream s;
  s.comments = {"METADATA_BLOCK_PICTURE=" + std::string(7 << 19, 'x')};
  const std::string file = vorbiswrite::File(s, 8);
  const int size = static_cast<int>(file.size());
  Aural_Close();
  ASSERT_TRUE(SoundMem_UseCallbacks(std::malloc, CountingRealloc, std::free));
  ASSERT_TRUE(Aural_Init(44100, 32));
  g_reallocBytes = 0;
  SoundStream* stream = AuralStream_Open(file.data(), SoundMode::FromMemory, 0, size);
  const int64_t streamBytes = g_reallocBytes;
  EXPECT_NE(stream, nullptr) << SoundError;
  if (stream) AuralStream_Close(stream);
  g_reallocBytes = 0;
  SoundSample* sample = SoundSample_Load(-1, file.data(), SoundMode::FromMemory, 0, size, nullptr);
  const int64_t sampleBytes = g_reallocBytes;
  EXPECT_NE(sample, nullptr) << SoundError;
  if (sample) SoundSample_Free(sample);
  Aural_Close();
  EXPECT_TRUE(SoundMem_UseCallbacks(nullptr, nullptr, nullptr));
  ASSERT_TRUE(Aural_Init(44100, 32));
  std::printf("ogg_comment_3_5MB (%d bytes): reallocated stream %lld, sample %lld bytes\n", size,
              static_cast<long long>(streamBytes), static_cast<long long>(sampleBytes));
  EXPECT_LT(streamBytes, int64_t{4} * size) << "the packet's buffer grows by half again, not by a page";
  EXPECT_LT(sampleBytes, streamBytes + size / 2) << "counting frames reads the audio pages, not the headers again";
}

}  // namespace
