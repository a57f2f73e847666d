// sound_reader_bench [runs] <file.mp3|file.ogg>...: how much the engine's readers add to
// their decoders. Each file is decoded completely, by turns:
// - bare: the decoder alone over the file already in memory (libmad's frame decode and
//   synthesis with the conversion to 16 bits every user needs, or Tremor's ov_read) into
//   a small buffer used over and over;
// - bare into memory: the same into one new buffer of the whole length, as any decoding
//   of a whole file into memory must (fresh memory costs its page faults);
// - sample: the engine's whole-sample load (SoundSample_Load) from the file;
// - stream: the engine's stream (AuralStream_Open, then its ring filled half by half as
//   the streamer fills it) from the file.
// Timed in the decoding thread's processor time, so other work on a shared machine does
// not count; reported as real-time factors, median [lowest-highest] over the runs, and the
// readers' overhead as the ratio of the medians less one: the whole-sample load's against
// the bare decoding into memory, the stream's against the bare decoding. bench/reader_bench.sh makes the
// files with lame and oggenc and runs it.
#include <windows.h>

#include "BenchFiles.h"
#include "BenchClock.h"

#include <mad.h>
#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "aural.h"
#include "aural_engine.h"
#include "aural_sample.h"
#include "aural_stream.h"

namespace {

constexpr double kMinProcessorSeconds = 0.5;  // per measurement: the platform counts in ~10 ms steps

// Where a bare decoder writes: a small buffer used over and over, or one buffer of the
// whole length, allocated for each decoding.
class Sink {
 public:
  explicit Sink(size_t wholeBytes) : whole_(wholeBytes ? static_cast<char*>(std::malloc(wholeBytes)) : nullptr),
                                     size_(wholeBytes ? wholeBytes : sizeof small_) {}
  ~Sink() { std::free(whole_); }
  Sink(const Sink&) = delete;
  Sink& operator=(const Sink&) = delete;
  // Room for the next `bytes` (or less at the end of the whole buffer).
  char* Next(size_t* bytes) {
    if (!whole_) return small_;
    if (*bytes > size_ - at_) *bytes = size_ - at_;
    return whole_ + at_;
  }
  void Wrote(size_t bytes) { at_ += whole_ ? bytes : 0; }

 private:
  char small_[1152 * 2 * 2];
  char* whole_;
  size_t size_, at_ = 0;
};

// Frames decoded, or 0 when the decoder gives up at once.
int64_t BareMad(const std::string& file, size_t wholeBytes) {
  Sink sink(wholeBytes);
  std::vector<unsigned char> data(file.begin(), file.end());
  data.resize(file.size() + MAD_BUFFER_GUARD, 0);
  mad_stream stream;
  mad_frame frame;
  mad_synth synth;
  mad_stream_init(&stream);
  mad_frame_init(&frame);
  mad_synth_init(&synth);
  mad_stream_buffer(&stream, data.data(), data.size());
  int64_t frames = 0;
  for (;;) {
    if (mad_frame_decode(&frame, &stream) == -1) {
      if (MAD_RECOVERABLE(stream.error)) continue;
      break;
    }
    mad_synth_frame(&synth, &frame);
    const mad_pcm& p = synth.pcm;
    size_t room = static_cast<size_t>(p.length) * p.channels * 2;
    auto* out = reinterpret_cast<int16_t*>(sink.Next(&room));
    const int length = static_cast<int>(room / (2 * p.channels));
    for (int i = 0; i < length; ++i)
      for (int c = 0; c < p.channels; ++c) {
        const mad_fixed_t v = p.samples[c][i] >> (MAD_F_FRACBITS + 1 - 16);
        *out++ = static_cast<int16_t>(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
      }
    sink.Wrote(room);
    frames += p.length;
  }
  mad_synth_finish(&synth);
  mad_frame_finish(&frame);
  mad_stream_finish(&stream);
  return frames;
}

struct Memory {
  const std::string* bytes;
  size_t at;
};

size_t MemRead(void* out, size_t size, size_t count, void* source) {
  auto* m = static_cast<Memory*>(source);
  const size_t left = m->bytes->size() - m->at;
  size_t n = size * count;
  if (n > left) n = left;
  std::memcpy(out, m->bytes->data() + m->at, n);
  m->at += n;
  return size ? n / size : 0;
}

int MemSeek(void* source, ogg_int64_t offset, int whence) {
  auto* m = static_cast<Memory*>(source);
  const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<int64_t>(m->at) : m->bytes->size();
  const int64_t to = base + offset;
  if (to < 0 || to > static_cast<int64_t>(m->bytes->size())) return -1;
  m->at = static_cast<size_t>(to);
  return 0;
}

long MemTell(void* source) { return static_cast<long>(static_cast<Memory*>(source)->at); }

int64_t BareTremor(const std::string& file, size_t wholeBytes) {
  Sink sink(wholeBytes);
  Memory m = {&file, 0};
  OggVorbis_File vf;
  if (ov_open_callbacks(&m, &vf, nullptr, 0, ov_callbacks{MemRead, MemSeek, nullptr, MemTell}) < 0) return 0;
  const int channels = ov_info(&vf, -1)->channels;
  int64_t bytes = 0;
  int section = 0;
  for (;;) {
    size_t room = 4096;
    char* out = sink.Next(&room);
    const long got = room ? ov_read(&vf, out, static_cast<int>(room), &section) : 0;
    if (got <= 0) break;
    sink.Wrote(static_cast<size_t>(got));
    bytes += got;
  }
  ov_clear(&vf);
  return bytes / (2 * channels);
}

int64_t EngineSample(const char* path) {
  SoundSample* s = SoundSample_Load(-1, path, 0, 0, 0, nullptr);
  if (!s) return 0;
  const int64_t frames = s->length;
  SoundSample_Free(s);
  return frames;
}

int64_t EngineStream(const char* path) {
  SoundStream* s = AuralStream_Open(path, SoundMode::NoLoop, 0, 0);
  if (!s) return 0;
  auto* ring = static_cast<uint8_t*>(s->ringSample->data);
  const int half = s->ringSample->length / 2 * SoundSample_FrameBytes(s->ringSample->mode);
  for (int k = 0; !s->readerDone || s->decodedPending > 0; k ^= 1)
    AuralStream_DecodeFill(s, ring + k * half, half, nullptr);
  const int64_t frames = s->decodePosition;
  AuralStream_Close(s);
  return frames;
}

// Seconds of sound decoded per processor second, over as many complete decodes as fill
// kMinProcessorSeconds.
template <typename Decode>
double RealTimeFactor(int rate, Decode decode) {
  const double start = bench::ThreadSeconds();
  double spent = 0, audio = 0;
  do {
    const int64_t frames = decode();
    if (frames <= 0) return 0;
    audio += static_cast<double>(frames) / rate;
    spent = bench::ThreadSeconds() - start;
  } while (spent < kMinProcessorSeconds);
  return audio / spent;
}


}  // namespace

int main(int argc, char** argv) {
  int first = 1, runs = 5;
  if (argc > 1 && std::strspn(argv[1], "0123456789") == std::strlen(argv[1])) runs = std::max(1, std::atoi(argv[first++]));
  Aural_SetOutput(kSoundOutputNonRealtime);
  if (!Aural_Init(44100, 8)) return 1;
  std::printf("real-time factors, median [lowest-highest] of %d runs; overheads: the whole-sample load against the\n"
              "bare decoding into memory, the stream against the bare decoding\n",
              runs);
  std::printf("%-14s %22s %22s %22s %22s %8s %8s\n", "file", "bare decoder", "bare into memory", "whole-sample load",
              "stream", "sample", "stream");
  for (int i = first; i < argc; ++i) {
    const char* path = argv[i];
    const std::string bytes = ReadAll(path);
    const size_t dot = std::string(path).rfind('.');
    const bool ogg = dot != std::string::npos && std::string(path).substr(dot) == ".ogg";
    SoundSample* probe = SoundSample_Load(-1, path, 0, 0, 0, nullptr);
    const int rate = probe ? probe->frequency : 0;
    const size_t wholeBytes = probe ? static_cast<size_t>(probe->length) * SoundSample_FrameBytes(probe->mode) : 0;
    if (probe) SoundSample_Free(probe);
    std::vector<double> bare, bareWhole, sample, stream;
    for (int r = 0; r < runs && rate > 0; ++r) {
      bare.push_back(RealTimeFactor(rate, [&] { return ogg ? BareTremor(bytes, 0) : BareMad(bytes, 0); }));
      bareWhole.push_back(
          RealTimeFactor(rate, [&] { return ogg ? BareTremor(bytes, wholeBytes) : BareMad(bytes, wholeBytes); }));
      sample.push_back(RealTimeFactor(rate, [&] { return EngineSample(path); }));
      stream.push_back(RealTimeFactor(rate, [&] { return EngineStream(path); }));
    }
    const char* name = std::strrchr(path, '\\') ? std::strrchr(path, '\\') + 1 : path;
    if (bare.empty()) {
      std::printf("%-28s not decoded\n", name);
      continue;
    }
    auto figure = [](std::vector<double>& v) {
      char text[64];
      const double median = bench::Median(v);
      std::snprintf(text, sizeof text, "%6.1f [%6.1f-%6.1f]", median, v.front(), v.back());
      return std::string(text);
    };
    const double b = bench::Median(bare), w = bench::Median(bareWhole), s = bench::Median(sample),
                 t = bench::Median(stream);
    std::printf("%-14s %22s %22s %22s %22s %7.1f%% %7.1f%%\n", name, figure(bare).c_str(), figure(bareWhole).c_str(),
                figure(sample).c_str(), figure(stream).c_str(), (w / s - 1) * 100, (b / t - 1) * 100);
    std::fflush(stdout);
  }
  Aural_Close();
  return 0;
}
