// MOD, S3M, XM and IT modules for the structure-aware generators: headers, order lists,
// patterns, instruments and samples in their published layouts, with every length,
// loop, count, offset and packing flag noted as a field; counts grow with their records.
#include <algorithm>
#include <vector>

#include "LoadBoundMakers.h"
#include "XmItBuilder.h"

namespace structured {

namespace {

constexpr size_t kMostSampleBytes = 3000000;

// Sample lengths that share what the file may hold.
std::vector<uint32_t> Lengths(std::mt19937& rng, int count, uint32_t most, size_t budget) {
  std::vector<uint32_t> v(static_cast<size_t>(count));
  for (uint32_t& n : v) {
    n = rng() % 5 == 0 ? 0 : std::min<uint32_t>(LogCount(rng, most), static_cast<uint32_t>(budget));
    budget -= std::min<size_t>(budget, n);
  }
  return v;
}

// Pattern cells: notes, instruments and effects at random, many of them real.
std::string Cells(std::mt19937& rng, size_t bytes) {
  std::string s(bytes, '\0');
  for (char& c : s) c = static_cast<char>(rng() % 3 ? rng() % 64 : rng());
  return s;
}

}  // namespace

FieldFile MakeMod(std::mt19937& rng) {
  static const char* const kTags[] = {"M.K.", "M!K!", "FLT4", "6CHN", "8CHN", "16CH", "32CH"};
  static const int kChannels[] = {4, 4, 4, 6, 8, 16, 32};
  const int kind = static_cast<int>(rng() % 7);
  const int channels = kChannels[kind];
  const std::vector<uint32_t> words = Lengths(rng, 31, 65535, kMostSampleBytes / 2);
  FieldFile f;
  f.Text("generated", 20);
  for (int i = 0; i < 31; ++i) {
    const bool noted = i < 6;
    const uint32_t n = words[i];
    f.Text("sample", 22);
    f.Be(n, 2, noted ? "sample length" : nullptr);
    f.Le(rng() % 16, 1, noted ? "finetune" : nullptr);
    f.Le(rng() % 65, 1, noted ? "volume" : nullptr);
    const uint32_t start = n ? rng() % n : 0;
    f.Be(start, 2, noted ? "loop start" : nullptr);
    f.Be(rng() % 2 && n > start ? 1 + rng() % (n - start) : 1, 2, noted ? "loop length" : nullptr);
  }
  const int patterns = static_cast<int>(LogCount(rng, 64));
  const int songLength = 1 + static_cast<int>(rng() % 128);
  f.Le(songLength, 1, "song length", 128);
  f.Le(127, 1, "restart");
  for (int i = 0; i < 128; ++i) f.Le(i == 0 ? patterns - 1 : rng() % patterns, 1, i < 4 ? "order" : nullptr);
  f.Raw(kTags[kind]);
  f.Raw(Cells(rng, static_cast<size_t>(patterns) * 64 * channels * 4));
  for (uint32_t n : words) f.Raw(Wave(static_cast<size_t>(n) * 2, rng()));
  return f;
}

FieldFile MakeS3m(std::mt19937& rng) {
  const int instruments = static_cast<int>(LogCount(rng, 99));
  const int patterns = static_cast<int>(LogCount(rng, 100));
  const int orders = 2 * static_cast<int>(1 + rng() % 64);
  const std::vector<uint32_t> lengths = Lengths(rng, instruments, 200000, kMostSampleBytes);
  FieldFile f;
  f.Text("generated", 28);
  f.Raw(std::string("\x1A\x10\0\0", 4));
  f.Le(orders, 2, "order count", static_cast<uint64_t>(orders));
  f.Le(instruments, 2, "instrument count", static_cast<uint64_t>(instruments));
  f.Le(patterns, 2, "pattern count", static_cast<uint64_t>(patterns));
  f.Le(rng() % 2 ? 0 : rng() % 256, 2, "flags");
  f.Le(0x1320, 2, "tracker version");
  f.Le(1 + rng() % 2, 2, "sample format");
  f.Raw("SCRM");
  f.Le(64, 1), f.Le(6, 1), f.Le(125, 1), f.Le(0xB0, 1), f.Le(0, 1);
  const bool panTable = rng() % 2;
  f.Le(panTable ? 0xFC : 0, 1, "pan marker");
  f.Zeros(10);
  for (int i = 0; i < 32; ++i) f.Le(i < 8 ? i : 255, 1);
  for (int i = 0; i < orders; ++i) f.Le(i + 1 == orders ? 255 : rng() % 8 == 0 ? 254 : rng() % patterns, 1, i < 3 ? "order" : nullptr);
  std::vector<size_t> pointers;
  for (int i = 0; i < instruments + patterns; ++i)
    pointers.push_back(f.Le(0, 2, i < 3 || (i >= instruments && i < instruments + 3) ? "parapointer" : nullptr));
  if (panTable)
    for (int i = 0; i < 32; ++i) f.Le(0x20 | (rng() % 16), 1);
  std::vector<size_t> segments;
  for (int i = 0; i < instruments; ++i) {
    f.Align(16);
    f.PatchLe(pointers[i], f.Size() / 16, 2);
    const bool noted = i < 4;
    const uint32_t n = lengths[i];
    const uint32_t flags = (rng() % 2 ? 1 : 0) | (rng() % 6 == 0 ? 2 : 0) | (rng() % 3 == 0 ? 4 : 0);
    f.Le(1, 1, noted ? "instrument type" : nullptr);
    f.Text("sample", 12);
    f.Le(0, 1);
    segments.push_back(f.Le(0, 2, noted ? "memory segment" : nullptr));
    f.Le(n, 4, noted ? "sample length" : nullptr);
    const uint32_t begin = n ? rng() % n : 0;
    f.Le(begin, 4, noted ? "loop begin" : nullptr);
    f.Le(begin + (n > begin ? rng() % (n - begin + 1) : 0), 4, noted ? "loop end" : nullptr);
    f.Le(rng() % 65, 1), f.Le(0, 1);
    f.Le(0, 1, noted ? "packing" : nullptr);
    f.Le(flags, 1, noted ? "sample flags" : nullptr);
    f.Le(rng() % 2 ? 8363 : rng() % 100000, 4, noted ? "C2 speed" : nullptr);
    f.Zeros(12);
    f.Text("sample", 28);
    f.Raw("SCRS");
  }
  for (int p = 0; p < patterns; ++p) {
    f.Align(16);
    f.PatchLe(pointers[instruments + p], f.Size() / 16, 2);
    const size_t length = f.Le(0, 2, p < 3 ? "pattern length" : nullptr);
    for (int row = 0; row < 64; ++row) {
      for (int k = static_cast<int>(rng() % 4); k > 0; --k) {
        const int what = static_cast<int>(rng() % 8) << 5;
        f.Le(what | static_cast<int>(rng() % 32), 1);
        if (what & 0x20) f.Le(rng() % 2 ? 0x40 + rng() % 12 : rng(), 1), f.Le(rng() % (instruments + 2), 1);
        if (what & 0x40) f.Le(rng() % 70, 1);
        if (what & 0x80) f.Le(1 + rng() % 26, 1), f.Le(rng(), 1);
      }
      f.Le(0, 1);
    }
    f.PatchLe(length, f.Size() - length, 2);
  }
  for (int i = 0; i < instruments; ++i) {
    f.Align(16);
    f.PatchLe(segments[i], f.Size() / 16, 2);
    f.Raw(Wave(lengths[i], rng()));
  }
  return f;
}

FieldFile MakeXm(std::mt19937& rng) {
  const int channels = 2 * static_cast<int>(1 + rng() % 16);
  const int patterns = static_cast<int>(LogCount(rng, 64)), instruments = static_cast<int>(LogCount(rng, 128));
  size_t budget = kMostSampleBytes;
  FieldFile f;
  f.Raw("Extended Module: ");
  f.Text("generated", 20);
  f.Raw("\x1A");
  f.Text("structured", 20);
  f.Le(0x0104, 2, "version");
  const size_t headerSize = f.Le(276, 4, "header size");
  const int songLength = 1 + static_cast<int>(rng() % 64);
  f.Le(songLength, 2, "song length", 256);
  f.Le(rng() % songLength, 2, "restart");
  f.Le(channels, 2, "channels");
  f.Le(patterns, 2, "pattern count", static_cast<uint64_t>(patterns));
  f.Le(instruments, 2, "instrument count", static_cast<uint64_t>(instruments));
  f.Le(rng() % 2, 2, "flags");
  f.Le(6, 2), f.Le(125, 2);
  for (int i = 0; i < 256; ++i) f.Le(i < songLength ? rng() % patterns : 0, 1, i < 3 ? "order" : nullptr);
  (void)headerSize;
  for (int p = 0; p < patterns; ++p) {
    const bool noted = p < 3;
    const int rows = rng() % 4 ? 64 : 1 + static_cast<int>(rng() % 256);
    f.Le(9, 4, noted ? "pattern header length" : nullptr);
    f.Le(0, 1, noted ? "packing type" : nullptr);
    f.Le(rows, 2, noted ? "rows" : nullptr);
    const size_t packed = f.Le(0, 2, noted ? "packed size" : nullptr);
    const size_t start = f.Size();
    for (int k = rows * channels; k > 0; --k) {
      if (rng() % 3) {
        f.Le(0x80, 1);
        continue;
      }
      f.Le(0x80 | 0x1F, 1);
      f.Le(1 + rng() % 96, 1), f.Le(1 + rng() % instruments, 1), f.Le(rng() % 0x50, 1), f.Le(rng() % 36, 1), f.Le(rng(), 1);
    }
    f.PatchLe(packed, f.Size() - start, 2);
  }
  for (int i = 0; i < instruments; ++i) {
    const bool noted = i < 3;
    const int samples = rng() % 6 == 0 ? 0 : static_cast<int>(LogCount(rng, 16));
    f.Le(samples ? 263 : 29, 4, noted ? "instrument size" : nullptr);
    f.Text("instrument", 22);
    f.Le(0, 1);
    f.Le(samples, 2, noted ? "sample count" : nullptr, static_cast<uint64_t>(samples));
    if (samples == 0) continue;
    f.Le(40, 4, noted ? "sample header size" : nullptr);
    for (int k = 0; k < 96; ++k) f.Le(rng() % samples, 1);
    for (int e = 0; e < 2; ++e)
      for (int point = 0; point < 12; ++point) f.Le(point * 8, 2), f.Le(rng() % 65, 2);
    f.Le(1 + rng() % 12, 1, noted ? "volume points" : nullptr, 12);
    f.Le(1 + rng() % 12, 1, noted ? "pan points" : nullptr, 12);
    for (int k = 0; k < 6; ++k) f.Le(rng() % 12, 1, noted ? "envelope point" : nullptr);
    f.Le(rng() % 8, 1, noted ? "volume type" : nullptr);
    f.Le(rng() % 8, 1, noted ? "pan type" : nullptr);
    f.Le(rng() % 4, 1), f.Le(rng() % 256, 1), f.Le(rng() % 16, 1), f.Le(rng() % 64, 1);
    f.Le(rng() % 0x1000, 2, noted ? "fadeout" : nullptr);
    f.Zeros(22);
    std::vector<std::pair<uint32_t, bool>> data;
    for (int s = 0; s < samples; ++s) {
      const bool sixteen = rng() % 2;
      const uint32_t frames = rng() % 5 == 0 ? 0 : std::min<uint32_t>(LogCount(rng, 100000), static_cast<uint32_t>(budget / 2));
      budget -= std::min<size_t>(budget, frames * (sixteen ? 2 : 1));
      const uint32_t bytes = frames * (sixteen ? 2 : 1);
      const uint32_t start = bytes ? rng() % bytes : 0;
      f.Le(bytes, 4, noted ? "sample length" : nullptr);
      f.Le(start, 4, noted ? "loop start" : nullptr);
      f.Le(bytes > start ? rng() % (bytes - start + 1) : 0, 4, noted ? "loop length" : nullptr);
      f.Le(rng() % 65, 1), f.Le(rng(), 1);
      f.Le((sixteen ? 0x10 : 0) | rng() % 3 | (rng() % 10 == 0 ? 0x20 : 0), 1, noted ? "sample type" : nullptr);
      f.Le(rng(), 1), f.Le(rng() % 48, 1);
      f.Le(0, 1, noted ? "sample packing" : nullptr);
      f.Text("sample", 22);
      data.push_back({bytes, sixteen});
    }
    for (const auto& d : data) f.Raw(Wave(d.first, rng()));
  }
  return f;
}

FieldFile MakeIt(std::mt19937& rng) {
  const int orders = static_cast<int>(1 + rng() % 64), instruments = rng() % 2 ? static_cast<int>(LogCount(rng, 99)) : 0;
  const int samples = static_cast<int>(LogCount(rng, 99)), patterns = static_cast<int>(LogCount(rng, 64));
  const bool instrumentMode = instruments > 0;
  size_t budget = kMostSampleBytes;
  FieldFile f;
  f.Raw("IMPM");
  f.Text("generated", 26);
  f.Le(0x0410, 2);
  f.Le(orders, 2, "order count", static_cast<uint64_t>(orders));
  f.Le(instruments, 2, "instrument count", static_cast<uint64_t>(instruments));
  f.Le(samples, 2, "sample count", static_cast<uint64_t>(samples));
  f.Le(patterns, 2, "pattern count", static_cast<uint64_t>(patterns));
  f.Le(0x0214, 2, "tracker version");
  f.Le(rng() % 2 ? 0x0214 : 0x0200, 2, "compatible version");
  f.Le((instrumentMode ? 4 : 0) | 1 | (rng() % 2 ? 8 : 0), 2, "flags");
  f.Le(0, 2, "special");
  f.Le(128, 1), f.Le(48, 1), f.Le(6, 1), f.Le(125, 1), f.Le(128, 1), f.Le(0, 1);
  f.Le(0, 2, "message length");
  f.Le(0, 4, "message offset");
  f.Le(0, 4);
  for (int i = 0; i < 64; ++i) f.Le(32, 1);
  for (int i = 0; i < 64; ++i) f.Le(64, 1);
  for (int i = 0; i < orders; ++i) f.Le(i + 1 == orders ? 255 : rng() % patterns, 1, i < 3 ? "order" : nullptr);
  std::vector<size_t> offsets;
  for (int i = 0; i < instruments + samples + patterns; ++i) offsets.push_back(f.Le(0, 4, i % 17 == 0 ? "offset" : nullptr));
  for (int i = 0; i < instruments; ++i) {
    const bool noted = i < 3;
    f.PatchLe(offsets[i], f.Size(), 4);
    f.Raw("IMPI");
    f.Text("instrument", 12);
    f.Le(0, 1), f.Le(rng() % 4, 1), f.Le(0, 1), f.Le(0, 1);
    f.Le(rng() % 256, 2, noted ? "fadeout" : nullptr);
    f.Le(0, 1), f.Le(60, 1), f.Le(128, 1), f.Le(32 | 0x80, 1), f.Le(0, 1), f.Le(0, 1);
    f.Le(0x0214, 2);
    f.Le(1, 1, noted ? "sample number" : nullptr);
    f.Le(0, 1);
    f.Text("instrument", 26);
    f.Le(0, 1), f.Le(0, 1), f.Le(0, 1), f.Le(0, 1), f.Le(0, 2);
    for (int k = 0; k < 120; ++k) f.Le(k, 1), f.Le(1 + rng() % samples, 1);
    for (int e = 0; e < 3; ++e) {
      const int nodes = static_cast<int>(1 + rng() % 25);
      f.Le(rng() % 8, 1, noted ? "envelope flags" : nullptr);
      f.Le(nodes, 1, noted ? "envelope nodes" : nullptr, 25);
      for (int k = 0; k < 4; ++k) f.Le(rng() % nodes, 1, noted ? "envelope loop point" : nullptr);
      for (int k = 0; k < 25; ++k) f.Le(rng() % 65, 1), f.Le(k * 4, 2);
      f.Le(0, 1);
    }
  }
  std::vector<std::pair<size_t, std::vector<uint8_t>>> data;
  for (int i = 0; i < samples; ++i) {
    const bool noted = i < 3;
    f.PatchLe(offsets[instruments + i], f.Size(), 4);
    const bool sixteen = rng() % 2, compressed = rng() % 2, loop = rng() % 2, sustain = rng() % 4 == 0;
    const uint32_t frames = rng() % 6 == 0 ? 0 : std::min<uint32_t>(LogCount(rng, 200000), static_cast<uint32_t>(budget / 2));
    budget -= std::min<size_t>(budget, frames * (sixteen ? 2 : 1));
    const int flags = (frames ? 1 : 0) | (sixteen ? 2 : 0) | (compressed ? 8 : 0) | (loop ? 16 : 0) | (sustain ? 32 : 0) |
                      (rng() % 4 == 0 ? 64 : 0) | (rng() % 12 == 0 ? 4 : 0);
    const bool it215 = rng() % 2;
    f.Raw("IMPS");
    f.Text("sample", 12);
    f.Le(0, 1), f.Le(64, 1);
    f.Le(flags, 1, noted ? "sample flags" : nullptr);
    f.Le(64, 1);
    f.Text("sample", 26);
    f.Le(1 | (compressed && it215 ? 4 : 0), 1, noted ? "conversion" : nullptr);
    f.Le(32, 1);
    f.Le(frames, 4, noted ? "sample length" : nullptr);
    const uint32_t begin = frames ? rng() % frames : 0;
    f.Le(begin, 4, noted ? "loop begin" : nullptr);
    f.Le(begin + (frames > begin ? rng() % (frames - begin + 1) : 0), 4, noted ? "loop end" : nullptr);
    f.Le(rng() % 2 ? 8363 : rng() % 200000, 4, noted ? "C5 speed" : nullptr);
    f.Le(begin, 4, noted ? "sustain begin" : nullptr);
    f.Le(frames, 4, noted ? "sustain end" : nullptr);
    const size_t pointer = f.Le(0, 4, noted ? "sample pointer" : nullptr);
    f.Le(0, 1), f.Le(0, 1), f.Le(0, 1), f.Le(0, 1);
    std::vector<int> values(frames);
    for (uint32_t k = 0; k < frames; ++k) values[k] = static_cast<int>((k * 37) % (sixteen ? 60000 : 250)) - (sixteen ? 30000 : 125);
    std::vector<uint8_t> bytes;
    if (compressed) {
      bytes = xmitbuild::ItCompress(values, sixteen, it215);
    } else {
      for (int v : values) {
        bytes.push_back(static_cast<uint8_t>(v));
        if (sixteen) bytes.push_back(static_cast<uint8_t>(v >> 8));
      }
    }
    data.push_back({pointer, std::move(bytes)});
  }
  for (int p = 0; p < patterns; ++p) {
    const bool noted = p < 3;
    f.PatchLe(offsets[instruments + samples + p], f.Size(), 4);
    const int rows = rng() % 4 ? 64 : static_cast<int>(rng() % 300);
    const size_t length = f.Le(0, 2, noted ? "pattern length" : nullptr);
    f.Le(rows, 2, noted ? "rows" : nullptr);
    f.Zeros(4);
    const size_t start = f.Size();
    for (int r = 0; r < rows; ++r) {
      for (int k = static_cast<int>(rng() % 3); k > 0; --k) {
        f.Le(0x80 | (1 + rng() % 16), 1);
        const int mask = static_cast<int>(rng() % 256);
        f.Le(mask, 1);
        if (mask & 1) f.Le(rng() % 120, 1);
        if (mask & 2) f.Le(rng() % (samples + 2), 1);
        if (mask & 4) f.Le(rng() % 128, 1);
        if (mask & 8) f.Le(1 + rng() % 26, 1), f.Le(rng(), 1);
      }
      f.Le(0, 1);
    }
    f.PatchLe(length, f.Size() - start, 2);
  }
  for (auto& d : data) {
    f.PatchLe(d.first, f.Size(), 4);
    f.Raw(std::string(d.second.begin(), d.second.end()));
  }
  return f;
}

}  // namespace structured
