// Renders a module through the engine's non-realtime output (see TrackerRender.h).
#include "TrackerRender.h"

#include <windows.h>

#include <cstring>
#include <set>
#include <vector>

#include "aural.h"
#include "aural_engine.h"
#include "music_song.h"
#include "sound_mix.h"
#include "sound_software.h"

namespace tracker {

namespace {

constexpr int kSoftwareChannels = 64;
constexpr uint32_t kLoopingOff = SoundMode::NoLoop;

// The first repeat: a row reached a second time while no pattern loop is counting.
struct RepeatWatch {
  std::set<int> visited;
  int64_t repeatFrame = -1;
  FILE* trace = nullptr;
};
RepeatWatch* g_watch = nullptr;

void OnRow(MusicSong* song, int row, int, int) {
  RepeatWatch* w = g_watch;
  if (!w || w->repeatFrame >= 0) return;
  bool looping = false;
  for (int i = 0; i < song->channelCount; ++i) looping = looping || song->channels[i].loopCount != 0;
  if (w->trace)
    std::fprintf(w->trace, "%9.3f order %3d row %2d speed %3d bpm %3d\n", static_cast<double>(song->position) / kRate,
                 song->order, row, song->speed, song->bpm);
  if (!w->visited.insert(song->order << 8 | row).second && !looping) w->repeatFrame = song->position;
}

// The non-realtime output keeps no primary buffer: the block is taken just before the
// clip unit and clipped to 16 bits the same way.
constexpr int kCapturePriority = 999;
struct Capture {
  std::vector<int16_t> block;
  static void* Callback(void*, void* previous, int length, void* user) {
    auto* self = static_cast<Capture*>(user);
    self->block.resize(static_cast<size_t>(length) * 2);
    SoundMix_Clip16Stereo(self->block.data(), static_cast<const int32_t*>(previous), length);
    return previous;
  }
};

double Seconds(const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

bool LoadThroughLoader(MusicSong* song, const char* path, const RenderOptions& o) {
  const void* source = o.memory ? o.memory : static_cast<const void*>(path);
  const uint32_t mode = kLoopingOff | (o.memory ? SoundMode::FromMemory : 0);
  if (!Music_RequestLoad(song, source, mode, 0, o.memory ? o.memoryBytes : 0, nullptr)) return false;
  while (!song->loaded && !song->loadFailed) Sleep(1);
  return song->loaded != 0;
}

}  // namespace

RenderResult Render(const char* path, const RenderOptions& o, const Sink& sink) {
  RenderResult r;
  Aural_Close();
  Aural_SetOutput(kSoundOutputNonRealtime);
  SoundEngine.mixerType = o.mixerType;
  SoundEngine.bufferMs = -1;
  SoundEngine.blockLength = 0;
  if (!Aural_Init(kRate, kSoftwareChannels)) {
    r.error = SoundError;
    return r;
  }
  SoundEngine.initFlags |= kMusicInitImmediateCallbacks;
  auto* song = new MusicSong();
  if (!LoadThroughLoader(song, path, o)) {
    r.error = SoundError;
    delete song;
    Aural_Close();
    return r;
  }
  r.loaded = true;
  r.channels = song->channelCount;
  r.orders = song->orderCount;
  r.format = song->format;
  RepeatWatch watch;
  watch.trace = o.rowTrace;
  g_watch = &watch;
  if (o.stopAtRepeat || o.rowTrace) Music_SetCallback(song, kMusicCallbackRow, 0, OnRow, 1);
  Music_StartSong(song);

  const int block = SoundEngine.blockLength;
  Capture capture;
  if (sink)
    if (SoundDspUnit* unit = AuralDsp_Create(Capture::Callback, kCapturePriority, &capture)) unit->active = 1;
  const int64_t limit = static_cast<int64_t>(o.maxSeconds * kRate);
  LARGE_INTEGER a, b;
  double spent = 0;
  for (int64_t done = 0; done < limit;) {
    QueryPerformanceCounter(&a);
    Aural_Update();
    QueryPerformanceCounter(&b);
    spent += Seconds(a, b);
    int64_t end = done + block;
    bool last = false;
    if (watch.repeatFrame >= 0 || !song->playing) {
      const int64_t stop = watch.repeatFrame >= 0 ? watch.repeatFrame : song->position;
      if (stop < end) end = stop;
      last = true;
    }
    if (end > limit) end = limit;
    if (end > done && sink) sink(capture.block.data(), static_cast<int>(end - done));
    done = end > done ? end : done;
    r.frames = done;
    if (last) {
      r.ended = true;
      r.speedZeroEnd = watch.repeatFrame < 0 && song->speed == 0;
      break;
    }
  }
  r.seconds = spent;
  g_watch = nullptr;
  Music_FreeSong(song);
  delete song;
  Aural_Close();
  return r;
}

WavWriter::WavWriter(const char* path) : file_(std::fopen(path, "wb")) {
  if (!file_) return;
  const uint8_t header[44] = {};
  std::fwrite(header, 1, sizeof(header), file_);
}

void WavWriter::Write(const int16_t* frames, int count) {
  if (!file_ || count <= 0) return;
  std::fwrite(frames, 4, static_cast<size_t>(count), file_);
  frames_ += count;
}

WavWriter::~WavWriter() {
  if (!file_) return;
  auto put32 = [](uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
  };
  uint8_t h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0};
  const uint32_t bytes = static_cast<uint32_t>(frames_ * 4);
  put32(h + 4, 36 + bytes);
  put32(h + 24, kRate);
  put32(h + 28, kRate * 4);
  h[32] = 4;
  h[34] = 16;
  std::memcpy(h + 36, "data", 4);
  put32(h + 40, bytes);
  std::fseek(file_, 0, SEEK_SET);
  std::fwrite(h, 1, sizeof(h), file_);
  std::fclose(file_);
}

}  // namespace tracker
