// sound_load_bound_bench [mutants] [file...]: the most memory the engine's allocator holds
// while a damaged file loads. A sample bank, an IT file with compressed samples (8-bit
// IT 2.14 and 16-bit IT 2.15) and an AIFF file with markers, a loop and a padded odd chunk
// are built here, any files named are added, and each is mutated `mutants` times (10000
// by default; a fixed seed, so a run repeats): bytes set at random, to 0xFF, bits flipped,
// the file cut, random 32-bit values written (sizes and counts that lie). Every mutant is
// loaded as a song, a sample and a stream; the report gives per file the worst peak and
// the mutants over the bound: 64 MB or 16 times the file's size, whichever is larger.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "LoadPeak.h"
#include "BenchFiles.h"
#include "XmItBuilder.h"
#include "aural.h"
#include "aural_engine.h"

namespace {

constexpr int64_t kFloorBytes = int64_t{64} << 20;
constexpr int64_t kBytesPerFileByte = 16;

void Le32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
}
void Le16(std::string& s, uint16_t v) { Le32(s, v), s.resize(s.size() - 2); }
void Be32(std::string& s, uint32_t v) {
  for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>(v >> (8 * i)));
}
void Be16(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v >> 8));
  s.push_back(static_cast<char>(v));
}

// "SBK3" with three entries: 16-bit mono with two sync points, 8-bit stereo, 16-bit stereo;
// or with the first alone (a bank that also loads as a sample).
std::string Bank(size_t count) {
  struct Entry {
    uint32_t mode;
    uint16_t channels;
    int bytesPerFrame;
    uint32_t frames;
    bool sync;
  } const entries[] = {{SoundMode::Pcm16 | SoundMode::Mono, 1, 2, 3000, true},
                       {SoundMode::Pcm8 | SoundMode::Stereo, 2, 2, 2000, false},
                       {SoundMode::Pcm16 | SoundMode::Stereo, 2, 4, 1500, false}};
  std::string headers, data;
  for (size_t n = 0; n < count; ++n) {
    const Entry& e = entries[n];
    std::string h;
    Le16(h, 0);
    h.append(30, 'n');
    Le32(h, e.frames);
    Le32(h, e.frames * e.bytesPerFrame);
    Le32(h, 10);
    Le32(h, e.frames - 10);
    Le32(h, e.mode | (e.sync ? 0x80000000u : 0));
    Le32(h, 22050);
    Le16(h, 255), Le16(h, 128), Le16(h, 128), Le16(h, e.channels);
    Le32(h, 256), Le32(h, 256000);
    if (e.sync) {
      h += "SYNC";
      Le32(h, 2);
      for (uint32_t at : {100u, 900u}) {
        Le32(h, at);
        h += std::string(256, '\0').replace(0, 4, "mark");
      }
    }
    h[0] = static_cast<char>(h.size()), h[1] = static_cast<char>(h.size() >> 8);
    headers += h;
    for (uint32_t i = 0; i < e.frames * e.bytesPerFrame; ++i) data.push_back(static_cast<char>(i * 37));
  }
  std::string bank = "SBK3";
  Le32(bank, static_cast<uint32_t>(count));
  Le32(bank, static_cast<uint32_t>(headers.size()));
  Le32(bank, static_cast<uint32_t>(data.size()));
  Le32(bank, 0);
  Le32(bank, 0);
  return bank + headers + data;
}

std::string It() {
  xmitbuild::ItBuilder b;
  b.compatibleVersion = 0x0215;
  for (bool sixteen : {false, true}) {
    xmitbuild::ItSample s;
    s.sixteen = sixteen;
    s.compression = sixteen ? xmitbuild::ItCompression::k215 : xmitbuild::ItCompression::k214;
    s.loop = true;
    s.loopEnd = 4000;
    s.data = xmitbuild::Sine(100, 40, sixteen ? 20000 : 100);
    b.AddSample(s);
  }
  for (int row = 0; row < 16; row += 4) b.At(0, row, row / 4 % 2) = xmitbuild::ItCell{60, 1 + row / 4 % 2, 64, 0, 0};
  const std::vector<uint8_t> bytes = b.Bytes();
  return std::string(bytes.begin(), bytes.end());
}

std::string Chunk(const char* id, const std::string& body) {
  std::string c(id, 4);
  Be32(c, static_cast<uint32_t>(body.size()));
  return c + body + (body.size() % 2 ? std::string(1, '\0') : "");
}

// 16-bit stereo at 22050 Hz, an odd "NAME" chunk with its pad byte, two markers and a loop.
std::string Aiff() {
  const uint32_t frames = 3000;
  std::string comm;
  Be16(comm, 2);
  Be32(comm, frames);
  Be16(comm, 16);
  comm += std::string("\x40\x0D\xAC\x44\0\0\0\0\0\0", 10);
  std::string mark;
  Be16(mark, 2);
  for (uint16_t id : {7, 3}) {
    Be16(mark, id);
    Be32(mark, id * 300u);
    mark += std::string("\x03" "abc", 4);
  }
  std::string inst(8, '\0');
  Be16(inst, 1);
  Be16(inst, 3);
  Be16(inst, 7);
  inst.append(6, '\0');
  std::string ssnd(8, '\0');
  for (uint32_t i = 0; i < frames * 4; ++i) ssnd.push_back(static_cast<char>(i * 13));
  const std::string body = "AIFF" + Chunk("COMM", comm) + Chunk("NAME", "Pluck") + Chunk("MARK", mark) +
                           Chunk("INST", inst) + Chunk("SSND", ssnd);
  std::string form = "FORM";
  Be32(form, static_cast<uint32_t>(body.size()));
  return form + body;
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
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  const int mutants = argc > 1 ? std::atoi(argv[1]) : 10000;
  std::vector<std::pair<std::string, std::string>> files = {
      {"bank", Bank(3)}, {"bank of one entry", Bank(1)}, {"it", It()}, {"aiff", Aiff()}};
  for (int i = 2; i < argc; ++i) files.emplace_back(argv[i], ReadAll(argv[i]));

  Aural_SetOutput(kSoundOutputNonRealtime);
  if (!Aural_Init(44100, 32)) {
    std::fprintf(stderr, "the engine did not start: error %d\n", SoundError);
    return 1;
  }
  std::mt19937 rng(50);
  int over = 0;
  for (const auto& [name, original] : files) {
    if (original.empty()) {
      std::fprintf(stderr, "%s: nothing to read\n", name.c_str());
      return 1;
    }
    const loadpeak::Peaks whole = loadpeak::LoadEveryWay(original);
    std::printf("%s (%zu bytes): unmutated peak song %lld (%s), sample %lld (%s), stream %lld (%s)\n", name.c_str(),
                original.size(), static_cast<long long>(whole.song), whole.songLoaded ? "loaded" : "refused",
                static_cast<long long>(whole.sample), whole.sampleLoaded ? "loaded" : "refused",
                static_cast<long long>(whole.stream), whole.streamOpened ? "opened" : "refused");
    int64_t worst = 0;
    size_t worstSize = 0;
    int songs = 0, samples = 0, streams = 0, fileOver = 0;
    for (int run = 0; run < mutants; ++run) {
      const std::string m = Mutate(original, rng);
      const loadpeak::Peaks p = loadpeak::LoadEveryWay(m);
      songs += p.songLoaded, samples += p.sampleLoaded, streams += p.streamOpened;
      const int64_t peak = p.Largest();
      const int64_t bound = std::max<int64_t>(kFloorBytes, kBytesPerFileByte * static_cast<int64_t>(m.size()));
      if (peak > bound) ++fileOver;
      if (peak > worst) worst = peak, worstSize = m.size();
    }
    over += fileOver;
    std::printf("%s: %d mutants (loaded: %d songs, %d samples, %d streams); worst peak %lld bytes (%.2f MB, a "
                "%zu-byte mutant); over the bound: %d\n",
                name.c_str(), mutants, songs, samples, streams, static_cast<long long>(worst), worst / 1048576.0,
                worstSize, fileOver);
  }
  Aural_Close();
  return over == 0 ? 0 : 2;
}
