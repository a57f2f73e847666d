// One whole-mixer figure, for comparing revisions (bench/mix_against_revision.sh).
// Usage: whole_mixer_bench voices mixer-type   (prints the real-time factor)
#include <cstdio>
#include <cstdlib>

#include "WholeMixer.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: whole_mixer_bench voices mixer-type\n");
    return 2;
  }
  const double factor = bench::WholeMixer(std::atoi(argv[1]), std::atoi(argv[2]));
  std::printf("%.0f\n", factor);
  return factor > 0 ? 0 : 1;
}
