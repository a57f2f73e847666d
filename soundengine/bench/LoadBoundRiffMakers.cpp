// WAV and AIFF files for the structure-aware generators: every chunk the readers walk,
// with its sizes and counts noted as fields, and lists (cue points and their labels,
// markers) grown to tens of thousands with their records.
#include <algorithm>

#include "LoadBoundMakers.h"

namespace structured {

namespace {

// Files stay below 4 MB: the bound on a load's time holds for those.
constexpr size_t kMostFileBytes = 3900000;
constexpr uint32_t kMostListEntries = 100000;

struct Budget {
  size_t left = kMostFileBytes;
  // How many records of `each` bytes fit, at most `wanted`.
  uint32_t Take(uint32_t wanted, size_t each) {
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(wanted, left / each));
    left -= n * each;
    return n;
  }
};

// A chunk's header: its identifier and a size field patched when it ends.
size_t Begin(FieldFile& f, const char* id, bool big, const char* sizeName) {
  f.Raw(std::string(id, 4));
  return big ? f.Be(0, 4, sizeName) : f.Le(0, 4, sizeName);
}

// Patches the size and, unless the writer is one that leaves it out, adds the pad byte.
void End(FieldFile& f, size_t sizeAt, bool big, bool pad = true) {
  const uint64_t size = f.Size() - sizeAt - 4;
  f.Patch(sizeAt, size, 4, big);
  if (pad && (size & 1)) f.Raw(std::string(1, '\0'));
}

const int16_t kMsAdpcmCoefficients[7][2] = {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};

struct WavCodec {
  uint16_t tag;
  int bits;
  bool block;                      // block-coded data
};

// Blocks of valid compressed data: headers a decoder takes, then random nibbles.
std::string Blocks(const WavCodec& c, int channels, int blockAlign, uint32_t blocks, std::mt19937& rng) {
  std::string d = Wave(static_cast<size_t>(blocks) * blockAlign, rng());
  for (uint32_t b = 0; b < blocks; ++b) {
    char* p = &d[static_cast<size_t>(b) * blockAlign];
    if (c.tag == 0x11 || c.tag == 0x69) {
      for (int ch = 0; ch < channels && 4 * ch + 3 < blockAlign; ++ch) p[4 * ch + 2] = static_cast<char>(rng() % 89), p[4 * ch + 3] = 0;
    } else if (c.tag == 2) {
      for (int ch = 0; ch < channels && ch < blockAlign; ++ch) p[ch] = static_cast<char>(rng() % 7);
      for (int ch = 0; ch < channels && channels + 2 * ch + 1 < blockAlign; ++ch) p[channels + 2 * ch + 1] = 0x01;  // delta >= 256
    }
  }
  return d;
}

void WavFormatChunk(FieldFile& f, const WavCodec& c, int channels, int rate, int blockAlign, int samplesPerBlock,
                    bool extensible) {
  const size_t size = Begin(f, "fmt ", false, "fmt size");
  f.Le(extensible ? 0xFFFE : c.tag, 2, "format tag");
  f.Le(channels, 2, "channels");
  f.Le(rate, 4, "rate");
  f.Le(static_cast<uint64_t>(rate) * blockAlign / std::max(samplesPerBlock, 1), 4, "bytes a second");
  f.Le(blockAlign, 2, "block align");
  f.Le(c.bits, 2, "bits");
  if (extensible) {
    f.Le(22, 2, "extra size");
    f.Le(c.bits, 2, "valid bits");
    f.Le(channels == 1 ? 4 : 3, 4, "channel mask");
    f.Le(c.tag, 2, "sub-format");
    f.Raw(std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14));
  } else if (c.tag == 2) {
    f.Le(32, 2, "extra size");
    f.Le(samplesPerBlock, 2, "samples per block");
    f.Le(7, 2, "coefficient count", 7);
    for (const auto& k : kMsAdpcmCoefficients) f.Le(static_cast<uint16_t>(k[0]), 2), f.Le(static_cast<uint16_t>(k[1]), 2);
  } else if (c.tag == 0x11 || c.tag == 0x69 || c.tag == 0x31) {
    f.Le(2, 2, "extra size");
    f.Le(samplesPerBlock, 2, "samples per block");
  } else if (c.tag != 1) {
    f.Le(0, 2, "extra size");
  }
  End(f, size, false);
}

// Offsets in one of the orders files give them: ascending, descending, random or equal.
std::vector<uint32_t> Offsets(uint32_t n, uint32_t frames, std::mt19937& rng) {
  std::vector<uint32_t> v(n);
  const uint32_t span = std::max<uint32_t>(frames, 1);
  for (uint32_t& o : v) o = rng() % span;
  switch (rng() % 4) {
    case 0: std::sort(v.begin(), v.end()); break;
    case 1: std::sort(v.rbegin(), v.rend()); break;
    case 2: std::fill(v.begin(), v.end(), v.empty() ? 0 : v[0]); break;
    default: break;
  }
  return v;
}

void CueChunk(FieldFile& f, uint32_t n, uint32_t frames, const std::vector<uint32_t>& ids, std::mt19937& rng) {
  const size_t size = Begin(f, "cue ", false, "cue size");
  f.Le(n, 4, "cue count", n);
  const std::vector<uint32_t> at = Offsets(n, frames, rng);
  for (uint32_t i = 0; i < n; ++i) {
    const bool noted = i < 3 || i + 1 == n;
    f.Le(ids[i], 4, noted ? "cue id" : nullptr);
    f.Le(at[i], 4);
    f.Raw("data");
    f.Le(0, 4), f.Le(0, 4);
    f.Le(at[i], 4, noted ? "cue offset" : nullptr);
  }
  End(f, size, false);
}

void LabelList(FieldFile& f, uint32_t n, const std::vector<uint32_t>& ids, std::mt19937& rng) {
  const size_t size = Begin(f, "LIST", false, "LIST size");
  f.Raw("adtl");
  for (uint32_t i = 0; i < n; ++i) {
    const size_t labl = Begin(f, "labl", false, i < 3 ? "labl size" : nullptr);
    f.Le(ids.empty() ? rng() : ids[rng() % ids.size()], 4, i < 3 ? "labl id" : nullptr);
    const size_t length = rng() % 8 == 0 ? rng() % 300 : rng() % 12;
    f.Raw(std::string(length, static_cast<char>('a' + rng() % 26)) + std::string(1, '\0'));
    End(f, labl, false);
  }
  End(f, size, false);
}

void SamplerChunk(FieldFile& f, uint32_t frames, std::mt19937& rng) {
  const size_t size = Begin(f, "smpl", false, "smpl size");
  for (int i = 0; i < 7; ++i) f.Le(i == 3 ? 60 : 0, 4);
  const uint32_t loops = 1 + rng() % 3;
  f.Le(loops, 4, "smpl loops", loops);
  f.Le(0, 4);
  for (uint32_t l = 0; l < loops; ++l) {
    const uint32_t start = rng() % std::max<uint32_t>(frames, 1);
    f.Le(l, 4);
    f.Le(rng() % 3, 4, "smpl loop type");
    f.Le(start, 4, "smpl loop start");
    f.Le(start + rng() % std::max<uint32_t>(frames - start, 1), 4, "smpl loop end");
    f.Le(0, 4), f.Le(0, 4);
  }
  End(f, size, false);
}

// A rate as an 80-bit extended float.
void Extended(FieldFile& f, uint32_t rate) {
  int e = 0;
  while (e < 31 && (rate >> (e + 1))) ++e;
  const uint64_t mantissa = rate ? static_cast<uint64_t>(rate) << (63 - e) : 0;
  f.Be(rate ? 16383 + e : 0, 2, "rate exponent");
  f.Be(mantissa >> 32, 4, "rate mantissa");
  f.Be(mantissa & 0xFFFFFFFF, 4);
}

}  // namespace

FieldFile MakeWav(std::mt19937& rng) {
  static const WavCodec kCodecs[] = {{1, 16, false}, {1, 8, false},  {1, 24, false},  {1, 32, false}, {0x11, 4, true},
                                     {0x69, 4, true}, {2, 4, true},  {6, 8, false},   {7, 8, false},  {0x31, 0, true}};
  const WavCodec c = kCodecs[rng() % (sizeof kCodecs / sizeof kCodecs[0])];
  const int channels = c.tag == 0x31 ? 1 : 1 + static_cast<int>(rng() % 2);
  static const int kRates[] = {8000, 11025, 22050, 44100, 48000};
  const int rate = kRates[rng() % 5];
  int blockAlign = channels * std::max(c.bits, 8) / 8, samplesPerBlock = 1;
  if (c.tag == 0x11) blockAlign = (rng() % 2 ? 256 : 512) * channels, samplesPerBlock = (blockAlign - 4 * channels) * 2 / channels + 1;
  if (c.tag == 0x69) blockAlign = 36 * channels, samplesPerBlock = 64;
  if (c.tag == 2) {
    static const int kAligns[] = {256, 512, 1024, 2048};
    blockAlign = kAligns[rng() % 4] * channels;
    samplesPerBlock = (blockAlign - 7 * channels) * 2 / channels + 2;
  }
  if (c.tag == 0x31) blockAlign = 65, samplesPerBlock = 320;

  Budget budget;
  const bool cue = rng() % 5 < 2, labels = cue && rng() % 2, sampler = rng() % 3 == 0;
  const uint32_t points = cue ? budget.Take(LogCount(rng, kMostListEntries), 24) : 0;
  const uint32_t labelCount = labels ? budget.Take(rng() % 2 ? points : LogCount(rng, kMostListEntries), 24) : 0;
  const uint32_t blocks = budget.Take(LogCount(rng, 3000000 / static_cast<uint32_t>(blockAlign)), static_cast<size_t>(blockAlign));
  const uint32_t frames = blocks * static_cast<uint32_t>(samplesPerBlock);
  std::vector<uint32_t> ids(points);
  for (uint32_t i = 0; i < points; ++i) ids[i] = rng() % 3 == 0 ? rng() % std::max<uint32_t>(points, 1) : i + 1;

  FieldFile f;
  f.Raw("RIFF");
  const size_t riff = f.Le(0, 4, "RIFF size");
  f.Raw("WAVE");
  WavFormatChunk(f, c, channels, rate, blockAlign, samplesPerBlock, c.tag == 1 && rng() % 4 == 0);
  if (c.block || rng() % 4 == 0) {
    const size_t fact = Begin(f, "fact", false, "fact size");
    f.Le(frames, 4, "fact samples");
    End(f, fact, false);
  }
  const bool listsFirst = rng() % 2;
  auto lists = [&] {
    if (cue) CueChunk(f, points, frames, ids, rng);
    if (labels) LabelList(f, labelCount, ids, rng);
    if (sampler) SamplerChunk(f, frames, rng);
  };
  if (listsFirst) lists();
  if (rng() % 4 == 0) {
    const size_t odd = Begin(f, "JUNK", false, "JUNK size");
    f.Raw("odd");
    End(f, odd, false, rng() % 2 != 0);
  }
  const size_t data = Begin(f, "data", false, "data size");
  f.Raw(c.block ? Blocks(c, channels, blockAlign, blocks, rng) : Wave(static_cast<size_t>(blocks) * blockAlign, rng()));
  End(f, data, false);
  if (!listsFirst) lists();
  f.PatchLe(riff, f.Size() - 8, 4);
  return f;
}

FieldFile MakeAiff(std::mt19937& rng) {
  const int channels = 1 + static_cast<int>(rng() % 2), bits = rng() % 2 ? 16 : 8;
  static const uint32_t kRates[] = {8000, 11025, 22050, 44100, 48000, 96000};
  Budget budget;
  const uint32_t markers = rng() % 2 ? budget.Take(LogCount(rng, 65535), 16) : 0;
  const uint32_t frameBytes = static_cast<uint32_t>(channels * bits / 8);
  const uint32_t frames = budget.Take(LogCount(rng, 400000), frameBytes);

  FieldFile f;
  f.Raw("FORM");
  const size_t form = f.Be(0, 4, "FORM size");
  f.Raw("AIFF");
  if (rng() % 3 == 0) {
    // An odd text chunk, padded as the format asks unless the writer left the pad out.
    const size_t name = Begin(f, "NAME", true, "NAME size");
    f.Raw("Pluck");
    End(f, name, true, rng() % 4 != 0);
  }
  const size_t comm = Begin(f, "COMM", true, "COMM size");
  f.Be(channels, 2, "channels");
  f.Be(frames, 4, "frames");
  f.Be(bits, 2, "bits");
  Extended(f, kRates[rng() % 6]);
  End(f, comm, true);
  if (markers) {
    const size_t mark = Begin(f, "MARK", true, "MARK size");
    f.Be(markers, 2, "marker count", markers);
    const std::vector<uint32_t> at = Offsets(markers, frames, rng);
    for (uint32_t i = 0; i < markers; ++i) {
      const bool noted = i < 3 || i + 1 == markers;
      f.Be(rng() % 4 == 0 ? rng() % 65536 : i + 1, 2, noted ? "marker id" : nullptr);
      f.Be(at[i], 4, noted ? "marker position" : nullptr);
      const size_t length = rng() % 16 == 0 ? rng() % 256 : rng() % 9;
      f.Le(length, 1, noted ? "marker name length" : nullptr);
      f.Raw(std::string(length, static_cast<char>('A' + rng() % 26)));
      if (length % 2 == 0) f.Raw(std::string(1, '\0'));  // count byte and name even
    }
    End(f, mark, true);
  }
  if (rng() % 2) {
    const size_t inst = Begin(f, "INST", true, "INST size");
    f.Raw(std::string("\x3C\x00\x00\x7F\x01\x7F", 6));
    f.Be(0, 2);
    f.Be(rng() % 4, 2, "sustain play mode");
    f.Be(rng() % 3 ? 1 + rng() % 3 : rng() % 65536, 2, "sustain begin");
    f.Be(rng() % 3 ? 2 + rng() % 3 : rng() % 65536, 2, "sustain end");
    f.Be(rng() % 3, 2, "release play mode");
    f.Be(1, 2), f.Be(2, 2);
    End(f, inst, true);
  }
  const size_t ssnd = Begin(f, "SSND", true, "SSND size");
  f.Be(0, 4, "SSND offset");
  f.Be(0, 4, "SSND block size");
  f.Raw(Wave(static_cast<size_t>(frames) * frameBytes, rng()));
  End(f, ssnd, true);
  f.PatchBe(form, f.Size() - 8, 4);
  return f;
}

}  // namespace structured
