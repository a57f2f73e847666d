#pragma once
// Writes small MOD and S3M files in their published layouts, so each test can make the
// module it needs (and the reference step can hand the same bytes to openmpt123).
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace modbuild {

constexpr double kPi = 3.14159265358979323846;

// ProTracker periods of octaves 1 to 3 (C-1 = 856 ... B-3 = 113), finetune 0.
inline int AmigaPeriod(int octave, int semitone) {
  static const int kPeriods[3][12] = {{856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453},
                                      {428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226},
                                      {214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113}};
  return kPeriods[octave - 1][semitone];
}
constexpr int kC2 = 428;  // the note that plays a sample at its own rate

// One period of a sine, `frames` long, at amplitude `amplitude` (signed 8-bit).
inline std::vector<int8_t> SineCycle(int frames, int amplitude = 100) {
  std::vector<int8_t> v(frames);
  for (int i = 0; i < frames; ++i) v[i] = static_cast<int8_t>(std::lround(amplitude * std::sin(2 * kPi * i / frames)));
  return v;
}

// A sine that decays to silence over `frames` (a one-shot "pluck").
inline std::vector<int8_t> Pluck(int frames, int cycle = 32) {
  std::vector<int8_t> v(frames);
  for (int i = 0; i < frames; ++i)
    v[i] = static_cast<int8_t>(std::lround(110.0 * (1.0 - double(i) / frames) * std::sin(2 * kPi * i / cycle)));
  return v;
}

struct ModSample {
  std::vector<int8_t> data;
  int finetune = 0, volume = 64;
  int loopStart = 0, loopLength = 0;  // bytes; a loop length below 4 is "none"
  std::string name;
};

struct ModCell {
  int period = 0, sample = 0, effect = 0, param = 0;
};

class ModBuilder {
 public:
  explicit ModBuilder(int channels = 4, const char* tag = "M.K.") : channels_(channels), tag_(tag) {}
  int AddSample(const ModSample& s) {
    samples_.push_back(s);
    return static_cast<int>(samples_.size());
  }
  void SetOrders(const std::vector<int>& orders) { orders_ = orders; }
  void SetSongLength(int length) { songLength_ = length; }
  ModCell& At(int pattern, int row, int channel) {
    if (pattern >= static_cast<int>(patterns_.size())) patterns_.resize(pattern + 1, std::vector<ModCell>(64 * channels_));
    return patterns_[pattern][row * channels_ + channel];
  }
  // A note with a sample and an effect in one call.
  void Note(int pattern, int row, int channel, int period, int sample, int effect = 0, int param = 0) {
    At(pattern, row, channel) = ModCell{period, sample, effect, param};
  }
  void Effect(int pattern, int row, int channel, int effect, int param) {
    ModCell& c = At(pattern, row, channel);
    c.effect = effect;
    c.param = param;
  }
  std::string name = "built";

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out(1084, 0);
    std::memcpy(out.data(), name.data(), name.size() < 20 ? name.size() : 20);
    for (size_t i = 0; i < 31; ++i) {
      uint8_t* h = out.data() + 20 + 30 * i;
      if (i >= samples_.size()) continue;
      const ModSample& s = samples_[i];
      std::memcpy(h, s.name.data(), s.name.size() < 22 ? s.name.size() : 22);
      Put16(h + 22, static_cast<int>(s.data.size() / 2));
      h[24] = static_cast<uint8_t>(s.finetune);
      h[25] = static_cast<uint8_t>(s.volume);
      Put16(h + 26, s.loopStart / 2);
      Put16(h + 28, s.loopLength >= 4 ? s.loopLength / 2 : 1);
    }
    const std::vector<int> orders = orders_.empty() ? std::vector<int>{0} : orders_;
    out[950] = static_cast<uint8_t>(songLength_ >= 0 ? songLength_ : static_cast<int>(orders.size()));
    out[951] = 127;
    int highest = 0;
    for (size_t i = 0; i < orders.size() && i < 128; ++i) {
      out[952 + i] = static_cast<uint8_t>(orders[i]);
      if (orders[i] > highest) highest = orders[i];
    }
    std::memcpy(out.data() + 1080, tag_.data(), 4);
    for (int p = 0; p <= highest; ++p)
      for (int i = 0; i < 64 * channels_; ++i) {
        const ModCell c = p < static_cast<int>(patterns_.size()) ? patterns_[p][i] : ModCell{};
        out.push_back(static_cast<uint8_t>((c.sample & 0xF0) | ((c.period >> 8) & 0x0F)));
        out.push_back(static_cast<uint8_t>(c.period & 0xFF));
        out.push_back(static_cast<uint8_t>(((c.sample & 0x0F) << 4) | (c.effect & 0x0F)));
        out.push_back(static_cast<uint8_t>(c.param));
      }
    for (const ModSample& s : samples_)
      for (int8_t v : s.data) out.push_back(static_cast<uint8_t>(v));
    return out;
  }

 private:
  static void Put16(uint8_t* p, int v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
  }
  int channels_;
  std::string tag_;
  std::vector<ModSample> samples_;
  std::vector<int> orders_;
  int songLength_ = -1;
  std::vector<std::vector<ModCell>> patterns_;
};

struct S3mSample {
  std::vector<int8_t> data;  // signed values; the file holds them unsigned
  bool loop = false;
  int loopBegin = 0, loopEnd = 0;
  int volume = 64, c2 = 8363;
};

struct S3mCell {
  int note = -1;        // -1 none; else the file's byte (octave << 4 | semitone, 254 cut)
  int instrument = 0;
  int volume = -1;      // -1 none
  int effect = 0, param = 0;  // effect 1 = A ... 26 = Z
};

inline int S3mNote(int octave, int semitone) { return octave << 4 | semitone; }
constexpr int kS3mC4 = 4 << 4;  // plays a sample at its C2 speed

inline int Fx(char letter) { return letter - 'A' + 1; }

class S3mBuilder {
 public:
  // Channel settings: one byte per file channel (below 8 left, 8..15 right, 255 unused).
  explicit S3mBuilder(std::vector<int> settings = {0, 8, 1, 9}) : settings_(std::move(settings)) {}
  int AddSample(const S3mSample& s) {
    samples_.push_back(s);
    return static_cast<int>(samples_.size());
  }
  void SetOrders(const std::vector<int>& raw) { orders_ = raw; }
  S3mCell& At(int pattern, int row, int channel) {
    if (pattern >= static_cast<int>(patterns_.size())) patterns_.resize(pattern + 1, std::vector<S3mCell>(64 * 32));
    return patterns_[pattern][row * 32 + channel];
  }
  void Note(int pattern, int row, int channel, int note, int instrument, int effect = 0, int param = 0, int volume = -1) {
    At(pattern, row, channel) = S3mCell{note, instrument, volume, effect, param};
  }
  void Effect(int pattern, int row, int channel, int effect, int param) {
    S3mCell& c = At(pattern, row, channel);
    c.effect = effect;
    c.param = param;
  }
  int speed = 6, tempo = 125, globalVolume = 64, masterVolume = 0xB0, flags = 0, version = 0x1320;
  int panMarker = 0;
  std::vector<int> panTable;  // with panMarker 0xFC
  int declaredPatterns = -1;  // -1: as many as built

  std::vector<uint8_t> Bytes() const {
    const int patterns = declaredPatterns >= 0 ? declaredPatterns : static_cast<int>(patterns_.size());
    std::vector<int> orders = orders_.empty() ? std::vector<int>{0, 255} : orders_;
    if (orders.size() % 2) orders.push_back(255);  // the layout keeps an even count
    std::vector<uint8_t> out(96, 0);
    std::memcpy(out.data(), "built", 5);
    out[28] = 0x1A;
    out[29] = 16;
    Put16(&out, 32, static_cast<int>(orders.size()));
    Put16(&out, 34, static_cast<int>(samples_.size()));
    Put16(&out, 36, patterns);
    Put16(&out, 38, flags);
    Put16(&out, 40, version);
    Put16(&out, 42, 2);
    std::memcpy(out.data() + 44, "SCRM", 4);
    out[48] = static_cast<uint8_t>(globalVolume);
    out[49] = static_cast<uint8_t>(speed);
    out[50] = static_cast<uint8_t>(tempo);
    out[51] = static_cast<uint8_t>(masterVolume);
    out[53] = static_cast<uint8_t>(panMarker);
    for (int i = 0; i < 32; ++i) out[64 + i] = static_cast<uint8_t>(i < static_cast<int>(settings_.size()) ? settings_[i] : 255);
    for (int o : orders) out.push_back(static_cast<uint8_t>(o));
    const size_t pointers = out.size();
    out.resize(out.size() + 2 * (samples_.size() + patterns), 0);
    if (panMarker == 0xFC)
      for (int i = 0; i < 32; ++i) out.push_back(static_cast<uint8_t>(i < static_cast<int>(panTable.size()) ? panTable[i] : 0));
    std::vector<size_t> headerAt;
    for (size_t i = 0; i < samples_.size(); ++i) {
      Align(&out);
      headerAt.push_back(out.size());
      Put16(&out, pointers + 2 * i, static_cast<int>(out.size() / 16));
      out.resize(out.size() + 80, 0);
    }
    for (int p = 0; p < patterns && p < static_cast<int>(patterns_.size()); ++p) {
      Align(&out);
      const size_t at = out.size();
      Put16(&out, pointers + 2 * (samples_.size() + p), static_cast<int>(at / 16));
      out.resize(out.size() + 2, 0);
      for (int r = 0; r < 64; ++r) {
        for (int ch = 0; ch < 32; ++ch) {
          const S3mCell& c = patterns_[p][r * 32 + ch];
          uint8_t b = static_cast<uint8_t>(ch);
          if (c.note >= 0 || c.instrument) b |= 0x20;
          if (c.volume >= 0) b |= 0x40;
          if (c.effect) b |= 0x80;
          if (b == ch) continue;
          out.push_back(b);
          if (b & 0x20) {
            out.push_back(static_cast<uint8_t>(c.note >= 0 ? c.note : 255));
            out.push_back(static_cast<uint8_t>(c.instrument));
          }
          if (b & 0x40) out.push_back(static_cast<uint8_t>(c.volume));
          if (b & 0x80) {
            out.push_back(static_cast<uint8_t>(c.effect));
            out.push_back(static_cast<uint8_t>(c.param));
          }
        }
        out.push_back(0);
      }
      Put16(&out, at, static_cast<int>(out.size() - at));
    }
    for (size_t i = 0; i < samples_.size(); ++i) {
      const S3mSample& s = samples_[i];
      Align(&out);
      const size_t data = out.size() / 16;
      for (int8_t v : s.data) out.push_back(static_cast<uint8_t>(v + 128));
      uint8_t* h = out.data() + headerAt[i];
      h[0] = 1;
      h[13] = static_cast<uint8_t>(data >> 16);
      h[14] = static_cast<uint8_t>(data);
      h[15] = static_cast<uint8_t>(data >> 8);
      Put32(h + 16, static_cast<uint32_t>(s.data.size()));
      Put32(h + 20, static_cast<uint32_t>(s.loopBegin));
      Put32(h + 24, static_cast<uint32_t>(s.loopEnd));
      h[28] = static_cast<uint8_t>(s.volume);
      h[31] = s.loop ? 1 : 0;
      Put32(h + 32, static_cast<uint32_t>(s.c2));
      std::memcpy(h + 76, "SCRS", 4);
    }
    return out;
  }

 private:
  static void Put16(std::vector<uint8_t>* v, size_t at, int value) {
    (*v)[at] = static_cast<uint8_t>(value);
    (*v)[at + 1] = static_cast<uint8_t>(value >> 8);
  }
  static void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
  }
  static void Align(std::vector<uint8_t>* v) {
    while (v->size() % 16) v->push_back(0);
  }
  std::vector<int> settings_;
  std::vector<S3mSample> samples_;
  std::vector<int> orders_;
  std::vector<std::vector<S3mCell>> patterns_;
};

}  // namespace modbuild
