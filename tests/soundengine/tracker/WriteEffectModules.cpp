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
    const std::string path = std::string(argv[1]) + "\\" + m.name + (m.s3m ? ".s3m" : ".mod");
    const std::vector<uint8_t> bytes = m.build();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) ++failed;
    if (f) std::fclose(f);
  }
  return failed ? 1 : 0;
}
