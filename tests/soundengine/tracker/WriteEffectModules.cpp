// write_effect_modules <folder>: writes every effect module the tracker tests build, so
// the reference step can hand the same bytes to openmpt123.
#include <cstdio>
#include <string>

#include "EffectModules.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: write_effect_modules <folder>\n");
    return 2;
  }
  int failed = 0;
  for (const effectmods::EffectModule& m : effectmods::All()) {
    const std::string path = std::string(argv[1]) + "\\" + m.name + m.extension;
    const std::vector<uint8_t> bytes = m.build();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) ++failed;
    if (f) std::fclose(f);
  }
  // The Ogg Vorbis XM test's sample, for oggenc (16-bit mono WAV at its own rate).
  const std::vector<int> sample = effectmods::OggTwinSample();
  const uint32_t bytes = static_cast<uint32_t>(sample.size() * 2), rate = 8363;
  std::vector<uint8_t> wav = {'R', 'I', 'F', 'F'};
  auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) wav.push_back(static_cast<uint8_t>(v >> (8 * i))); };
  auto put16 = [&](int v) { wav.push_back(static_cast<uint8_t>(v)), wav.push_back(static_cast<uint8_t>(v >> 8)); };
  put32(36 + bytes);
  for (char c : std::string("WAVEfmt ")) wav.push_back(static_cast<uint8_t>(c));
  put32(16), put16(1), put16(1), put32(rate), put32(rate * 2), put16(2), put16(16);
  for (char c : std::string("data")) wav.push_back(static_cast<uint8_t>(c));
  put32(bytes);
  for (int v : sample) put16(v);
  const std::string path = std::string(argv[1]) + "\\" + effectmods::kOggSampleFile + ".wav";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(wav.data(), 1, wav.size(), f) != wav.size()) ++failed;
  if (f) std::fclose(f);
  return failed ? 1 : 0;
}
