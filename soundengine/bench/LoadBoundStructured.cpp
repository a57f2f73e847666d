#include "LoadBoundStructured.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>

#include "BenchFiles.h"
#include "LoadBoundMakers.h"
#include "LoadBounds.h"
#include "LoadBoundWma.h"
#include "LoadPeak.h"
#include "music_song.h"
#include "aural_stream.h"
#include "format_bank.h"

namespace loadbound {

namespace {

constexpr int kMostSwitches = 48;
constexpr int kDefaultFiles = 2000;

using structured::FieldFile;

enum class Kind { kEngine, kBank, kWma };

struct Reader {
  const char* name;
  Kind kind;
  std::function<structured::FieldFile(std::mt19937&)> make;
};

// The reader being run and its file, for the files saved.
const char* g_reader = "";
std::string g_bytes;

void Save(const char* what) {
  char name[96];
  std::snprintf(name, sizeof name, "load_bound_%s_%s.bin", g_reader, what);
  for (char* c = name; *c; ++c)
    if (*c == ' ' || *c == '/') *c = '_';
  if (FILE* f = std::fopen(name, "wb")) {
    std::fwrite(g_bytes.data(), 1, g_bytes.size(), f);
    std::fclose(f);
  }
}

// The slowest of one kind of work, in the loading thread's time.
struct Slowest {
  double seconds = 0;
  const char* way = "";
};

struct Loaded {
  int64_t peak = 0;
  const char* way = "";
  Slowest open, load;              // stream opens and entry switches; songs and samples loaded whole
  bool opened = false;

  template <typename Work>
  void Measure(const char* what, Slowest& kind, Work&& work) {
    const double start = loadbound::ThreadSeconds();
    const int64_t p = loadpeak::PeakOf(work);
    const double spent = loadbound::ThreadSeconds() - start;
    if (p > peak) peak = p, way = what;
    if (spent > kind.seconds) kind = {spent, what};
  }
};

Loaded LoadOnce(Kind kind, const std::string& bytes, const std::wstring& wmaPath, bool wmaDecodes, std::mt19937& rng) {
  Loaded l;
  if (kind == Kind::kWma) {
    if (FILE* f = _wfopen(wmaPath.c_str(), L"wb")) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
    const double start = loadbound::ThreadSeconds();
    const WmaLoad w = LoadWma(wmaPath, wmaDecodes);
    l.peak = w.peak, l.way = w.decoded ? "read and decoded" : "read", l.opened = w.read;
    l.open = {loadbound::ThreadSeconds() - start, l.way};
    return l;
  }
  const int size = static_cast<int>(bytes.size());
  l.Measure("song", l.load, [&] {
    MusicSong song = {};
    l.opened |= Music_LoadSong(&song, bytes.data(), SoundMode::FromMemory, 0, size, nullptr, 0) != nullptr;
    Music_FreeSong(&song);
  });
  l.Measure("sample", l.load, [&] {
    SoundSample* s = SoundSample_Load(-1, bytes.data(), SoundMode::FromMemory, 0, size, nullptr);
    l.opened |= s != nullptr;
    if (s) SoundSample_Free(s);
  });
  SoundStream* s = nullptr;
  l.Measure("stream", l.open, [&] { s = AuralStream_Open(bytes.data(), SoundMode::FromMemory, 0, size); });
  l.opened |= s != nullptr;
  // A bank's stream switches entries, forced and on the loader's way, keeping on or not:
  // each switch is an open of its own.
  const int entries = s && FsbFormat_IsBankStream(s) ? static_cast<const BankState*>(s->ringSample->user)->entryCount : 0;
  for (int k = 0; kind == Kind::kBank && k < entries && k < kMostSwitches; ++k)
    l.Measure("stream switching entries", l.open,
              [&] { AuralStream_SetSubStream(s, static_cast<int>(rng() % entries), TRUE, rng() % 2 ? TRUE : FALSE); });
  if (s) AuralStream_Close(s);
  return l;
}

// The worst file of a reader by one measure, and what was done to it.
struct Worst {
  double value = -1;
  const char* way = "";
  size_t size = 0;
  std::string edits;
  void Note(double v, const char* how, const FieldFile& f, const char* saveAs) {
    if (v <= value) return;
    *this = {v, how, f.Size(), f.edits.empty() ? "as built" : f.edits};
    Save(saveAs);
  }
  std::string Text(const char* unit, double scale) const {
    char text[512];
    std::snprintf(text, sizeof text, "%.0f %s (%s, a %zu-byte file: %s)", value * scale, unit, way, size, edits.c_str());
    return text;
  }
};

}  // namespace

int RunStructured(const std::vector<std::string>& files, const Starting& starting) {
  const char* asked = std::getenv("LOAD_BOUND_STRUCTURED");
  const int mutants = asked ? std::atoi(asked) : kDefaultFiles;
  structured::Seeds seeds;
  std::wstring wmaPath;
  for (const std::string& f : files) {
    const bool mp3 = f.size() > 4 && _stricmp(f.c_str() + f.size() - 4, ".mp3") == 0;
    const bool wma = f.size() > 4 && _stricmp(f.c_str() + f.size() - 4, ".wma") == 0;
    if (mp3) seeds.mp3 = ReadAll(f.c_str());
    if (wma) seeds.wma = ReadAll(f.c_str()), wmaPath.assign(f.begin(), f.end());
  }
  const bool wmaDecodes = !wmaPath.empty() && WmaDecoderOpens(wmaPath);
  wmaPath += L".structured";
  std::vector<Reader> readers = {
      {"wav", Kind::kEngine, structured::MakeWav},   {"aiff", Kind::kEngine, structured::MakeAiff},
      {"mod", Kind::kEngine, structured::MakeMod},   {"s3m", Kind::kEngine, structured::MakeS3m},
      {"xm", Kind::kEngine, structured::MakeXm},     {"it", Kind::kEngine, structured::MakeIt},
      {"bank", Kind::kBank, structured::MakeBank}};
  if (!seeds.mp3.empty())
    readers.push_back({"mp3", Kind::kEngine, [&](std::mt19937& r) { return structured::MakeMp3(r, seeds); }});
  if (!seeds.wma.empty())
    readers.push_back({"wma", Kind::kWma, [&](std::mt19937& r) { return structured::MakeAsf(r, seeds); }});

  std::mt19937 rng(67);
  int over = 0;
  for (const Reader& r : readers) {
    g_reader = r.name;
    int opened = 0, asBuilt = 0, overBound = 0, slowOpens = 0, slowLoads = 0;
    Worst peak, open, load;
    for (int i = 0; i < mutants; ++i) {
      FieldFile f = r.make(rng);
      const bool mutate = rng() % 4 != 0;
      if (mutate) structured::MutateFields(f, rng);
      asBuilt += mutate ? 0 : 1;
      g_bytes = f.bytes;
      starting(std::string(r.name) + " by structure, file " + std::to_string(i) + (f.edits.empty() ? "" : ": " + f.edits), f.bytes);
      const Loaded l = LoadOnce(r.kind, f.bytes, wmaPath, wmaDecodes, rng);
      opened += l.opened ? 1 : 0;
      const bool tooMuch = !WithinBound(l.peak, f.Size());
      const bool openTooSlow = f.Size() < kTimedBelowBytes && l.open.seconds > kMaxOpenSeconds;
      const bool loadTooSlow = l.load.seconds > kMaxLoadSeconds;
      overBound += tooMuch ? 1 : 0;
      slowOpens += openTooSlow ? 1 : 0;
      slowLoads += loadTooSlow ? 1 : 0;
      if (tooMuch) Save("over_bound");
      if (openTooSlow || loadTooSlow) Save("slow");
      peak.Note(static_cast<double>(l.peak), l.way, f, "worst_peak");
      open.Note(l.open.seconds, l.open.way, f, "slowest_open");
      load.Note(l.load.seconds, l.load.way, f, "slowest_load");
    }
    over += overBound + slowOpens + slowLoads;
    std::printf("%s (structured): %d files (%d as built); opened %d (%.0f%%); worst peak %s; slowest open %s; "
                "slowest load %s; over the memory bound: %d; opens over %.0f s: %d; loads over %.0f s: %d; crashes: 0\n",
                r.name, mutants, asBuilt, opened, mutants ? 100.0 * opened / mutants : 0.0, peak.Text("bytes", 1).c_str(),
                open.Text("ms", 1000).c_str(), r.kind == Kind::kWma ? "(none: read whole as it opens)" : load.Text("ms", 1000).c_str(),
                overBound, kMaxOpenSeconds, slowOpens, kMaxLoadSeconds, slowLoads);
    std::fflush(stdout);
  }
  if (!wmaPath.empty()) DeleteFileW(wmaPath.c_str());
  return over;
}

}  // namespace loadbound
