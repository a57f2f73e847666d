// tracker_bench <module>...: the processor time our engine needs to render each module
// (to its end or first repeat) through the non-realtime output with the interpolating
// mixer, as a real-time factor. The rendering thread's processor time is summed over as
// many runs as make at least two seconds of it (the platform counts it in coarse steps),
// so other work on the machine does not count; loading runs on the loader thread, and the
// engine's start and close are subtracted (measured on runs cut after 10 ms), as
// openmpt123's start-up is. bench/tracker_bench.sh runs it beside openmpt123.
#include <windows.h>

#include <cstdio>

#include "BenchClock.h"
#include "TrackerRender.h"

namespace {

constexpr int kMinRuns = 3;
constexpr int kMaxRuns = 500;
constexpr double kMinProcessorSeconds = 2.0;
constexpr double kMinOverheadSeconds = 0.5;
constexpr double kCutSeconds = 0.01;


}  // namespace

// Processor seconds of one run that ends after 10 ms: the engine's start and close.
double RunOverhead(const char* path) {
  const double start = bench::ThreadSeconds();
  int runs = 0;
  for (; runs < kMaxRuns && (runs < kMinRuns || bench::ThreadSeconds() - start < kMinOverheadSeconds); ++runs) {
    tracker::RenderOptions options;
    options.maxSeconds = kCutSeconds;
    tracker::Render(path, options, nullptr);
  }
  return (bench::ThreadSeconds() - start) / runs;
}

int main(int argc, char** argv) {
  std::printf("%-50s %10s %12s\n", "module", "seconds", "ours x rt");
  for (int i = 1; i < argc; ++i) {
    double audio = 0, totalAudio = 0;
    bool ok = true;
    const double start = bench::ThreadSeconds();
    int run = 0;
    for (; ok && run < kMaxRuns && (run < kMinRuns || bench::ThreadSeconds() - start < kMinProcessorSeconds); ++run) {
      tracker::RenderOptions options;  // AURAL_MIXER_QUALITY_C
      const tracker::RenderResult r = tracker::Render(argv[i], options, nullptr);
      ok = r.loaded;
      audio = static_cast<double>(r.frames) / tracker::kRate;
      totalAudio += audio;
    }
    const double spent = bench::ThreadSeconds() - start - (ok ? run * RunOverhead(argv[i]) : 0);
    if (ok && spent > 0)
      std::printf("%-50s %10.3f %12.1f\n", argv[i], audio, totalAudio / spent);
    else
      std::printf("%-50s %10s %12s\n", argv[i], "-", "not loaded");
  }
  return 0;
}
