#pragma once
// Renders a tracker module the way a device hears it: loaded through the engine's loader,
// played by the music unit, mixed and clipped by the non-realtime output, taken out of
// the primary buffer as 44.1 kHz 16-bit stereo. Serves the render tool, the tests and
// the benchmark.
#include <cstdint>
#include <cstdio>
#include <functional>

namespace tracker {

constexpr int kRate = 44100;
constexpr int kQualityMixer = 11;  // AURAL_MIXER_QUALITY_C: linear interpolation

struct RenderOptions {
  int mixerType = kQualityMixer;
  double maxSeconds = 1200;
  bool stopAtRepeat = true;        // end where a row would play a second time (pattern loops aside)
  const void* memory = nullptr;    // a module in memory instead of the file
  int memoryBytes = 0;
  FILE* rowTrace = nullptr;        // one line per row played: time, order, row, speed, tempo
};

struct RenderResult {
  bool loaded = false;
  int error = 0;                   // the engine's error code of a failed load
  int64_t frames = 0;              // to the song's end or its first repeat
  bool ended = false;              // it ended before maxSeconds
  bool speedZeroEnd = false;       // a speed of 0 ended it
  double seconds = 0;              // time spent rendering (load excluded)
  int channels = 0, orders = 0, format = 0;
};

// Blocks of stereo frames as they come out of the engine.
typedef std::function<void(const int16_t* frames, int count)> Sink;

RenderResult Render(const char* path, const RenderOptions& options, const Sink& sink);

// Streams 16-bit stereo frames into a WAV file.
class WavWriter {
 public:
  explicit WavWriter(const char* path);
  ~WavWriter();
  bool ok() const { return file_ != nullptr; }
  void Write(const int16_t* frames, int count);

 private:
  FILE* file_;
  int64_t frames_ = 0;
};

}  // namespace tracker
