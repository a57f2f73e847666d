// AIFF files made by sox stream and load sample for sample as sox reads them; markers
// and the instrument's sustain loop give sync and loop points; AIFC, 24-bit and damaged
// files are refused with 10 or 11 and never walk for ever.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BankTestSupport.h"
#include "ReaderTestSupport.h"
#include "format_wav_aiff.h"

using namespace banktest;

namespace {

struct SoxAiff {
  const char* name;
  int bits, channels, rate;
};
const SoxAiff kSoxFiles[] = {{"aiff_m8_8000", 8, 1, 8000},     {"aiff_s8_22050", 8, 2, 22050},
                             {"aiff_s16_11025", 16, 2, 11025}, {"aiff_m16_37800", 16, 1, 37800},
                             {"aiff_s16_44100", 16, 2, 44100}, {"aiff_m16_48000", 16, 1, 48000}};

void PutB32(std::string& s, uint32_t v) {
  for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>(v >> (8 * i)));
}
void PutB16(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v >> 8));
  s.push_back(static_cast<char>(v));
}
uint32_t B32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = v << 8 | static_cast<uint8_t>(s[at + i]);
  return v;
}
std::string ChunkB(const char* id, const std::string& body) {
  std::string c(id, 4);
  PutB32(c, static_cast<uint32_t>(body.size()));
  return c + body;  // no pad byte: the walk finds the next identifier right behind an odd chunk
}

// `chunks` inserted in front of the first chunk of a sox file, the FORM size fixed.
std::string WithChunks(std::string file, const std::string& chunks) {
  file.insert(12, chunks);
  const uint32_t size = static_cast<uint32_t>(file.size() - 8);
  for (int i = 0; i < 4; ++i) file[4 + i] = static_cast<char>(size >> (8 * (3 - i)));
  return file;
}

// The offset of chunk `id` in the file (0 when missing).
size_t FindChunk(const std::string& f, const char* id) {
  for (size_t off = 12; off + 8 <= f.size(); off += 8 + B32(f, off + 4))
    if (f.compare(off, 4, id) == 0) return off;
  return 0;
}

class AiffReader : public readertest::ReaderTest {
 protected:
  // Streams and loads the file at `path`; both give what sox read from it (`raw`).
  void ExpectReadsAsSox(const std::string& path, const std::string& raw, const SoxAiff& f) {
    ASSERT_FALSE(raw.empty());
    const int frames = static_cast<int>(raw.size()) / (f.bits / 8 * f.channels);
    SoundStream* s = AuralStream_Open(path.c_str(), 0, 0, 0);
    ASSERT_NE(s, nullptr) << SoundError;
    EXPECT_EQ(s->lengthSamples, frames);
    EXPECT_EQ(s->ringSample->frequency, f.rate) << "the 80-bit rate";
    EXPECT_EQ(AuralStream_GetLengthMs(s), (frames * 1000 + 999) / f.rate);
    const std::string played = StreamAll(s, f.bits / 8 * f.channels);
    ASSERT_GE(played.size(), raw.size());
    EXPECT_EQ(FirstDifference(played, raw), raw.size()) << "signed little-endian, as sox reads the file";
    EXPECT_EQ(played.find_first_not_of('\0', raw.size()), std::string::npos) << "then silence";
    EXPECT_TRUE(AuralStream_Close(s));

    SoundSample* sample = SoundSample_Load(-1, path.c_str(), 0, 0, 0, nullptr);
    ASSERT_NE(sample, nullptr) << SoundError;
    EXPECT_EQ(sample->length, frames);
    EXPECT_EQ(sample->frequency, f.rate);
    EXPECT_EQ(sample->mode & 0x78u, (f.bits == 16 ? SoundMode::Pcm16 : SoundMode::Pcm8) |
                                        (f.channels == 2 ? SoundMode::Stereo : SoundMode::Mono));
    EXPECT_EQ(FirstDifference(std::string(static_cast<const char*>(sample->data), raw.size()), raw), raw.size())
        << "signed data, as sox reads it";
    EXPECT_EQ(sample->loopStart, 0);
    EXPECT_EQ(sample->loopLength, frames) << "no markers: the loop spans the sample";
    SoundSample_Free(sample);
  }

  // The bytes of the whole stream as it fills its halves, from the start to its end.
  std::string StreamAll(SoundStream* s, int frameBytes) {
    HalfCapture capture;
    capture.Attach(s, frameBytes);
    EXPECT_NE(AuralStream_Play(-1, s, nullptr, FALSE), -1);
    for (int i = 0; i < 3000 && s->playing; ++i) Aural_Update();
    EXPECT_FALSE(s->playing) << "the stream ended";
    return capture.bytes;
  }
};

}  // namespace

TEST_F(AiffReader, SoxFilesStreamAndLoadAsSoxReadsThem) {
  for (const SoxAiff& f : kSoxFiles) {
    SCOPED_TRACE(f.name);
    ExpectReadsAsSox(Path((std::string(f.name) + ".aiff").c_str()), Bytes((std::string(f.name) + ".raw").c_str()), f);
  }
}

// Files others wrote pad every odd-sized chunk with a byte, as the format asks: Python's
// test files (from Debian's package) have an odd "NAME" and "ANNO" chunk before the sound.
TEST_F(AiffReader, RealFilesWithPadBytesReadAsSoxReadsThem) {
  const std::string status = Bytes("real/status");
  if (status.rfind("ok", 0) != 0) FAIL() << (status.empty() ? "the real AIFF files were not fetched" : status);
  for (const SoxAiff& f : {SoxAiff{"pluck-pcm8", 8, 2, 11025}, SoxAiff{"pluck-pcm16", 16, 2, 11025}}) {
    SCOPED_TRACE(f.name);
    ExpectReadsAsSox(Path((std::string("real/") + f.name + ".aiff").c_str()),
                     Bytes((std::string("real/") + f.name + ".raw").c_str()), f);
  }
}

TEST_F(AiffReader, MarkersGiveSyncPointsAndTheSustainLoop) {
  const std::string sox = Bytes("aiff_m16_48000.aiff");
  const int frames = static_cast<int>(Bytes("aiff_m16_48000.raw").size() / 2);
  // Markers "Start", "Loop" and "End" with the identifiers `ids`; the odd-sized chunk in
  // front of them with its pad byte when `pad`.
  auto marks = [](int beginId, int endId, std::vector<int> ids = {1, 2, 3}, bool pad = false, uint16_t playMode = 1) {
    std::string mark;
    PutB16(mark, 3);
    const std::pair<uint32_t, const char*> points[] = {{1000, "Start"}, {4000, "Loop"}, {9000000, "End"}};
    for (int i = 0; i < 3; ++i) {
      PutB16(mark, static_cast<uint16_t>(ids[i]));
      PutB32(mark, points[i].first);
      mark += static_cast<char>(std::strlen(points[i].second));
      mark += points[i].second;
      if (std::strlen(points[i].second) % 2 == 0) mark += '\0';  // the count byte and the name take an even number
    }
    std::string inst(8, '\0');
    PutB16(inst, playMode);  // 1: a forward sustain loop, 2: back and forth, 0: none
    PutB16(inst, static_cast<uint16_t>(beginId));
    PutB16(inst, static_cast<uint16_t>(endId));
    inst.append(6, '\0');
    // An odd-sized chunk first, its pad byte left out unless asked for.
    return ChunkB("APPL", "abc") + (pad ? std::string(1, '\0') : "") + ChunkB("MARK", mark) + ChunkB("INST", inst);
  };
  const std::string file = WithChunks(sox, marks(2, 3));
  SoundSample* s = SoundSample_Load(-1, file.data(), SoundMode::FromMemory, 0, static_cast<int>(file.size()), nullptr);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->loopStart, 4000);
  EXPECT_EQ(s->loopStart + s->loopLength - 1, frames - 1) << "a marker past the end stands on the last frame";
  EXPECT_TRUE(s->mode & SoundMode::LoopForward);
  SoundSample_Free(s);

  // The loop names its markers by identifier, whatever their order in the chunk; the pad
  // byte after an odd-sized chunk is stepped over.
  for (bool pad : {false, true}) {
    const std::string byId = WithChunks(sox, marks(20, 10, {20, 10, 30}, pad));
    s = SoundSample_Load(-1, byId.data(), SoundMode::FromMemory, 0, static_cast<int>(byId.size()), nullptr);
    ASSERT_NE(s, nullptr) << SoundError << (pad ? " padded" : "");
    EXPECT_EQ(s->loopStart, 1000) << pad;
    EXPECT_EQ(s->loopLength, 4000 - 1000 + 1) << pad;
    SoundSample_Free(s);
  }

  // A sustain loop marked back and forth plays so.
  const std::string pingPong = WithChunks(sox, marks(2, 3, {1, 2, 3}, false, 2));
  s = SoundSample_Load(-1, pingPong.data(), SoundMode::FromMemory, 0, static_cast<int>(pingPong.size()), nullptr);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->loopStart, 4000);
  EXPECT_EQ(s->mode & SoundMode::LoopBits, SoundMode::LoopPingPong);
  SoundSample_Free(s);

  // A sustain loop marked as not looping is no loop; its markers stay sync points.
  const std::string noLoop = WithChunks(sox, marks(2, 3, {1, 2, 3}, false, 0));
  s = SoundSample_Load(-1, noLoop.data(), SoundMode::FromMemory, 0, static_cast<int>(noLoop.size()), nullptr);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->loopStart, 0);
  EXPECT_EQ(s->loopLength, frames);
  EXPECT_FALSE(s->mode & SoundMode::LoopForward);
  SoundSample_Free(s);
  SoundStream* unlooped = AuralStream_Open(noLoop.data(), SoundMode::FromMemory, 0, static_cast<int>(noLoop.size()));
  ASSERT_NE(unlooped, nullptr) << SoundError;
  EXPECT_EQ(unlooped->loopStart, 0);
  EXPECT_EQ(unlooped->loopEnd, 0) << "a looping stream goes round the whole file";
  EXPECT_NE(unlooped->syncList->next, AuralSync_Tail(unlooped->syncList));
  EXPECT_TRUE(AuralStream_Close(unlooped));

  // Identifiers counted from 0 are ordinals counted from 1.
  const std::string zeroBased = WithChunks(sox, marks(0, 1));
  s = SoundSample_Load(-1, zeroBased.data(), SoundMode::FromMemory | SoundMode::NoLoop, 0,
                       static_cast<int>(zeroBased.size()), nullptr);
  ASSERT_NE(s, nullptr) << SoundError;
  EXPECT_EQ(s->loopStart, 1000);
  EXPECT_EQ(s->loopLength, 4000 - 1000 + 1);
  EXPECT_FALSE(s->mode & SoundMode::LoopForward) << "the caller asked for no loop";
  SoundSample_Free(s);

  SoundStream* stream = AuralStream_Open(file.data(), SoundMode::FromMemory, 0, static_cast<int>(file.size()));
  ASSERT_NE(stream, nullptr) << SoundError;
  EXPECT_EQ(stream->loopStart, 4000);
  EXPECT_EQ(stream->loopEnd, frames - 1);
  std::vector<std::pair<uint32_t, std::string>> points;
  for (SoundSyncPoint* p = stream->syncList->next; p != AuralSync_Tail(stream->syncList); p = p->next)
    points.emplace_back(p->offset, p->name);
  const std::vector<std::pair<uint32_t, std::string>> expected = {
      {1000, "Start"}, {4000, "Loop"}, {static_cast<uint32_t>(frames - 1), "End"}};
  EXPECT_EQ(points, expected);
  EXPECT_TRUE(AuralStream_Close(stream));
}

TEST_F(AiffReader, RatesComeFromEightyBitFloatsWithinTheirRange) {
  auto rate = [](uint16_t signAndExponent, uint32_t high, uint32_t low = 0) {
    std::string x;
    PutB16(x, signAndExponent);
    PutB32(x, high);
    PutB32(x, low);
    return Aiff_ExtendedToRate(reinterpret_cast<const uint8_t*>(x.data()));
  };
  EXPECT_EQ(rate(0x400E, 0xAC440000), 44100);
  EXPECT_EQ(rate(0x400E, 0x93A80000), 37800);
  EXPECT_EQ(rate(0x400B, 0xFA000000), 8000);
  EXPECT_EQ(rate(0x4012, 0xBB800000), 768000) << "the largest rate";
  EXPECT_EQ(rate(0x4012, 0xBB801000), 0) << "768001";
  EXPECT_EQ(rate(0, 0), 0);
  EXPECT_EQ(rate(0x7FFF, 0x80000000), 0) << "infinity";
  EXPECT_EQ(rate(0xC00E, 0xAC440000), 0) << "negative";
  EXPECT_EQ(rate(0x7FFE, 0xFFFFFFFF, 0xFFFFFFFF), 0) << "enormous: no integer overflow";
  EXPECT_EQ(rate(0x3FFE, 0x80000000), 0) << "0.5 Hz truncates to 0";
}

TEST_F(AiffReader, CompressedWideAndDamagedFilesAreRefused) {
  auto refusedWith = [](const std::string& file) {
    SoundStream* s = AuralStream_Open(file.data(), SoundMode::FromMemory, 0, static_cast<int>(file.size()));
    EXPECT_EQ(s, nullptr);
    const int32_t streamError = SoundError;
    SoundSample* sample = SoundSample_Load(-1, file.data(), SoundMode::FromMemory, 0, static_cast<int>(file.size()), nullptr);
    EXPECT_EQ(sample, nullptr);
    EXPECT_EQ(SoundError, streamError) << "streams and samples agree";
    if (s) AuralStream_Close(s);
    if (sample) SoundSample_Free(sample);
    return streamError;
  };
  EXPECT_EQ(refusedWith(Bytes("aiff_alaw.aifc")), kSoundErrUnknownFormat);
  EXPECT_EQ(refusedWith(Bytes("aiff_24.aiff")), kSoundErrUnknownFormat);

  const std::string good = Bytes("aiff_s16_11025.aiff");
  const size_t comm = FindChunk(good, "COMM"), ssnd = FindChunk(good, "SSND");
  ASSERT_GT(comm, 0u);
  ASSERT_GT(ssnd, 0u);
  EXPECT_EQ(refusedWith(good.substr(0, good.size() - 100)), kSoundErrReadError) << "cut inside the sound data";
  EXPECT_EQ(refusedWith(good.substr(0, 10)), kSoundErrReadError) << "cut inside the header";
  auto withSize = [&](size_t chunk, uint32_t size) {
    std::string f = good;
    for (int i = 0; i < 4; ++i) f[chunk + 4 + i] = static_cast<char>(size >> (8 * (3 - i)));
    return f;
  };
  // Every chunk must end inside the file (sizes are unsigned: the walk never goes back).
  for (uint32_t size : {0xFFFFFFF8u, 0xFFFFFFF0u, 0xFFFFFFFFu, 0x7FFFFFFFu})
    EXPECT_EQ(refusedWith(withSize(comm, size)), kSoundErrReadError) << size;
  const uint32_t toTheEnd = static_cast<uint32_t>(good.size() - ssnd - 8);
  const std::string exact = withSize(ssnd, toTheEnd);
  SoundSample* whole = SoundSample_Load(-1, exact.data(), SoundMode::FromMemory, 0, static_cast<int>(exact.size()), nullptr);
  EXPECT_NE(whole, nullptr) << "the last chunk ends where the file ends";
  if (whole) SoundSample_Free(whole);
  EXPECT_EQ(refusedWith(withSize(ssnd, toTheEnd + 1)), kSoundErrReadError) << "one byte past the end";
  EXPECT_EQ(refusedWith(withSize(ssnd, 4)), kSoundErrReadError) << "no room for the offset and block size";
  auto withRate = [&](uint16_t exponent, uint32_t high) {
    std::string f = good;
    const size_t at = comm + 8 + 8;
    f[at] = static_cast<char>(exponent >> 8);
    f[at + 1] = static_cast<char>(exponent);
    for (int i = 0; i < 4; ++i) f[at + 2 + i] = static_cast<char>(high >> (8 * (3 - i)));
    return f;
  };
  EXPECT_EQ(refusedWith(withRate(0, 0)), kSoundErrReadError) << "rate 0";
  EXPECT_EQ(refusedWith(withRate(0x7FFE, 0xFFFFFFFF)), kSoundErrReadError) << "enormous rate";
  EXPECT_EQ(refusedWith(withRate(0xC00C, 0xAC440000)), kSoundErrReadError) << "negative rate";
  std::string noSound = good;
  noSound.replace(ssnd, 4, "XXXX");
  EXPECT_EQ(refusedWith(noSound), kSoundErrReadError) << "no sound data";
}
