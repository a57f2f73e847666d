// Sample banks for the structure-aware generators: "SBK2" and "SBK3" banks of full or
// shared entry headers (up to 100,000 entries), PCM, IMA ADPCM and multi-channel entries
// at rates up to the highest a reader takes, sync points, and banks of whole files.
#include <algorithm>
#include <vector>

#include "LoadBoundMakers.h"
#include "aural.h"

namespace structured {

namespace {

constexpr size_t kMostFileBytes = 3900000;

struct EntryKind {
  uint32_t mode;
  int channels;
};

uint32_t FrameBytesOf(const EntryKind& k) {
  using namespace SoundMode;
  return static_cast<uint32_t>(((k.mode & Pcm16) ? 2 : 1) * k.channels);
}

}  // namespace

FieldFile MakeBank(std::mt19937& rng) {
  using namespace SoundMode;
  static const EntryKind kKinds[] = {{Pcm16 | Mono, 1},         {Pcm8 | Stereo, 2},         {Pcm16 | Stereo, 2},
                                     {Pcm8 | Mono | Unsigned, 1}, {ImaAdpcm | Mono, 1},      {ImaAdpcm | Stereo, 2},
                                     {Pcm16 | MultiChannel, 6}, {Pcm16 | MultiChannel, 16}, {Pcm8 | MultiChannel, 3},
                                     {Block28 | Mono, 1}};
  static const int32_t kRates[] = {8000, 22050, 44100, 48000, 96000, 768000};
  const bool v3 = rng() % 5 != 0;
  const int32_t version = v3 && rng() % 3 == 0 ? 0x30001 : 0;
  const bool shared = v3 && rng() % 3 == 0, embedded = v3 && !shared && rng() % 12 == 0;
  const uint32_t count = shared ? LogCount(rng, 100000) : LogCount(rng, 48);
  size_t budget = kMostFileBytes - std::min<size_t>(kMostFileBytes / 2, count * (shared ? 9 : 100));
  std::vector<std::string> data(count);
  std::vector<EntryKind> kinds(count);
  std::vector<uint32_t> frames(count);
  for (uint32_t i = 0; i < count; ++i) {
    kinds[i] = shared && i > 0 ? kinds[0] : kKinds[rng() % (sizeof kKinds / sizeof kKinds[0])];
    if (embedded) {
      FieldFile wav = MakeWav(rng);
      data[i] = wav.bytes.substr(0, std::min(wav.bytes.size(), budget / 4));
    } else {
      const bool adpcm = (kinds[i].mode & ImaAdpcm) != 0;
      const uint32_t unit = adpcm ? 36 * static_cast<uint32_t>(kinds[i].channels) : FrameBytesOf(kinds[i]);
      const uint32_t units = shared ? 1 + rng() % 4 : std::min<uint32_t>(LogCount(rng, 200000), static_cast<uint32_t>(budget / unit / 2));
      data[i] = Wave(static_cast<size_t>(units) * unit, rng());
      if (adpcm)
        for (uint32_t b = 0; b < units * static_cast<uint32_t>(kinds[i].channels); ++b) data[i][b * 36 + 2] = static_cast<char>(rng() % 89);
      frames[i] = adpcm ? units * 64 : units;
    }
    budget -= std::min(budget, data[i].size());
  }

  FieldFile f;
  f.Raw(v3 ? "SBK3" : "SBK2");
  f.Le(count, 4, "entry count", count);
  const size_t headerBytes = f.Le(0, 4, "entry header bytes");
  const size_t dataBytes = f.Le(0, 4, "sound data bytes");
  if (v3) {
    f.Le(static_cast<uint32_t>(version), 4, "version");
    f.Le((shared ? 2 : 0) | (embedded ? 1 : 0), 4, "bank flags");
  }
  const size_t headersStart = f.Size();
  for (uint32_t i = 0; i < count; ++i) {
    const bool noted = i < 3 || i + 1 == count;
    if (shared && i > 0) {
      f.Le(frames[i], 4, noted ? "entry length" : nullptr);
      f.Le(data[i].size(), 4, noted ? "entry data bytes" : nullptr);
      continue;
    }
    const uint32_t syncPoints = !embedded && rng() % 4 == 0 ? std::min<uint32_t>(LogCount(rng, 250), static_cast<uint32_t>(budget / 260)) : 0;
    budget -= std::min<size_t>(budget, syncPoints * 260);
    const size_t size = f.Le(0, 2, noted ? "entry header size" : nullptr);
    f.Text("entry", 30);
    const uint32_t n = frames[i];
    f.Le(n, 4, noted ? "entry length" : nullptr);
    f.Le(data[i].size(), 4, noted ? "entry data bytes" : nullptr);
    const uint32_t start = n ? rng() % n : 0;
    f.Le(start, 4, noted ? "entry loop start" : nullptr);
    f.Le(start + (n > start ? rng() % (n - start) : 0), 4, noted ? "entry loop end" : nullptr);
    f.Le(kinds[i].mode | (rng() % 3 == 0 ? LoopForward : 0) | (syncPoints ? 0x80000000u : 0), 4, noted ? "entry mode" : nullptr);
    f.Le(static_cast<uint32_t>(kRates[rng() % 6]), 4, noted ? "entry rate" : nullptr);
    f.Le(255, 2, noted ? "entry volume" : nullptr);
    f.Le(128, 2, noted ? "entry pan" : nullptr);
    f.Le(128, 2);
    f.Le(kinds[i].channels, 2, noted ? "entry channels" : nullptr);
    f.Le(256, 4), f.Le(256000, 4);
    if (version == 0x30001) f.Zeros(16);
    if (syncPoints) {
      f.Raw("SYNC");
      f.Le(syncPoints, 4, noted ? "sync count" : nullptr, syncPoints);
      for (uint32_t k = 0; k < syncPoints; ++k) {
        f.Le(rng() % std::max<uint32_t>(n, 1), 4, k < 2 && noted ? "sync offset" : nullptr);
        f.Text("point", 256);
      }
    }
    f.PatchLe(size, f.Size() - size, 2);
  }
  f.PatchLe(headerBytes, f.Size() - headersStart, 4);
  const size_t soundStart = f.Size();
  for (const std::string& d : data) f.Raw(d);
  f.PatchLe(dataBytes, f.Size() - soundStart, 4);
  return f;
}

}  // namespace structured
