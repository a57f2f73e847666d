// tracker_bench <module>...: the time our engine needs to render each module (to its end
// or first repeat) through the non-realtime output with the interpolating mixer, as a
// real-time factor: the rendering loop on the performance counter, loading excluded, the
// fastest of at least five runs (short songs run until half a second has been measured).
// bench/tracker_bench.sh runs it beside openmpt123.
#include <cstdio>

#include "TrackerRender.h"

namespace {

constexpr int kMinRuns = 5;
constexpr int kMaxRuns = 100;
constexpr double kMinMeasuredSeconds = 0.5;

}  // namespace

int main(int argc, char** argv) {
  std::printf("%-50s %10s %12s\n", "module", "seconds", "ours x rt");
  for (int i = 1; i < argc; ++i) {
    double best = 0, audio = 0, measured = 0;
    bool ok = true;
    for (int run = 0; ok && run < kMaxRuns && (run < kMinRuns || measured < kMinMeasuredSeconds); ++run) {
      tracker::RenderOptions options;  // AURAL_MIXER_QUALITY_C
      const tracker::RenderResult r = tracker::Render(argv[i], options, nullptr);
      const double spent = r.seconds;
      measured += spent;
      ok = r.loaded;
      audio = static_cast<double>(r.frames) / tracker::kRate;
      if (ok && spent > 0 && (best == 0 || audio / spent > best)) best = audio / spent;
    }
    if (ok)
      std::printf("%-50s %10.3f %12.1f\n", argv[i], audio, best);
    else
      std::printf("%-50s %10s %12s\n", argv[i], "-", "not loaded");
  }
  return 0;
}
