// sound_load_bound_bench [mutants] [file...]: the most memory a damaged file makes the
// program hold while it loads, and the longest a load takes. A sample bank, an IT file
// with compressed samples (8-bit IT 2.14 and 16-bit IT 2.15) and an AIFF file with
// markers, a loop and a padded odd chunk are built here; any files named are added (by
// bench/load_bound_bench.sh: WAV, Ogg Vorbis, MP3 and WMA files made by sox, oggenc, lame
// and ffmpeg), with an XM song whose samples are each named ".ogg" file and an
// embedded-file bank of the named ".wav", ".ogg" and ".mp3" files. Each is mutated
// `mutants` times (10000 by default; a fixed seed, so a run repeats): bytes set at random,
// to 0xFF, bits flipped, the file cut, random 32-bit values written (sizes and counts that
// lie); in half the mutants every Ogg page gets its checksum set again, so that the
// decoder reads the damage instead of dropping the page. The engine loads every mutant as
// a song, a sample and a stream (its allocator's peak); a ".wma" file goes through the ASF
// reader and the WMA codec (the heap's peak). The report gives per file the worst peak
// and the slowest open (each open's processor time on its own), and the mutants over the
// bounds: 64 MB or 16 times the file's size, whichever is larger, and 10 s an open. Then
// files are mutated by their structure: Ogg Vorbis (OggMutator.h) and every other reader
// (LoadBoundStructured.h). A crash, or a load that has not ended after a minute, stops the
// bench with its file saved.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchFiles.h"
#include "LoadBoundFiles.h"
#include "LoadBoundStructured.h"
#include "LoadBounds.h"
#include "LoadBoundWma.h"
#include "LoadPeak.h"
#include "OggMutator.h"
#include "OggPages.h"
#include "aural.h"
#include "aural_engine.h"

namespace {

using loadbound::kMaxLoadSeconds;
// A load that has not ended after a minute never will: the bench stops with it saved.
constexpr ULONGLONG kHangMs = 60000;

struct Input {
  std::string name, bytes;
  bool wma;
};

bool EndsWith(const std::string& s, const char* tail) {
  const size_t n = std::strlen(tail);
  return s.size() >= n && _stricmp(s.c_str() + s.size() - n, tail) == 0;
}

std::string Mutate(std::string m, std::mt19937& rng) {
  // Half the mutants take one edit, so many still load and reach the allocations.
  const int edits = rng() % 2 ? 1 : 1 + static_cast<int>(rng() % 16);
  for (int e = 0; e < edits && m.size() > 16; ++e) {
    const size_t at = rng() % m.size();
    switch (rng() % 5) {
      case 0: m[at] = static_cast<char>(rng()); break;
      case 1: m[at] = static_cast<char>(0xFF); break;
      case 2: m[at] ^= static_cast<char>(1 << (rng() % 8)); break;
      case 3: m.resize(at > 16 ? at : 16); break;
      default:
        for (size_t i = at; i < at + 4 && i < m.size(); ++i) m[i] = static_cast<char>(rng());
        break;
    }
  }
  // Half the Ogg pages keep their damage past the decoder's checksum test.
  if (rng() % 2) oggpages::RechecksumAll(&m);
  return m;
}

// One load of every way the file's kind allows: its largest peak, its slowest open (the
// processor time of each open on its own) and what loaded.
struct Load {
  int64_t peak = 0;
  const char* way = "";
  double slowest = 0;
  const char* slowestWay = "";
  int songs = 0, samples = 0, streams = 0;
};

// WMA mutants are read from a file beside the original (the codec opens files by name).
std::wstring g_wmaPath;
bool g_wmaDecodes = false;

Load LoadOnce(const Input& in, const std::string& bytes) {
  Load l;
  if (in.wma) {
    if (FILE* f = _wfopen(g_wmaPath.c_str(), L"wb")) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
    const double start = bench::ThreadSeconds();
    const loadbound::WmaLoad w = loadbound::LoadWma(g_wmaPath, g_wmaDecodes);
    l.slowest = bench::ThreadSeconds() - start, l.slowestWay = "read and decoded";
    l.peak = w.peak, l.way = w.decoded ? "decoded" : "read";
    l.streams = w.decoded ? 1 : 0, l.samples = w.read ? 1 : 0;
    return l;
  }
  const loadpeak::Peaks p = loadpeak::LoadEveryWay(bytes);
  l.songs = p.songLoaded, l.samples = p.sampleLoaded, l.streams = p.streamOpened;
  l.peak = p.song, l.way = "song";
  if (p.sample > l.peak) l.peak = p.sample, l.way = "sample";
  if (p.stream > l.peak) l.peak = p.stream, l.way = "stream";
  for (const auto& open : {std::make_pair("song", p.songTime), std::make_pair("sample", p.sampleTime),
                            std::make_pair("stream", p.streamTime)})
    if (open.second.processor >= l.slowest) l.slowest = open.second.processor, l.slowestWay = open.first;
  return l;
}

// Where the bench was when a mutant crashed or hung it; the mutant is left for a rerun.
const Input* g_current = nullptr;
int g_run = -1;
std::string g_mutant;
std::atomic<ULONGLONG> g_startedAt{0};

void SaveMutant(const char* as) {
  if (FILE* f = std::fopen(as, "wb")) {
    std::fwrite(g_mutant.data(), 1, g_mutant.size(), f);
    std::fclose(f);
  }
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* e) {
  // The address as the program's image places it (addr2line -e the .exe finds the line).
  const auto at = reinterpret_cast<uintptr_t>(e->ExceptionRecord->ExceptionAddress) -
                  reinterpret_cast<uintptr_t>(GetModuleHandleW(nullptr)) + 0x140000000u;
  std::fprintf(stderr, "crash 0x%08lx at 0x%llx on %s, mutant %d (saved as load_bound_crash.bin)\n",
               e->ExceptionRecord->ExceptionCode, static_cast<unsigned long long>(at),
               g_current ? g_current->name.c_str() : "?", g_run);
  SaveMutant("load_bound_crash.bin");
  std::fflush(stdout);
  return EXCEPTION_EXECUTE_HANDLER;
}

DWORD WINAPI Watchdog(void*) {
  for (;;) {
    Sleep(1000);
    const ULONGLONG started = g_startedAt;
    if (started && GetTickCount64() - started > kHangMs) {
      std::fprintf(stderr, "a load of %s, mutant %d, has not ended after %llu s (saved as load_bound_hang.bin)\n",
                   g_current ? g_current->name.c_str() : "?", g_run, kHangMs / 1000);
      SaveMutant("load_bound_hang.bin");
      std::fflush(stdout);
      TerminateProcess(GetCurrentProcess(), 4);
    }
  }
}

std::vector<Input> Inputs(int argc, char** argv) {
  std::vector<Input> in = {{"bank", loadbound::Bank(3), false},
                           {"bank of one entry", loadbound::Bank(1), false},
                           {"it", loadbound::It(), false},
                           {"aiff", loadbound::Aiff(), false}};
  std::vector<std::string> embedded;
  for (int i = 2; i < argc; ++i) {
    const std::string path = argv[i], bytes = ReadAll(argv[i]);
    const size_t slash = path.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const bool wma = EndsWith(name, ".wma");
    in.push_back({name, bytes, wma});
    if (bytes.empty()) continue;
    if (EndsWith(name, ".ogg")) in.push_back({"xm with " + name + " as its samples", loadbound::XmWithOgg(bytes), false});
    if (EndsWith(name, ".wav") || EndsWith(name, ".ogg") || EndsWith(name, ".mp3")) embedded.push_back(bytes);
    if (wma) {
      g_wmaPath.assign(path.begin(), path.end());
      g_wmaDecodes = loadbound::WmaDecoderOpens(g_wmaPath);
      g_wmaPath += L".mutant";
    }
  }
  if (!embedded.empty()) in.push_back({"embedded-file bank of the named files", loadbound::EmbeddedBank(embedded), false});
  return in;
}

// What loaded: as songs, samples and streams, or for WMA read and decoded.
std::string Loaded(const Input& in, int songs, int samples, int streams) {
  char text[96];
  if (in.wma)
    std::snprintf(text, sizeof text, "read by the ASF reader %d, decoded %d", samples, streams);
  else
    std::snprintf(text, sizeof text, "loaded as songs %d, samples %d, streams %d", songs, samples, streams);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const int mutants = argc > 1 ? std::atoi(argv[1]) : 10000;
  SetUnhandledExceptionFilter(ReportCrash);
  CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));
  Aural_SetOutput(kSoundOutputNonRealtime);
  if (!Aural_Init(44100, 32)) {
    std::fprintf(stderr, "the engine did not start: error %d\n", SoundError);
    return 1;
  }
  const std::vector<Input> inputs = Inputs(argc, argv);
  std::mt19937 rng(50);
  int over = 0;
  for (const Input& in : inputs) {
    if (in.bytes.empty()) {
      std::fprintf(stderr, "%s: nothing to read\n", in.name.c_str());
      return 1;
    }
    g_current = &in;
    g_run = -1;
    g_mutant = in.bytes;
    g_startedAt = GetTickCount64();
    const Load whole = LoadOnce(in, in.bytes);
    std::printf("%s (%zu bytes)%s: unmutated peak %lld bytes (%s; %s); slowest open %.0f ms (%s)\n", in.name.c_str(),
                in.bytes.size(),
                !in.wma ? "" : g_wmaDecodes ? ", by the ASF reader and the WMA codec" : ", by the ASF reader (no decoder)",
                static_cast<long long>(whole.peak), whole.way, Loaded(in, whole.songs, whole.samples, whole.streams).c_str(),
                whole.slowest * 1000, whole.slowestWay);
    Load worst;
    size_t worstSize = 0;
    double slowest = 0;
    int songs = 0, samples = 0, streams = 0, fileOver = 0, slow = 0;
    for (g_run = 0; g_run < mutants; ++g_run) {
      g_mutant = Mutate(in.bytes, rng);
      g_startedAt = GetTickCount64();
      const Load l = LoadOnce(in, g_mutant);
      const double seconds = l.slowest;
      songs += l.songs, samples += l.samples, streams += l.streams;
      if (!loadbound::WithinBound(l.peak, g_mutant.size())) ++fileOver;
      if (seconds > kMaxLoadSeconds) ++slow;
      slowest = std::max(slowest, seconds);
      if (l.peak > worst.peak) worst = l, worstSize = g_mutant.size();
    }
    over += fileOver + slow;
    std::printf("%s: %d mutants (%s); worst peak %lld bytes (%.2f MB, %s, a %zu-byte mutant); slowest load %.0f ms; "
                "over the bound: %d; over %.0f s: %d\n",
                in.name.c_str(), mutants, Loaded(in, songs, samples, streams).c_str(),
                static_cast<long long>(worst.peak), worst.peak / 1048576.0, worst.way, worstSize, slowest * 1000,
                fileOver, kMaxLoadSeconds, slow);
    std::fflush(stdout);
  }
  // Ogg Vorbis mutated by its structure (OggMutator.h), from the named Ogg files.
  std::vector<std::pair<std::string, std::string>> oggSeeds;
  for (const Input& in : inputs)
    if (EndsWith(in.name, ".ogg")) oggSeeds.push_back({in.name, in.bytes});
  Input generated = {"", "", false};
  const loadbound::Starting starting = [&](const std::string& what, const std::string& bytes) {
    generated.name = what, g_current = &generated, g_run = -1, g_mutant = bytes, g_startedAt = GetTickCount64();
  };
  over += oggmutate::Run(oggSeeds, mutants, starting);
  if (!g_wmaPath.empty()) DeleteFileW(g_wmaPath.c_str());
  // Every other reader's files written field by field (LoadBoundStructured.h).
  over += loadbound::RunStructured(std::vector<std::string>(argv + std::min(argc, 2), argv + argc), starting);
  g_startedAt = 0;
  Aural_Close();
  return over == 0 ? 0 : 2;
}
