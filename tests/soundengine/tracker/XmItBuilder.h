#pragma once
// Writes small XM and IT files in their published layouts (and IT 2.14 / 2.15 compressed
// sample data), so tests make the modules they need and openmpt123 plays the same bytes.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace xmitbuild {

inline void Put16(std::vector<uint8_t>* v, int value) {
  v->push_back(static_cast<uint8_t>(value));
  v->push_back(static_cast<uint8_t>(value >> 8));
}
inline void Put32(std::vector<uint8_t>* v, uint32_t value) {
  for (int i = 0; i < 4; ++i) v->push_back(static_cast<uint8_t>(value >> (8 * i)));
}
inline void Set32(std::vector<uint8_t>* v, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*v)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}
inline void PutText(std::vector<uint8_t>* v, const std::string& s, size_t size) {
  for (size_t i = 0; i < size; ++i) v->push_back(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
}

// ---- IT sample compression ----

// Bits least significant first.
class BitWriter {
 public:
  void Write(uint32_t value, int width) {
    for (int i = 0; i < width; ++i, ++bits_) {
      if (bits_ % 8 == 0) bytes.push_back(0);
      if ((value >> i) & 1) bytes.back() |= static_cast<uint8_t>(1 << (bits_ % 8));
    }
  }
  std::vector<uint8_t> bytes;

 private:
  int64_t bits_ = 0;
};

// True when `d` can be written at `width` without looking like a width change.
inline bool Fits(int d, int width, int top) {
  const int bits = top - 1;
  if (width == top) return d >= -(1 << (bits - 1)) && d < (1 << (bits - 1));
  const int half = 1 << (width - 1);
  if (d < -half || d >= half) return false;
  const uint32_t v = static_cast<uint32_t>(d) & ((1u << width) - 1);
  if (width <= 6) return v != static_cast<uint32_t>(half);
  const uint32_t border = (((1u << bits) - 1) >> (top - width)) - (top == 9 ? 4 : 8);
  return !(v > border && v <= border + (top == 9 ? 8 : 16));
}

// Compresses 8-bit (top width 9) or 16-bit (17) samples; IT 2.15 stores second
// differences. Each block starts with its byte count.
inline std::vector<uint8_t> ItCompress(const std::vector<int>& samples, bool sixteen, bool it215) {
  const int top = sixteen ? 17 : 9, block = sixteen ? 0x4000 : 0x8000, widthBits = sixteen ? 4 : 3;
  const int bits = top - 1;
  std::vector<uint8_t> out;
  for (size_t start = 0; start < samples.size(); start += block) {
    BitWriter w;
    int width = top;
    int first = 0, second = 0;
    for (size_t i = start; i < samples.size() && i < start + block; ++i) {
      const int value = samples[i];
      int d = value - (it215 ? first + second : first);
      d = static_cast<int>(static_cast<uint32_t>(d) << (32 - bits)) >> (32 - bits);  // wraps like the integrators
      int want = 1;
      while (!Fits(d, want, top)) ++want;
      if (want != width) {
        if (width <= 6) {
          w.Write(1u << (width - 1), width);
          w.Write(static_cast<uint32_t>(want < width ? want - 1 : want - 2), widthBits);
        } else if (width < top) {
          const uint32_t border = (((1u << bits) - 1) >> (top - width)) - (top == 9 ? 4 : 8);
          w.Write(border + static_cast<uint32_t>(want < width ? want : want - 1), width);
        } else {
          w.Write((1u << bits) | static_cast<uint32_t>(want - 1), width);
        }
        width = want;
      }
      w.Write(static_cast<uint32_t>(d) & ((1u << (width == top ? bits : width)) - 1), width);
      const int mask = sixteen ? 0xFFFF : 0xFF;
      first = (first + d) & mask;
      if (first > mask / 2) first -= mask + 1;
      second = (second + first) & mask;
      if (second > mask / 2) second -= mask + 1;
    }
    Put16(&out, static_cast<int>(w.bytes.size()));
    out.insert(out.end(), w.bytes.begin(), w.bytes.end());
  }
  return out;
}

// ---- XM ----

struct XmSample {
  std::vector<int> data;  // signed values of the sample's width
  bool sixteen = false;
  int loopType = 0, loopStart = 0, loopLength = 0;  // frames; 1 forward, 2 ping-pong
  int volume = 64, finetune = 0, pan = 128, relativeNote = 0;
  std::vector<uint8_t> ogg;  // when set: the sample is stored as this Ogg Vorbis stream
};

struct XmEnvelope {
  std::vector<std::pair<int, int>> points;
  int type = 0, sustain = 0, loopStart = 0, loopEnd = 0;  // type: 1 on, 2 sustain, 4 loop
};

struct XmInstrument {
  std::vector<XmSample> samples;
  std::array<uint8_t, 96> map{};
  XmEnvelope volume, pan;
  int fadeOut = 0;  // as stored
  int vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
  int declaredSamples = -1;  // -1: as many as given
};

struct XmCell {
  int note = 0, instrument = 0, volume = 0, effect = 0, param = 0;
};

class XmBuilder {
 public:
  explicit XmBuilder(int channels = 4) : channels_(channels) {}
  int AddInstrument(const XmInstrument& i) {
    instruments_.push_back(i);
    return static_cast<int>(instruments_.size());
  }
  XmCell& At(int pattern, int row, int channel) {
    Grow(pattern);
    return patterns_[pattern][row * channels_ + channel];
  }
  void SetRows(int pattern, int rows) {
    Grow(pattern);
    rows_[pattern] = rows;
    patterns_[pattern].resize(static_cast<size_t>(rows > 0 ? rows : 1) * channels_);
  }
  std::vector<int> orders = {0};
  int restart = 0, speed = 6, bpm = 125;
  bool linear = true;
  int declaredLength = -1, declaredChannels = -1;

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out;
    PutText(&out, "Extended Module: ", 17);
    PutText(&out, "built", 20);
    out.push_back(0x1A);
    PutText(&out, "test", 20);
    Put16(&out, 0x0104);
    Put32(&out, 276);
    Put16(&out, declaredLength >= 0 ? declaredLength : static_cast<int>(orders.size()));
    Put16(&out, restart);
    Put16(&out, declaredChannels >= 0 ? declaredChannels : channels_);
    Put16(&out, static_cast<int>(patterns_.size()));
    Put16(&out, static_cast<int>(instruments_.size()));
    Put16(&out, linear ? 1 : 0);
    Put16(&out, speed);
    Put16(&out, bpm);
    for (int i = 0; i < 256; ++i) out.push_back(static_cast<uint8_t>(i < static_cast<int>(orders.size()) ? orders[i] : 0));
    for (size_t p = 0; p < patterns_.size(); ++p) {
      std::vector<uint8_t> packed;
      for (const XmCell& c : patterns_[p]) {
        const uint8_t mask = static_cast<uint8_t>((c.note ? 1 : 0) | (c.instrument ? 2 : 0) | (c.volume ? 4 : 0) |
                                                  (c.effect ? 8 : 0) | (c.param ? 16 : 0));
        packed.push_back(static_cast<uint8_t>(0x80 | mask));
        if (c.note) packed.push_back(static_cast<uint8_t>(c.note));
        if (c.instrument) packed.push_back(static_cast<uint8_t>(c.instrument));
        if (c.volume) packed.push_back(static_cast<uint8_t>(c.volume));
        if (c.effect) packed.push_back(static_cast<uint8_t>(c.effect));
        if (c.param) packed.push_back(static_cast<uint8_t>(c.param));
      }
      Put32(&out, 9);
      out.push_back(0);
      Put16(&out, rows_[p]);
      Put16(&out, static_cast<int>(packed.size()));
      out.insert(out.end(), packed.begin(), packed.end());
    }
    for (const XmInstrument& ins : instruments_) {
      const size_t at = out.size();
      Put32(&out, 263);
      PutText(&out, "instrument", 22);
      out.push_back(0);
      Put16(&out, ins.declaredSamples >= 0 ? ins.declaredSamples : static_cast<int>(ins.samples.size()));
      Put32(&out, 40);
      out.insert(out.end(), ins.map.begin(), ins.map.end());
      for (const XmEnvelope* e : {&ins.volume, &ins.pan})
        for (int i = 0; i < 12; ++i) {
          const bool has = i < static_cast<int>(e->points.size());
          Put16(&out, has ? e->points[i].first : 0);
          Put16(&out, has ? e->points[i].second : 0);
        }
      out.push_back(static_cast<uint8_t>(ins.volume.points.size()));
      out.push_back(static_cast<uint8_t>(ins.pan.points.size()));
      for (const XmEnvelope* e : {&ins.volume, &ins.pan}) {
        out.push_back(static_cast<uint8_t>(e->sustain));
        out.push_back(static_cast<uint8_t>(e->loopStart));
        out.push_back(static_cast<uint8_t>(e->loopEnd));
      }
      out.push_back(static_cast<uint8_t>(ins.volume.type));
      out.push_back(static_cast<uint8_t>(ins.pan.type));
      out.push_back(static_cast<uint8_t>(ins.vibratoType));
      out.push_back(static_cast<uint8_t>(ins.vibratoSweep));
      out.push_back(static_cast<uint8_t>(ins.vibratoDepth));
      out.push_back(static_cast<uint8_t>(ins.vibratoRate));
      Put16(&out, ins.fadeOut);
      out.resize(at + 263, 0);
      std::vector<std::vector<uint8_t>> blocks;
      for (const XmSample& s : ins.samples) {
        std::vector<uint8_t> block;
        if (!s.ogg.empty()) {
          Put32(&block, static_cast<uint32_t>(s.data.size()));
          block.insert(block.end(), s.ogg.begin(), s.ogg.end());
        } else {
          int previous = 0;
          for (int v : s.data) {
            const int d = v - previous;
            previous = v;
            if (s.sixteen)
              Put16(&block, d);
            else
              block.push_back(static_cast<uint8_t>(d));
          }
        }
        const int width = s.sixteen ? 2 : 1;
        Put32(&out, static_cast<uint32_t>(block.size()));
        Put32(&out, static_cast<uint32_t>(s.loopStart * width));
        Put32(&out, static_cast<uint32_t>(s.loopLength * width));
        out.push_back(static_cast<uint8_t>(s.volume));
        out.push_back(static_cast<uint8_t>(s.finetune));
        out.push_back(static_cast<uint8_t>(s.loopType | (s.sixteen ? 0x10 : 0)));
        out.push_back(static_cast<uint8_t>(s.pan));
        out.push_back(static_cast<uint8_t>(s.relativeNote));
        out.push_back(0);
        PutText(&out, "sample", 22);
        blocks.push_back(block);
      }
      for (const auto& b : blocks) out.insert(out.end(), b.begin(), b.end());
    }
    return out;
  }

 private:
  void Grow(int pattern) {
    while (static_cast<int>(patterns_.size()) <= pattern) {
      patterns_.emplace_back(static_cast<size_t>(64) * channels_);
      rows_.push_back(64);
    }
  }
  int channels_;
  std::vector<XmInstrument> instruments_;
  std::vector<std::vector<XmCell>> patterns_;
  std::vector<int> rows_;
};

// ---- IT ----

enum class ItCompression { kNone, k214, k215 };

struct ItSample {
  std::vector<int> data;
  bool sixteen = false;
  bool loop = false;
  int loopBegin = 0, loopEnd = 0;
  int c5 = 8363, volume = 64, globalVolume = 64, defaultPan = 0;
  ItCompression compression = ItCompression::kNone;
};

struct ItEnvelope {
  int flags = 0;  // 1 on, 2 loop, 4 sustain loop
  std::vector<std::pair<int, int>> nodes;  // {tick, value}
  int loopStart = 0, loopEnd = 0, sustainStart = 0, sustainEnd = 0;
};

struct ItInstrument {
  int newNoteAction = 0, duplicateType = 0, duplicateAction = 0, fadeOut = 0;
  int globalVolume = 128, defaultPan = 0x80 | 32;
  int sample = 1;  // every note plays this sample
  ItEnvelope volume;
};

struct ItCell {
  int note = -1;  // 0..119, 254 cut, 255 off
  int instrument = 0, volume = -1, effect = 0, param = 0;
};

class ItBuilder {
 public:
  ItBuilder() { pans.fill(32), volumes.fill(64); }
  int AddSample(const ItSample& s) {
    samples_.push_back(s);
    return static_cast<int>(samples_.size());
  }
  int AddInstrument(const ItInstrument& i) {
    instruments_.push_back(i);
    return static_cast<int>(instruments_.size());
  }
  ItCell& At(int pattern, int row, int channel) {
    while (static_cast<int>(patterns_.size()) <= pattern) {
      patterns_.emplace_back(64 * 64);
      rows_.push_back(64);
    }
    return patterns_[pattern][row * 64 + channel];
  }
  void SetRows(int pattern, int rows) {
    At(pattern, 0, 0);
    rows_[pattern] = rows;
  }
  std::vector<int> orders = {0, 255};
  bool instrumentMode = false, linear = true;
  int speed = 6, tempo = 125, globalVolume = 128, mixVolume = 48;
  uint16_t compatibleVersion = 0x0214;
  std::array<uint8_t, 64> pans{}, volumes{};

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out;
    PutText(&out, "IMPM", 4);
    PutText(&out, "built", 26);
    Put16(&out, 0x1004);
    Put16(&out, static_cast<int>(orders.size()));
    Put16(&out, static_cast<int>(instruments_.size()));
    Put16(&out, static_cast<int>(samples_.size()));
    Put16(&out, static_cast<int>(patterns_.size()));
    Put16(&out, 0x0214);
    Put16(&out, compatibleVersion);
    Put16(&out, 1 | (instrumentMode ? 4 : 0) | (linear ? 8 : 0));
    Put16(&out, 0);
    out.push_back(static_cast<uint8_t>(globalVolume));
    out.push_back(static_cast<uint8_t>(mixVolume));
    out.push_back(static_cast<uint8_t>(speed));
    out.push_back(static_cast<uint8_t>(tempo));
    out.push_back(128);
    out.push_back(0);
    out.resize(64, 0);
    out.insert(out.end(), pans.begin(), pans.end());
    out.insert(out.end(), volumes.begin(), volumes.end());
    for (int o : orders) out.push_back(static_cast<uint8_t>(o));
    const size_t offsets = out.size();
    out.resize(out.size() + 4 * (instruments_.size() + samples_.size() + patterns_.size()), 0);
    size_t slot = 0;
    for (const ItInstrument& ins : instruments_) {
      Set32(&out, offsets + 4 * slot++, static_cast<uint32_t>(out.size()));
      const size_t at = out.size();
      PutText(&out, "IMPI", 4);
      out.resize(at + 17, 0);
      out.push_back(static_cast<uint8_t>(ins.newNoteAction));
      out.push_back(static_cast<uint8_t>(ins.duplicateType));
      out.push_back(static_cast<uint8_t>(ins.duplicateAction));
      Put16(&out, ins.fadeOut);
      out.push_back(0);
      out.push_back(60);
      out.push_back(static_cast<uint8_t>(ins.globalVolume));
      out.push_back(static_cast<uint8_t>(ins.defaultPan));
      out.resize(at + 30, 0);
      out.push_back(1);
      out.resize(at + 64, 0);
      for (int n = 0; n < 120; ++n) {
        out.push_back(static_cast<uint8_t>(n));
        out.push_back(static_cast<uint8_t>(ins.sample));
      }
      for (int k = 0; k < 3; ++k) {
        const ItEnvelope e = k == 0 ? ins.volume : ItEnvelope{};
        out.push_back(static_cast<uint8_t>(e.flags));
        out.push_back(static_cast<uint8_t>(e.nodes.size()));
        out.push_back(static_cast<uint8_t>(e.loopStart));
        out.push_back(static_cast<uint8_t>(e.loopEnd));
        out.push_back(static_cast<uint8_t>(e.sustainStart));
        out.push_back(static_cast<uint8_t>(e.sustainEnd));
        for (int i = 0; i < 25; ++i) {
          const bool has = i < static_cast<int>(e.nodes.size());
          out.push_back(static_cast<uint8_t>(has ? e.nodes[i].second : 0));
          Put16(&out, has ? e.nodes[i].first : 0);
        }
        out.push_back(0);
      }
      out.resize(at + 554, 0);
    }
    std::vector<size_t> headers;
    for (size_t i = 0; i < samples_.size(); ++i) {
      Set32(&out, offsets + 4 * slot++, static_cast<uint32_t>(out.size()));
      headers.push_back(out.size());
      out.resize(out.size() + 80, 0);
    }
    for (size_t p = 0; p < patterns_.size(); ++p) {
      Set32(&out, offsets + 4 * slot++, static_cast<uint32_t>(out.size()));
      std::vector<uint8_t> packed;
      for (int r = 0; r < rows_[p]; ++r) {
        for (int ch = 0; ch < 64; ++ch) {
          const ItCell& c = patterns_[p][r * 64 + ch];
          const uint8_t mask = static_cast<uint8_t>((c.note >= 0 ? 1 : 0) | (c.instrument ? 2 : 0) |
                                                    (c.volume >= 0 ? 4 : 0) | (c.effect ? 8 : 0));
          if (!mask) continue;
          packed.push_back(static_cast<uint8_t>((ch + 1) | 0x80));
          packed.push_back(mask);
          if (mask & 1) packed.push_back(static_cast<uint8_t>(c.note));
          if (mask & 2) packed.push_back(static_cast<uint8_t>(c.instrument));
          if (mask & 4) packed.push_back(static_cast<uint8_t>(c.volume));
          if (mask & 8) {
            packed.push_back(static_cast<uint8_t>(c.effect));
            packed.push_back(static_cast<uint8_t>(c.param));
          }
        }
        packed.push_back(0);
      }
      Put16(&out, static_cast<int>(packed.size()));
      Put16(&out, rows_[p]);
      Put32(&out, 0);
      out.insert(out.end(), packed.begin(), packed.end());
    }
    for (size_t i = 0; i < samples_.size(); ++i) {
      const ItSample& s = samples_[i];
      uint8_t* h = nullptr;
      const uint32_t dataAt = static_cast<uint32_t>(out.size());
      const bool compressed = s.compression != ItCompression::kNone;
      if (compressed) {
        const std::vector<uint8_t> c = ItCompress(s.data, s.sixteen, s.compression == ItCompression::k215);
        out.insert(out.end(), c.begin(), c.end());
      } else {
        for (int v : s.data) {
          if (s.sixteen)
            Put16(&out, v);
          else
            out.push_back(static_cast<uint8_t>(v));
        }
      }
      h = out.data() + headers[i];
      std::memcpy(h, "IMPS", 4);
      h[17] = static_cast<uint8_t>(s.globalVolume);
      h[18] = static_cast<uint8_t>(1 | (s.sixteen ? 2 : 0) | (compressed ? 8 : 0) | (s.loop ? 0x10 : 0));
      h[19] = static_cast<uint8_t>(s.volume);
      h[46] = static_cast<uint8_t>(1 | (s.compression == ItCompression::k215 ? 4 : 0));
      h[47] = static_cast<uint8_t>(s.defaultPan);
      auto set = [&](int at, uint32_t v) {
        for (int b = 0; b < 4; ++b) h[at + b] = static_cast<uint8_t>(v >> (8 * b));
      };
      set(48, static_cast<uint32_t>(s.data.size()));
      set(52, static_cast<uint32_t>(s.loopBegin));
      set(56, static_cast<uint32_t>(s.loopEnd));
      set(60, static_cast<uint32_t>(s.c5));
      set(72, dataAt);
    }
    return out;
  }

 private:
  std::vector<ItSample> samples_;
  std::vector<ItInstrument> instruments_;
  std::vector<std::vector<ItCell>> patterns_;
  std::vector<int> rows_;
};

// A sine of `cycle` frames, `cycles` times, at `amplitude`.
inline std::vector<int> Sine(int cycle, int cycles, int amplitude) {
  std::vector<int> v(static_cast<size_t>(cycle) * cycles);
  for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<int>(std::lround(amplitude * std::sin(6.283185307179586 * i / cycle)));
  return v;
}

}  // namespace xmitbuild
