// tracker_render <module> <out.wav> [mixer type] [--rows]: plays a module through the
// engine's non-realtime output into a 44.1 kHz 16-bit stereo WAV, to its end or first
// repeat; --rows lists every row played with its time, speed and tempo.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "TrackerRender.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tracker_render <module> <out.wav> [mixer type]\n");
    return 2;
  }
  tracker::RenderOptions options;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rows") == 0)
      options.rowTrace = stdout;
    else
      options.mixerType = std::atoi(argv[i]);
  }
  tracker::WavWriter wav(argv[2]);
  if (!wav.ok()) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  const tracker::RenderResult r =
      tracker::Render(argv[1], options, [&](const int16_t* frames, int count) { wav.Write(frames, count); });
  if (!r.loaded) {
    std::fprintf(stderr, "%s: not loaded (error %d)\n", argv[1], r.error);
    return 1;
  }
  std::printf("%s: %d channels, %d orders, %.3f s%s\n", argv[1], r.channels, r.orders,
              static_cast<double>(r.frames) / tracker::kRate, r.ended ? "" : " (cut at the limit)");
  return 0;
}
