// The players against openmpt123: the effect modules the tests build, and real modules
// written by other people (Debian game packages), rendered both ways.
#include <algorithm>
#include <cstdio>

#include "EffectModules.h"
#include "TrackerTestSupport.h"

using namespace trackertest;

namespace {

// Render agreement: the correlation of the 20 ms RMS envelopes of the mono mix. Channels
// playing the same pitch add with a phase that differs between any two resamplers, so a
// whole song is held to a floor and the set of songs to a majority and a median.
constexpr double kMinEnvelopeCorrelation = 0.9;
constexpr double kSongEnvelopeFloor = 0.7;
constexpr double kShareAboveMin = 0.85;
constexpr double kMinMedianCorrelation = 0.95;
// Lengths agree within one row (at most 0.5 s in these songs).
constexpr double kRowSeconds = 0.5;
// Pitch agreement of the effect modules: the median and the 90th percentile of the window
// by window frequency ratio, each relative to the first window (the two players' base
// clocks differ by a fixed amount).
constexpr double kMaxMedianPitchError = 0.005;
constexpr double kMaxP90PitchError = 0.03;

class OpenmptComparisonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    missing_ = ReferencesMissing();
    soundtest::ResetEngineRequests(kSoundOutputNonRealtime, kMixerC);
  }
  void TearDown() override {
    Aural_Close();
    EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
  }
  std::string missing_;
};

std::vector<double> Raw16Pitch(const std::string& path) {
  const std::string raw = ReadText(path);
  std::vector<int16_t> pcm(raw.size() / 2);
  std::memcpy(pcm.data(), raw.data(), pcm.size() * 2);
  return PitchTrack(pcm);
}

std::vector<double> Raw16Envelope(const std::string& path) {
  const std::string raw = ReadText(path);
  Envelope e;
  e.Add(reinterpret_cast<const int16_t*>(raw.data()), static_cast<int>(raw.size() / 4));
  return e.values;
}

// Where the engine's rules and openmpt123's part on song length, read from the file.
enum class LengthRule { kSame, kShorter, kLonger, kOther };

LengthRule S3mOrderRule(const std::vector<uint8_t>& b) {
  if (b.size() < 96) return LengthRule::kSame;
  const int count = b[32] | b[33] << 8;
  bool ended = false, skips = false, after = false;
  for (int i = 0; i < count && 96 + i < static_cast<int>(b.size()); ++i) {
    const uint8_t o = b[96 + i];
    skips = skips || o == 254;
    after = after || (o < 254 && ended);
    ended = ended || o == 255;
  }
  // Without the 254 markers, a jump's target counts differently; orders after a 255
  // play on here, where openmpt123 ends.
  return skips ? LengthRule::kOther : after ? LengthRule::kLonger : LengthRule::kSame;
}

// An XM order naming a pattern the file does not hold plays an empty 64-row pattern here;
// openmpt123 ends the song there.
LengthRule XmOrderRule(const std::vector<uint8_t>& b) {
  if (b.size() < 336) return LengthRule::kSame;
  const int length = b[64] | b[65] << 8, patterns = b[70] | b[71] << 8;
  for (int i = 0; i < length && i < 256; ++i)
    if (b[80 + i] >= patterns) return LengthRule::kLonger;
  return LengthRule::kSame;
}

struct PitchError {
  double median, p90;
};

PitchError ComparePitch(const std::vector<double>& ours, const std::vector<double>& theirs) {
  std::vector<double> errors;
  const size_t n = std::min(ours.size(), theirs.size());
  if (n == 0 || ours[0] <= 0 || theirs[0] <= 0) return {1, 1};
  for (size_t i = 0; i < n; ++i) {
    if (ours[i] <= 0 || theirs[i] <= 0) continue;
    errors.push_back(std::fabs((ours[i] / ours[0]) / (theirs[i] / theirs[0]) - 1));
  }
  if (errors.empty()) return {1, 1};
  std::sort(errors.begin(), errors.end());
  return {errors[errors.size() / 2], errors[errors.size() * 9 / 10]};
}

// The frames each sample's header claims, capped where plain data run past the end of the
// file, in the order the song keeps its samples; -1 where the header holds no sample.
std::vector<int64_t> ClaimedFrames(const std::vector<uint8_t>& b, int format) {
  const int64_t size = static_cast<int64_t>(b.size());
  auto u8 = [&](int64_t at) -> int64_t { return at >= 0 && at < size ? b[at] : 0; };
  auto u16 = [&](int64_t at) { return u8(at) | u8(at + 1) << 8; };
  auto u32 = [&](int64_t at) { return u16(at) | u16(at + 2) << 16; };
  auto held = [&](int64_t frames, int64_t dataAt, int frameBytes) {
    return std::min(frames, dataAt > 0 && dataAt < size ? (size - dataAt) / frameBytes : 0);
  };
  std::vector<int64_t> frames;
  if (format == kMusicFormatMod) {
    for (int i = 0; i < 31; ++i) frames.push_back((u8(20 + 30 * i + 22) << 8 | u8(20 + 30 * i + 23)) * 2);
  } else if (format == kMusicFormatS3m) {
    const int64_t pointers = 0x60 + u16(0x20);
    for (int i = 0; i < u16(0x22); ++i) {
      const int64_t at = u16(pointers + 2 * i) * 16;
      const int flags = static_cast<int>(u8(at + 0x1F));
      frames.push_back(u8(at) != 1 ? -1 : held(u32(at + 0x10), (u8(at + 0x0D) << 16 | u16(at + 0x0E)) * 16, flags & 4 ? 2 : 1));
    }
  } else if (format == kMusicFormatXm) {
    int64_t at = 60 + u32(60);
    for (int p = 0; p < u16(70); ++p) at += u32(at) + u16(at + 7);
    for (int i = 0; i < u16(72); ++i) {
      const int count = static_cast<int>(u16(at + 27));
      int64_t data = at + u32(at);
      std::vector<int64_t> bytes, types;
      for (int k = 0; k < count; ++k) bytes.push_back(u32(data)), types.push_back(u8(data + 14)), data += 40;
      for (int k = 0; k < count && k < 16; ++k) {
        const int shift = (types[k] & 0x10 ? 1 : 0) + (types[k] & 0x20 ? 1 : 0);
        frames.push_back(std::min(bytes[k], std::max<int64_t>(size - data, 0)) >> shift);
        data += bytes[k];
      }
      at = count ? data : at + u32(at);
    }
  } else if (format == kMusicFormatIt) {
    const int64_t offsets = 192 + u16(32) + 4 * u16(34);
    for (int i = 0; i < u16(36); ++i) {
      const int64_t at = u32(offsets + 4 * i);
      const int flags = static_cast<int>(u8(at + 18));
      const int64_t length = flags & 1 ? u32(at + 48) : 0;
      frames.push_back(flags & 8 ? length : held(length, u32(at + 72), (flags & 2 ? 2 : 1) * (flags & 4 ? 2 : 1)));
    }
  }
  return frames;
}

}  // namespace

TEST_F(OpenmptComparisonTest, EffectModulesMatchOpenmpt) {
  const std::string missing = BuiltReferencesMissing();
  if (!missing.empty()) FAIL() << missing;
  for (const effectmods::EffectModule& m : effectmods::All()) {
    SCOPED_TRACE(m.name);
    const std::string file = RefPath(std::string("built\\") + m.name + m.extension);
    const double theirLength = OpenmptLength(file);
    ASSERT_GT(theirLength, 0) << "openmpt123 plays the module";
    std::vector<int16_t> pcm;
    const tracker::RenderResult r = RenderAll(m.build(), &pcm, tracker::kQualityMixer);
    ASSERT_TRUE(r.loaded) << r.error;
    const double ours = static_cast<double>(r.frames) / tracker::kRate;
    RecordProperty(std::string(m.name) + "_length", std::to_string(ours) + " / " + std::to_string(theirLength));
    if (m.differsFromOpenmpt) continue;  // the engine's own numbers are checked in the player tests
    EXPECT_NEAR(ours, theirLength, 0.021) << "length to the tick";
    if (m.measure == effectmods::kPitch) {
      const PitchError e = ComparePitch(PitchTrack(pcm), Raw16Pitch(file + ".openmpt.raw"));
      EXPECT_LT(e.median, kMaxMedianPitchError);
      EXPECT_LT(e.p90, kMaxP90PitchError);
    } else if (m.measure == effectmods::kLoudness) {
      Envelope ours;
      ours.Add(pcm.data(), static_cast<int>(pcm.size() / 2));
      EXPECT_GE(Correlation(ours.values, Raw16Envelope(file + ".openmpt.raw")), kMinEnvelopeCorrelation);
    }
  }
}

TEST_F(OpenmptComparisonTest, RealModulesLoadPlayTheirLengthAndSoundLikeOpenmpt) {
  if (!missing_.empty()) FAIL() << missing_;
  const std::string folder = RefPath("modules\\");
  std::vector<std::string> modules = FilesIn(folder, "*.mod");
  const std::vector<std::string> s3m = FilesIn(folder, "*.s3m");
  modules.insert(modules.end(), s3m.begin(), s3m.end());
  ASSERT_FALSE(modules.empty());
  int loaded = 0, refused = 0, lengthChecked = 0;
  std::vector<double> correlations;
  for (const std::string& file : modules) {
    SCOPED_TRACE(file);
    const std::vector<uint8_t> bytes = ReadBytes(file);
    tracker::RenderOptions o;
    o.memory = bytes.data();
    o.memoryBytes = static_cast<int>(bytes.size());
    Envelope ours;
    const tracker::RenderResult r =
        tracker::Render(nullptr, o, [&](const int16_t* f, int n) { ours.Add(f, n); });
    if (!r.loaded) {
      // A file the readers do not take is refused with a reason, never half loaded.
      EXPECT_TRUE(r.error == kSoundErrUnknownFormat || r.error == kSoundErrReadError) << r.error;
      ++refused;
      continue;
    }
    ++loaded;
    EXPECT_TRUE(r.ended) << "the song ends or repeats";
    const double theirLength = OpenmptLength(file);
    const double length = static_cast<double>(r.frames) / tracker::kRate;
    const std::string name = file.substr(folder.size());
    RecordProperty(name, std::to_string(length) + " / " + std::to_string(theirLength));
    // F00 ends a MOD song here, openmpt123 plays on; S3M order lists keep their markers there.
    const LengthRule rule = r.speedZeroEnd ? LengthRule::kShorter
                            : r.format == kMusicFormatS3m ? S3mOrderRule(bytes)
                                                          : LengthRule::kSame;
    if (theirLength > 0) {
      if (rule == LengthRule::kSame) {
        ++lengthChecked;
        EXPECT_NEAR(length, theirLength, kRowSeconds) << "within one row";
      }
      if (rule == LengthRule::kShorter) {
        EXPECT_LT(length, theirLength);
      }
      if (rule == LengthRule::kLonger) {
        EXPECT_GT(length, theirLength);
      }
    }
    const std::vector<double> theirs = EnvelopeFromDb(ReadText(file + ".env"));
    ASSERT_FALSE(theirs.empty());
    const double c = Correlation(ours.values, theirs);
    correlations.push_back(c);
    RecordProperty(name + "_envelope", std::to_string(c));
    EXPECT_GE(c, kSongEnvelopeFloor);
  }
  std::sort(correlations.begin(), correlations.end());
  const size_t above = static_cast<size_t>(
      correlations.end() - std::lower_bound(correlations.begin(), correlations.end(), kMinEnvelopeCorrelation));
  ASSERT_FALSE(correlations.empty());
  EXPECT_GE(above, kShareAboveMin * correlations.size()) << above << " of " << correlations.size();
  EXPECT_GE(correlations[correlations.size() / 2], kMinMedianCorrelation);
  RecordProperty("length_checked", lengthChecked);
  RecordProperty("loaded", loaded);
  RecordProperty("refused", refused);
  EXPECT_GE(loaded, 30);
}

TEST_F(OpenmptComparisonTest, RealXmAndItModulesLoadOrFailCleanlyAndSoundLikeOpenmpt) {
  if (!missing_.empty()) FAIL() << missing_;
  const std::string folder = RefPath("modules\\");
  std::vector<std::string> modules;
  for (const char* pattern : {"*.xm", "*.it"})  // the platform matches names without case
    for (const std::string& f : FilesIn(folder, pattern)) modules.push_back(f);
  int loaded = 0, itLoaded = 0;
  std::vector<double> correlations;
  for (const std::string& file : modules) {
    SCOPED_TRACE(file);
    const std::vector<uint8_t> bytes = ReadBytes(file);
    tracker::RenderOptions o;
    o.memory = bytes.data();
    o.memoryBytes = static_cast<int>(bytes.size());
    Envelope ours(true);
    const tracker::RenderResult r = tracker::Render(nullptr, o, [&](const int16_t* f, int n) { ours.Add(f, n); });
    const double theirLength = OpenmptLength(file);
    if (!r.loaded) {
      EXPECT_TRUE(r.error == kSoundErrUnknownFormat || r.error == kSoundErrReadError) << r.error;
      EXPECT_LT(theirLength, 0) << "openmpt123 plays what the engine refuses";
      continue;
    }
    ++loaded;
    if (r.format == kMusicFormatIt) ++itLoaded;
    EXPECT_TRUE(r.ended);
    const double length = static_cast<double>(r.frames) / tracker::kRate;
    const std::string name = file.substr(folder.size());
    RecordProperty(name, std::to_string(length) + " / " + std::to_string(theirLength));
    // Within one row; F00 ends a song here and openmpt123 plays on.
    const LengthRule rule = r.speedZeroEnd ? LengthRule::kShorter
                            : r.format == kMusicFormatXm ? XmOrderRule(bytes)
                                                         : LengthRule::kSame;
    if (rule == LengthRule::kSame) {
      EXPECT_NEAR(length, theirLength, kRowSeconds);
    }
    if (rule == LengthRule::kLonger) {
      EXPECT_GT(length, theirLength);
    }
    const double c = Correlation(ours.values, EnvelopeFromDb(ReadText(file + ".env")));
    correlations.push_back(c);
    RecordProperty(name + "_envelope", std::to_string(c));
    EXPECT_GE(c, kSongEnvelopeFloor);
  }
  ASSERT_FALSE(correlations.empty());
  std::sort(correlations.begin(), correlations.end());
  // Instruments bring ramps, filters and envelope details where two players part in
  // 20 ms windows; whole songs still follow each other.
  EXPECT_GE(correlations[correlations.size() / 2], 0.85);
  RecordProperty("loaded", loaded);
  EXPECT_GE(loaded, 20);
  EXPECT_GE(itLoaded, 15) << "IT modules, most with IT 2.14 compressed samples";
}

class RealModuleSamples : public SongTest {};

TEST_F(RealModuleSamples, EveryRealModuleLoadsEverySampleWhole) {
  const std::string missing = ReferencesMissing();
  if (!missing.empty()) FAIL() << missing;
  const std::string folder = RefPath("modules\\");
  int checked = 0;
  int64_t frames = 0;
  for (const char* pattern : {"*.mod", "*.s3m", "*.xm", "*.it"}) {
    for (const std::string& file : FilesIn(folder, pattern)) {
      SCOPED_TRACE(file);
      if (!Load(ReadBytes(file))) continue;  // refused files are the comparisons' concern
      const std::vector<int64_t> claimed = ClaimedFrames(bytes_, song_.format);
      ASSERT_EQ(static_cast<int>(claimed.size()), song_.sampleCount);
      for (int i = 0; i < song_.sampleCount; ++i) {
        if (claimed[i] < 0) continue;
        EXPECT_EQ(song_.samples[i] ? song_.samples[i]->length : 0, claimed[i]) << "sample " << i;
        ++checked;
        frames += claimed[i];
      }
    }
  }
  std::printf("%d samples of real modules, %lld frames, all whole\n", checked, static_cast<long long>(frames));
  RecordProperty("samples_checked", checked);
  EXPECT_GE(checked, 500);
}
