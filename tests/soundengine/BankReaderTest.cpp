// Sample banks written here from the bank layout, holding sox's PCM and IMA ADPCM:
// every entry's values load, a stream switches entries (length, rate, defaults, sync
// points and sound of the new entry), a four-channel entry sounds on four channels,
// one-entry banks load as samples decoded as the stream decodes them, and damaged or
// lying banks fail cleanly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BankTestSupport.h"
#include "ReaderTestSupport.h"
#include "aural_channel.h"
#include "format_bank.h"
#include "system_file.h"

using namespace banktest;
using namespace SoundMode;

namespace {

// The sample's data as written, without the guard value behind its loop (through a
// lock, interleaved for multi-channel samples).
std::string SampleBytes(SoundSample* s, size_t bytes) {
  void *p1, *p2;
  uint32_t l1, l2;
  if (!SoundSample_Lock(s, 0, static_cast<int>(bytes), &p1, &l1, &p2, &l2)) return std::string();
  std::string copy(static_cast<const char*>(p1), l1);
  SoundSample_Unlock(s, p1, l1, p2, l2);
  return copy;
}

std::string ToBytes(const std::vector<int16_t>& v) { return std::string(reinterpret_cast<const char*>(v.data()), v.size() * 2); }

class BankReader : public readertest::ReaderTest {
 protected:
  void SetUp() override {
    ReaderTest::SetUp();
    ima1 = ReblockIma(Bytes("ima_1.wav"), Raw16(Bytes("ima_1_ref.raw")), 1, false);
    ima2 = ReblockIma(Bytes("ima_2.wav"), Raw16(Bytes("ima_2_ref.raw")), 2, false);
    ima4 = ReblockIma(Bytes("ima_4.wav"), Raw16(Bytes("ima_4_ref.raw")), 4, true);
    ASSERT_GT(ima1.frames, 0u);
    ASSERT_EQ(ima2.data.size(), ima2.frames / 64 * 72);
    pcm1 = Bytes("pcm_1_16.raw");
    pcm2 = Bytes("pcm_2_8.raw");
    pcm4 = Bytes("pcm_4_16.raw");

    Entry& mono = entries.emplace_back();
    mono.name = "mono pcm";
    mono.mode = Pcm16 | Mono | Signed;
    mono.length = static_cast<uint32_t>(pcm1.size() / 2);
    mono.data = pcm1;
    mono.volume = 200, mono.pan = 64, mono.priority = 100, mono.minDistance = 512, mono.maxDistance = 1024000;
    mono.sync = {{5000, "second"}, {100, "first"}};
    Entry& stereo = entries.emplace_back();
    stereo.name = "stereo adpcm";
    stereo.mode = ImaAdpcm | Stereo;
    stereo.channels = 2;
    stereo.length = ima2.frames;
    stereo.data = ima2.data;
    stereo.sync = {{64, "adpcm"}};
    Entry& quad = entries.emplace_back();
    quad.name = "four channels";
    quad.mode = Pcm16 | MultiChannel;
    quad.channels = 4;
    quad.rate = 16000;
    quad.length = static_cast<uint32_t>(pcm4.size() / 8);
    quad.data = pcm4;
    Entry& bytes = entries.emplace_back();
    bytes.name = "stereo 8-bit";
    bytes.mode = Pcm8 | Stereo | Signed;
    bytes.channels = 2;
    bytes.rate = 11025;
    bytes.loopStart = 100, bytes.loopEnd = 2000;
    bytes.length = static_cast<uint32_t>(pcm2.size() / 2);
    bytes.data = pcm2;
    Entry& adpcmMono = entries.emplace_back();
    adpcmMono.name = "mono adpcm";
    adpcmMono.mode = ImaAdpcm | Mono;
    adpcmMono.length = ima1.frames;
    adpcmMono.data = ima1.data;
    bank = BuildBank(entries, true, 0x30001);
  }

  static SoundStream* OpenMemory(const std::string& b, uint32_t mode = 0) {
    return AuralStream_Open(b.data(), mode | FromMemory, 0, static_cast<int>(b.size()));
  }
  static SoundSample* LoadMemory(const std::string& b, uint32_t mode = 0) {
    return SoundSample_Load(-1, b.data(), mode | FromMemory, 0, static_cast<int>(b.size()), nullptr);
  }
  // Plays the stream from its start to its end; the bytes of every half it filled.
  static std::string PlayAll(SoundStream* s, int frameBytes) {
    HalfCapture capture;
    capture.Attach(s, frameBytes);
    EXPECT_NE(AuralStream_Play(-1, s, nullptr, FALSE), -1) << SoundError;
    for (int i = 0; i < 3000 && s->playing; ++i) Aural_Update();
    EXPECT_FALSE(s->playing);
    SoundLink_Remove(&capture.unit.link);
    return capture.bytes;
  }
  static std::vector<std::pair<uint32_t, std::string>> SyncPoints(SoundStream* s) {
    std::vector<std::pair<uint32_t, std::string>> points;
    for (SoundSyncPoint* p = s->syncList->next; p != AuralSync_Tail(s->syncList); p = p->next)
      points.emplace_back(p->offset, p->name);
    return points;
  }
  // The error of opening the bank as a stream; loading it as a sample fails alike.
  static int32_t Refusal(const std::string& b) {
    SoundStream* s = OpenMemory(b);
    const int32_t streamError = s ? kSoundErrNone : SoundError;
    if (s) AuralStream_Close(s);
    SoundSample* sample = LoadMemory(b);
    EXPECT_EQ(sample, nullptr);
    EXPECT_EQ(SoundError, streamError);
    if (sample) SoundSample_Free(sample);
    return streamError;
  }
  Ima36 ima1, ima2, ima4;
  std::string pcm1, pcm2, pcm4;
  std::vector<Entry> entries;
  std::string bank;
};

}  // namespace

TEST_F(BankReader, EveryEntryValueLoads) {
  SoundFile* f = AuralFile_Open(bank.data(), kSoundFileMemory, static_cast<int>(bank.size()));
  BankState* b = FsbFormat_ReadBank(f);
  ASSERT_NE(b, nullptr) << SoundError;
  EXPECT_EQ(b->version, 0x30001);
  ASSERT_EQ(b->entryCount, 5);
  int32_t offset = b->dataStart;
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    const Entry& in = entries[i];
    const BankEntry* e = FsbFormat_Entry(b, i);
    EXPECT_EQ(e->name, in.name);
    EXPECT_EQ(e->mode, in.mode);
    EXPECT_EQ(e->rate, in.rate);
    EXPECT_EQ(e->volume, in.volume);
    EXPECT_EQ(e->pan, in.pan);
    EXPECT_EQ(e->priority, in.priority);
    EXPECT_EQ(e->channels, in.channels);
    EXPECT_EQ(e->minDistance, in.minDistance);
    EXPECT_EQ(e->maxDistance, in.maxDistance);
    EXPECT_EQ(e->loopStart, static_cast<int32_t>(in.loopStart));
    EXPECT_EQ(e->loopEnd, static_cast<int32_t>(in.loopEnd));
    EXPECT_EQ(e->lengthSamples, static_cast<int32_t>(in.length));
    EXPECT_EQ(e->dataBytes, static_cast<int32_t>(in.data.size()));
    EXPECT_EQ(e->dataOffset, offset) << "each entry's data follows the one before";
    EXPECT_EQ(bank.compare(e->dataOffset, in.data.size(), in.data), 0);
    offset += e->dataBytes;
    ASSERT_EQ(e->syncCount, static_cast<int>(in.sync.size()));
    for (int k = 0; k < e->syncCount; ++k) {
      EXPECT_EQ(e->sync[k].offset, in.sync[k].first);
      EXPECT_EQ(e->sync[k].name, in.sync[k].second);
    }
  }
  EXPECT_EQ(FsbFormat_Entry(b, 5), nullptr);
  FsbFormat_Close(b);
  AuralFile_Close(f);

  // "SBK2": a 16-byte header, version 0, no flags. Shared headers ("SBK3", flag 2): the
  // later entries take the first one's values with their own length and data.
  const std::vector<Entry> three = {entries[0], entries[4], entries[0]};
  for (const std::string& other : {BuildBank(three, false), BuildBank(three, true, 0, 2)}) {
    f = AuralFile_Open(other.data(), kSoundFileMemory, static_cast<int>(other.size()));
    b = FsbFormat_ReadBank(f);
    ASSERT_NE(b, nullptr) << SoundError;
    const bool shared = b->flags == 2;
    const int full0 = static_cast<int>(FullHeader(entries[0], 0).size());
    const int full4 = static_cast<int>(FullHeader(entries[4], 0).size());
    EXPECT_EQ(b->dataStart, shared ? 24 + full0 + 2 * 8 : 16 + 2 * full0 + full4);
    EXPECT_EQ(b->version, 0);
    const BankEntry* second = FsbFormat_Entry(b, 1);
    // With shared headers the ADPCM data count as the first entry's 16-bit samples: the
    // length is cut to what they hold.
    const int32_t length = shared ? static_cast<int32_t>(ima1.data.size() / 2) : static_cast<int32_t>(ima1.frames);
    EXPECT_EQ(second->lengthSamples, length);
    EXPECT_EQ(second->dataBytes, static_cast<int32_t>(ima1.data.size()));
    EXPECT_EQ(second->dataOffset, b->dataStart + static_cast<int32_t>(pcm1.size()));
    EXPECT_EQ(second->mode, shared ? entries[0].mode : entries[4].mode);
    if (shared) {
      EXPECT_EQ(second->syncCount, 0) << "sync points belong to the first header";
      EXPECT_STREQ(second->name, "mono pcm");
      EXPECT_EQ(second->loopStart, 0);
      EXPECT_EQ(second->loopEnd, length - 1);
    }
    FsbFormat_Close(b);
    AuralFile_Close(f);
  }
}

TEST_F(BankReader, AStreamSwitchesEntries) {
  streamtest::Recorder mix;
  SoundDspUnit* unit = AuralDsp_Create(streamtest::Recorder::Callback, 150, &mix);
  ASSERT_NE(unit, nullptr);
  unit->active = 1;
  SoundStream* s = OpenMemory(bank);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->lengthSamples, static_cast<int>(pcm1.size() / 2));
  EXPECT_EQ(AuralStream_GetLengthMs(s), 400);
  EXPECT_EQ(s->ringSample->frequency, 22050);
  const std::vector<std::pair<uint32_t, std::string>> firstPoints = {{100, "first"}, {5000, "second"}};
  EXPECT_EQ(SyncPoints(s), firstPoints);
  std::string played = PlayAll(s, 2);
  EXPECT_EQ(FirstDifference(played, pcm1), pcm1.size());

  // Stereo IMA ADPCM: a new layout, decoded exactly as sox decodes it.
  ASSERT_TRUE(AuralStream_SetSubStream(s, 1, FALSE, FALSE)) << SoundError;
  EXPECT_EQ(s->lengthSamples, static_cast<int>(ima2.frames));
  EXPECT_EQ(AuralStream_GetLengthMs(s), static_cast<int>((ima2.frames * 1000 + 999) / 22050));
  EXPECT_TRUE(s->ringSample->mode & Stereo);
  EXPECT_STREQ(s->ringSample->name, "stereo adpcm");
  EXPECT_EQ(s->ringSample->volume, 255);
  const std::vector<std::pair<uint32_t, std::string>> adpcmPoints = {{64, "adpcm"}};
  EXPECT_EQ(SyncPoints(s), adpcmPoints);
  played = PlayAll(s, 4);
  EXPECT_EQ(FirstDifference(played, ToBytes(ima2.reference)), ima2.reference.size() * 2);

  // Four interleaved channels play on four channels, each its own part.
  ASSERT_TRUE(AuralStream_SetSubStream(s, 2, FALSE, FALSE)) << SoundError;
  EXPECT_EQ(s->ringSample->frequency, 16000);
  EXPECT_EQ(s->ringSample->channels, 4);
  EXPECT_TRUE(s->syncList->next == AuralSync_Tail(s->syncList)) << "this entry has no sync points";
  HalfCapture quad;
  quad.Attach(s, 8);
  const int h = AuralStream_Play(-1, s, nullptr, FALSE);
  ASSERT_NE(h, -1) << SoundError;
  EXPECT_EQ(Aural_CountActiveChannels(), 4);
  int gains[4][2], parts = 0;
  for (SoundChannel* c = Aural_GetChannel(h); c && parts < 4; c = c->nextLinked, ++parts)
    gains[parts][0] = c->leftGain, gains[parts][1] = c->rightGain;
  ASSERT_EQ(parts, 4);
  mix.mix.clear();
  for (int i = 0; i < 3000 && s->playing; ++i) Aural_Update();
  EXPECT_EQ(FirstDifference(quad.bytes, pcm4), pcm4.size());
  // At the mix rate the entry's 16000 Hz are resampled: the first frame is exact.
  const auto* q = reinterpret_cast<const int16_t*>(pcm4.data());
  int32_t left = 0, right = 0;
  for (int c = 0; c < 4; ++c) left += streamtest::Gain16(q[c], gains[c][0]), right += streamtest::Gain16(q[c], gains[c][1]);
  ASSERT_GE(mix.mix.size(), 2u);
  EXPECT_EQ(mix.mix[0], left) << "every channel sounds";
  EXPECT_EQ(mix.mix[1], right);
  SoundLink_Remove(&quad.unit.link);

  // Playing on: a switch to an entry of the same layout keeps the channel, and the next
  // half the stream fills starts the new entry.
  ASSERT_TRUE(AuralStream_SetSubStream(s, 0, FALSE, FALSE));
  EXPECT_STREQ(s->ringSample->name, "mono pcm");
  EXPECT_EQ(s->ringSample->volume, 200) << "version 0x30001 defaults";
  EXPECT_EQ(s->ringSample->pan, 64);
  EXPECT_EQ(s->ringSample->priority, 100);
  EXPECT_EQ(s->ringSample->minDistance, 512);
  EXPECT_EQ(s->ringSample->maxDistance, 1024000);
  HalfCapture onward;
  onward.Attach(s, 2);
  const int channel = AuralStream_Play(-1, s, nullptr, FALSE);
  Aural_Update();
  const size_t switchedAt = onward.bytes.size();
  ASSERT_TRUE(AuralStream_SetSubStream(s, 4, FALSE, TRUE));
  EXPECT_TRUE(s->playing);
  EXPECT_EQ(s->channel, channel);
  for (int i = 0; i < 20; ++i) Aural_Update();
  ASSERT_GT(onward.bytes.size(), switchedAt + 2000);
  EXPECT_EQ(onward.bytes.compare(switchedAt, 2000, ToBytes(ima1.reference), 0, 2000), 0);
  SoundLink_Remove(&onward.unit.link);

  EXPECT_FALSE(AuralStream_SetSubStream(s, 5, FALSE, FALSE));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_FALSE(AuralStream_SetSubStream(s, -1, FALSE, FALSE));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_TRUE(AuralStream_Close(s));
  const std::string aiff = Bytes("aiff_m8_8000.aiff");
  SoundStream* other = OpenMemory(aiff);
  ASSERT_NE(other, nullptr);
  EXPECT_FALSE(AuralStream_SetSubStream(other, 0, TRUE, FALSE)) << "only banks have entries";
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_TRUE(AuralStream_Close(other));
}

TEST_F(BankReader, BackgroundStreamsSwitchOnTheLoaderThread) {
  auto waitReady = [](SoundStream* s) {
    for (int i = 0; i < 2000 && !s->ready && !s->failed; ++i) Sleep(5);
    return s->ready != 0;
  };
  // An entry asked for before the open completes is the one the open selects.
  SoundStream* s = OpenMemory(bank, LoadInBackground);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_TRUE(AuralStream_SetSubStream(s, 2, FALSE, FALSE));
  ASSERT_TRUE(waitReady(s));
  EXPECT_EQ(s->lengthSamples, static_cast<int>(pcm4.size() / 8));
  EXPECT_EQ(s->ringSample->channels, 4);

  // Once open, a switch goes to the loader; the stream is ready again when it is done.
  ASSERT_TRUE(AuralStream_SetSubStream(s, 1, FALSE, FALSE));
  ASSERT_TRUE(waitReady(s));
  EXPECT_EQ(s->lengthSamples, static_cast<int>(ima2.frames));
  EXPECT_STREQ(s->ringSample->name, "stereo adpcm");
  EXPECT_EQ(FirstDifference(PlayAll(s, 4), ToBytes(ima2.reference)), ima2.reference.size() * 2);
  EXPECT_TRUE(AuralStream_Close(s));
}

TEST_F(BankReader, OneEntryBanksLoadAsSamples) {
  // IMA ADPCM, its length inside its last block: the sample holds what the stream plays.
  Entry adpcm = entries[4];
  adpcm.length -= 10;
  const std::string one = BuildBank({adpcm});
  SoundSample* s = LoadMemory(one);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->length, static_cast<int>(adpcm.length));
  EXPECT_EQ(s->mode & (Pcm16 | Mono | ImaAdpcm), Pcm16 | Mono);
  EXPECT_STREQ(s->name, "mono adpcm");
  const std::string sampleBytes = SampleBytes(s, adpcm.length * 2);
  EXPECT_EQ(FirstDifference(sampleBytes, ToBytes(ima1.reference).substr(0, adpcm.length * 2)), adpcm.length * 2);
  SoundSample_Free(s);
  SoundStream* stream = OpenMemory(one);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(PlayAll(stream, 2).compare(0, sampleBytes.size(), sampleBytes), 0) << "as the stream decodes it";
  EXPECT_TRUE(AuralStream_Close(stream));

  // Four channels of ADPCM, one block per channel, into an interleaved sample.
  Entry quad;
  quad.name = "quad adpcm";
  quad.mode = ImaAdpcm | MultiChannel | LoopForward;
  quad.channels = 4;
  quad.rate = 16000;
  quad.length = ima4.frames;
  quad.loopStart = 64, quad.loopEnd = 1000;
  quad.data = ima4.data;
  s = LoadMemory(BuildBank({quad}));
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->channels, 4);
  EXPECT_EQ(s->frequency, 16000);
  EXPECT_EQ(s->loopStart, 64);
  EXPECT_EQ(s->loopLength, 1000 - 64 + 1);
  EXPECT_TRUE(s->mode & LoopForward);
  EXPECT_EQ(FirstDifference(SampleBytes(s, ima4.frames * 8), ToBytes(ima4.reference)), ima4.frames * 8);
  SoundSample_Free(s);

  // Signed 8-bit stereo PCM, and the same mixed down on load.
  s = LoadMemory(BuildBank({entries[3]}));
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(FirstDifference(SampleBytes(s, pcm2.size()), pcm2), pcm2.size());
  SoundSample_Free(s);
  s = LoadMemory(BuildBank({entries[3]}), DownmixMono);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_TRUE(s->mode & Mono);
  EXPECT_EQ(static_cast<const int8_t*>(s->data)[7], (static_cast<int8_t>(pcm2[14]) + static_cast<int8_t>(pcm2[15])) >> 1);
  SoundSample_Free(s);

  EXPECT_EQ(LoadMemory(bank), nullptr) << "five entries are no sample";
  EXPECT_EQ(SoundError, kSoundErrUnknownFormat);
}

TEST_F(BankReader, EmbeddedFilesLoadOneLevelDeep) {
  auto embedding = [](const std::string& file) {
    Entry whole;
    whole.name = "file";
    whole.data = file;
    return BuildBank({whole}, true, 0, 1);
  };
  const std::string aiff = Bytes("aiff_m16_37800.aiff"), raw = Bytes("aiff_m16_37800.raw");
  SoundSample* s = LoadMemory(embedding(aiff));
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->frequency, 37800);
  EXPECT_EQ(FirstDifference(SampleBytes(s, raw.size()), raw), raw.size());
  SoundSample_Free(s);
  EXPECT_EQ(OpenMemory(embedding(aiff)), nullptr) << "a whole embedded file is no stream";
  EXPECT_EQ(SoundError, kSoundErrUnknownFormat);

  // A bank inside loads; a bank that embeds a file inside it goes one level too deep.
  s = LoadMemory(embedding(BuildBank({entries[0]})));
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->length, static_cast<int>(pcm1.size() / 2));
  SoundSample_Free(s);
  EXPECT_EQ(LoadMemory(embedding(embedding(aiff))), nullptr);
  EXPECT_EQ(SoundError, kSoundErrReadError);
  EXPECT_EQ(LoadMemory(embedding(embedding(embedding(embedding(aiff))))), nullptr);
  EXPECT_EQ(SoundError, kSoundErrReadError);
}

TEST_F(BankReader, DamagedAndLyingBanksFailCleanly) {
  const size_t first = 24;  // the first entry header
  auto with = [&](size_t at, uint32_t value, int bytes = 4) {
    std::string b = bank;
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<char>(value >> (8 * i));
    return b;
  };
  EXPECT_EQ(Refusal(with(first + 62, 0, 2)), kSoundErrReadError) << "no channels";
  EXPECT_EQ(Refusal(with(first + 62, 3, 2)), kSoundErrReadError) << "three channels without MultiChannel";
  EXPECT_EQ(Refusal(with(first + 52, 0)), kSoundErrReadError) << "rate 0";
  EXPECT_EQ(Refusal(with(4, 0xFFFFFFFF)), kSoundErrReadError) << "negative entry count";
  EXPECT_EQ(Refusal(with(4, 0x10000000)), kSoundErrReadError) << "more entries than headers";
  EXPECT_EQ(Refusal(with(8, 0x7FFFFFFF)), kSoundErrReadError) << "headers larger than the file";
  EXPECT_EQ(Refusal(with(first, 10, 2)), kSoundErrReadError) << "a header below its fixed part";
  EXPECT_EQ(Refusal(with(first, 0xFFFF, 2)), kSoundErrReadError) << "a header beyond the headers";
  EXPECT_EQ(Refusal(with(first + 88 + 4, 0x7FFFFFFF)), kSoundErrReadError) << "sync points beyond the header";
  // A length beyond what the entry's data hold is cut to the data.
  const std::string lying = with(first + 32, 0x40000001);
  SoundFile* f = AuralFile_Open(lying.data(), kSoundFileMemory, static_cast<int>(lying.size()));
  BankState* b = FsbFormat_ReadBank(f);
  ASSERT_NE(b, nullptr) << SoundError;
  const BankEntry* e = FsbFormat_Entry(b, 0);
  EXPECT_EQ(e->lengthSamples, e->dataBytes / FsbFormat_DecodedFrameBytes(e));
  FsbFormat_Close(b);
  AuralFile_Close(f);
  EXPECT_EQ(Refusal(with(first + 36, 0x7FFFFFF0)), kSoundErrReadError) << "data beyond the file";
  // Four-bit data of 2^30 bytes and more hold twice as many frames: no 32-bit overflow.
  BankEntry huge = {};
  huge.channels = 1;
  huge.mode = Block28 | Mono;
  huge.dataBytes = 0x40000000;
  EXPECT_EQ(FsbFormat_FramesInData(&huge), int64_t{0x80000000});
  huge.mode = Block14 | Mono;
  huge.dataBytes = INT32_MAX;
  EXPECT_EQ(FsbFormat_FramesInData(&huge), int64_t{INT32_MAX} * 2);
  EXPECT_EQ(Refusal(with(first + 48, Block28 | Mono)), kSoundErrUnknownFormat) << "4-bit block data";

  // Every cut of the bank fails with 10 (too short to tell) or 11, as stream and sample.
  for (size_t size = 1; size < bank.size(); size += 1 + size / 8) {
    const std::string cut = bank.substr(0, size);
    const int32_t error = Refusal(cut);
    ASSERT_TRUE(error == kSoundErrUnknownFormat || error == kSoundErrReadError) << size << ": " << error;
    ASSERT_EQ(LoadMemory(cut), nullptr);
  }
}
