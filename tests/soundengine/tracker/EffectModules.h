#pragma once
// One small module per effect: the tests play them through the engine and the reference
// step hands the same bytes to openmpt123. What each one shows decides how it is compared:
// its pitch over time, its loudness over time, or only its length.
#include <functional>
#include <vector>

#include "ModuleBuilder.h"
#include "XmItBuilder.h"

namespace effectmods {

using namespace modbuild;
using namespace xmitbuild;

enum Measure { kPitch, kLoudness, kLength };

struct EffectModule {
  const char* name;   // also the file name, with its extension
  const char* extension;
  Measure measure;
  // Where the rules of the engine and openmpt123 part, the module is checked against the
  // engine's own numbers only; the reason says where.
  const char* differsFromOpenmpt;
  std::function<std::vector<uint8_t>()> build;
};

constexpr int kToneCycle = 16;  // frames per cycle: C-2 plays 523 Hz

inline ModBuilder ModSong() {
  ModBuilder b;
  ModSample tone;
  tone.data = SineCycle(kToneCycle);
  tone.loopStart = 0;
  tone.loopLength = kToneCycle;
  b.AddSample(tone);
  ModSample pluck;
  pluck.data = Pluck(12000);
  b.AddSample(pluck);
  b.SetOrders({0});
  b.Effect(0, 15, 3, 0xD, 0);  // sixteen rows, then the song ends
  return b;
}

inline std::vector<uint8_t> ModWith(const std::function<void(ModBuilder&)>& fill) {
  ModBuilder b = ModSong();
  fill(b);
  return b.Bytes();
}

inline S3mBuilder S3mSong() {
  S3mBuilder b;
  S3mSample tone;
  tone.data = SineCycle(kToneCycle);
  tone.loop = true;
  tone.loopBegin = 0;
  tone.loopEnd = kToneCycle;
  b.AddSample(tone);
  S3mSample pluck;
  pluck.data = Pluck(12000);
  b.AddSample(pluck);
  b.SetOrders({0, 255});
  b.Effect(0, 15, 3, Fx('C'), 0);
  return b;
}

inline std::vector<uint8_t> S3mWith(const std::function<void(S3mBuilder&)>& fill) {
  S3mBuilder b = S3mSong();
  fill(b);
  return b.Bytes();
}

// Rows first..last of channel 0 get the effect.
inline void ModRows(ModBuilder& b, int first, int last, int effect, int param) {
  for (int r = first; r <= last; ++r) b.Effect(0, r, 0, effect, param);
}
inline void S3mRows(S3mBuilder& b, int first, int last, char effect, int param) {
  for (int r = first; r <= last; ++r) b.Effect(0, r, 0, Fx(effect), param);
}

// XM: a looping tone (C-4 plays 523 Hz) in instrument 1; sixteen rows.
inline XmInstrument XmTone() {
  XmInstrument ins;
  XmSample tone;
  tone.data = Sine(kToneCycle, 1, 100);
  tone.loopType = 1;
  tone.loopLength = kToneCycle;
  ins.samples.push_back(tone);
  return ins;
}
constexpr int kXmC4 = 49;
inline XmBuilder XmSong(const XmInstrument& ins = XmTone()) {
  XmBuilder b;
  b.AddInstrument(ins);
  b.At(0, 15, 3).effect = 0xD;
  return b;
}
inline void XmRows(XmBuilder& b, int first, int last, int effect, int param) {
  for (int r = first; r <= last; ++r) b.At(0, r, 0).effect = effect, b.At(0, r, 0).param = param;
}

// IT: the same tone as sample 1 (C-5 plays it at its C5 speed); sixteen rows.
inline ItBuilder ItSong(ItCompression compression = ItCompression::kNone) {
  ItBuilder b;
  ItSample tone;
  tone.data = Sine(kToneCycle, 64, 100);
  tone.loop = true;
  tone.loopBegin = 0;
  tone.loopEnd = static_cast<int>(tone.data.size());
  tone.compression = compression;
  b.AddSample(tone);
  b.At(0, 15, 3).effect = 3;  // C00: the song ends
  return b;
}
constexpr int kItC5 = 60;
inline void ItRows(ItBuilder& b, int first, int last, char effect, int param) {
  for (int r = first; r <= last; ++r) b.At(0, r, 0).effect = effect - 'A' + 1, b.At(0, r, 0).param = param;
}

// IT: two long compressed samples, silent but for a tone over their last frames, which loop;
// they pack far denser than plain data (a silent 16-bit block of 0x4000 frames in 2 KB).
// Each plays for two seconds before its tone comes in, the 16-bit one (sample 2) first.
inline std::vector<uint8_t> ItQuietLongSamples() {
  ItBuilder b;
  b.compatibleVersion = 0x0215;
  for (bool sixteen : {false, true}) {
    ItSample s;
    s.sixteen = sixteen;
    s.data.assign(sixteen ? 12 * 0x4000 : 6 * 0x8000 + 1, 0);
    // Tones of their own pitch, so they cannot cancel.
    const int cycle = sixteen ? 64 : 40;
    const std::vector<int> tone = Sine(cycle, 2048 / cycle + 1, sixteen ? 12000 : 48);
    std::copy(tone.begin(), tone.end(), s.data.end() - static_cast<long>(tone.size()));
    s.loop = true;
    s.loopEnd = static_cast<int>(s.data.size());
    s.loopBegin = s.loopEnd - cycle * 16;
    s.c5 = 0x18000;  // within the fastest C5 speed linear slides take
    s.compression = sixteen ? ItCompression::k215 : ItCompression::k214;
    b.AddSample(s);
  }
  b.SetRows(0, 32);
  b.At(0, 0, 0) = ItCell{kItC5, 2, -1, 0, 0};
  b.At(0, 6, 1) = ItCell{kItC5, 1, -1, 0, 0};
  b.At(0, 31, 3).effect = 3;  // C00: the song ends
  return b.Bytes();
}

// The sample the Ogg Vorbis XM test stores both ways: 16-bit, a 0.4 s chord that decays.
constexpr char kOggSampleFile[] = "xm_ogg.sample";
inline std::vector<int> OggTwinSample() {
  std::vector<int> v(8800);
  for (size_t i = 0; i < v.size(); ++i) {
    const double t = static_cast<double>(i) / 8363, fade = 1.0 - static_cast<double>(i) / v.size();
    v[i] = static_cast<int>(std::lround(9000 * fade * (std::sin(2 * kPi * 261.6 * t) + std::sin(2 * kPi * 329.6 * t))));
  }
  return v;
}

inline const std::vector<EffectModule>& All() {
  static const std::vector<EffectModule> modules = {
      {"mod_arpeggio", ".mod", kPitch, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1);
         ModRows(b, 0, 7, 0x0, 0x37);
       }); }},
      {"mod_slides", ".mod", kPitch, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1);
         ModRows(b, 1, 4, 0x1, 0x03);
         ModRows(b, 5, 10, 0x2, 0x05);
       }); }},
      {"mod_fine_slides", ".mod", kPitch, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1);
         ModRows(b, 1, 4, 0xE, 0x14);
         ModRows(b, 5, 10, 0xE, 0x26);
       }); }},
      {"mod_tone_portamento", ".mod", kPitch, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1);
         b.Note(0, 4, 0, AmigaPeriod(3, 0), 0, 0x3, 0x08);
         ModRows(b, 5, 9, 0x3, 0x00);
         b.Note(0, 10, 0, AmigaPeriod(1, 7), 0, 0x5, 0x00);
         ModRows(b, 11, 13, 0x5, 0x00);
       }); }},
      {"mod_vibrato", ".mod", kPitch, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1, 0x4, 0x48);
         ModRows(b, 1, 6, 0x4, 0x00);
         ModRows(b, 7, 12, 0x6, 0x00);
       }); }},
      {"mod_finetune", ".mod", kPitch,
       "E5 changes the sample itself; in openmpt123 (as in ProTracker) the next sample number undoes it", [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1);
         b.Effect(0, 2, 0, 0xE, 0x57);
         b.Note(0, 4, 0, kC2, 1);
         b.Effect(0, 6, 0, 0xE, 0x5A);
         b.Note(0, 8, 0, kC2, 1);
       }); }},
      {"mod_volume", ".mod", kLoudness, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1, 0xC, 0x30);
         ModRows(b, 1, 3, 0xA, 0x03);
         ModRows(b, 4, 5, 0xA, 0x20);
         b.Effect(0, 6, 0, 0xC, 0x10);
         ModRows(b, 7, 8, 0xE, 0xA8);
         ModRows(b, 9, 10, 0xE, 0xB4);
         b.Effect(0, 11, 0, 0xC, 0x40);
         b.Effect(0, 12, 0, 0xE, 0xC3);
       }); }},
      {"mod_tremolo", ".mod", kLoudness, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1, 0x7, 0x6C);
         ModRows(b, 1, 7, 0x7, 0x00);
         b.Note(0, 8, 0, kC2, 1, 0xC, 0x20);
       }); }},
      {"mod_offset_retrigger_delay", ".mod", kLoudness, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 2);
         b.Note(0, 2, 0, kC2, 2, 0x9, 0x18);
         b.Note(0, 4, 0, kC2, 2, 0x9, 0x00);
         b.Note(0, 6, 0, kC2, 2, 0xE, 0x92);
         b.Note(0, 8, 0, kC2, 2, 0xE, 0xD3);
         b.Note(0, 10, 0, kC2, 2, 0x5, 0x04);
       }); }},
      {"mod_jump_break", ".mod", kLength, nullptr, [] {
         ModBuilder b = ModSong();
         b.SetOrders({0, 1, 2});
         b.Note(0, 0, 0, kC2, 1);
         b.Effect(0, 3, 0, 0xB, 2);
         b.Effect(2, 5, 0, 0xD, 0x12);
         b.Effect(1, 0, 0, 0xF, 0x03);
         b.Effect(2, 20, 1, 0xB, 0x7F);  // past the song's end: it finishes
         return b.Bytes();
       }},
      {"mod_loop_delay_speed", ".mod", kLength, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1, 0xF, 0x04);
         b.Effect(0, 2, 0, 0xE, 0x60);
         b.Effect(0, 5, 0, 0xE, 0x62);
         b.Effect(0, 6, 0, 0xE, 0xE2);
         b.Effect(0, 7, 1, 0xF, 0x50);
         b.Effect(0, 8, 0, 0xE, 0xE1);
         b.Effect(0, 8, 1, 0xF, 0x09);
       }); }},
      {"mod_speed_zero", ".mod", kLength, "F00 ends the song here; openmpt123 plays on", [] {
         return ModWith([](ModBuilder& b) {
           b.Note(0, 0, 0, kC2, 1);
           b.Effect(0, 6, 1, 0xF, 0x00);
         });
       }},
      {"s3m_speed_tempo_break", ".s3m", kLength, nullptr, [] {
         S3mBuilder b = S3mSong();
         b.SetOrders({0, 254, 1, 255});
         b.Note(0, 0, 0, kS3mC4, 1, Fx('A'), 3);
         b.Effect(0, 4, 0, Fx('T'), 0x50);
         b.Effect(0, 6, 0, Fx('S'), 0xE2);
         b.Effect(0, 8, 0, Fx('C'), 0x10);
         b.Effect(1, 10, 0, Fx('S'), 0xB0);
         b.Effect(1, 12, 0, Fx('S'), 0xB2);
         b.Effect(1, 14, 0, Fx('B'), 5);
         return b.Bytes();
       }},
      {"s3m_volume_slides", ".s3m", kLoudness, nullptr, [] { return S3mWith([](S3mBuilder& b) {
         b.Note(0, 0, 0, kS3mC4, 1);
         S3mRows(b, 1, 2, 'D', 0x04);
         S3mRows(b, 3, 4, 'D', 0x30);
         b.Effect(0, 5, 0, Fx('D'), 0xF8);
         b.Effect(0, 6, 0, Fx('D'), 0x4F);
         b.Effect(0, 7, 0, Fx('D'), 0x00);
         S3mRows(b, 8, 9, 'D', 0x0F);
         b.Note(0, 10, 0, -1, 0, Fx('D'), 0xF0, 40);
         b.Effect(0, 11, 0, Fx('V'), 0x20);
         b.Note(0, 12, 0, kS3mC4, 1, 0, 0, 50);
         b.Effect(0, 13, 0, Fx('S'), 0xC2);
       }); }},
      {"s3m_fast_slides", ".s3m", kLoudness, nullptr, [] {
         S3mBuilder b = S3mSong();
         b.flags = 0x40;
         b.Note(0, 0, 0, kS3mC4, 1);
         S3mRows(b, 1, 4, 'D', 0x06);
         S3mRows(b, 5, 8, 'D', 0x50);
         return b.Bytes();
       }},
      {"s3m_tremor", ".s3m", kLoudness, nullptr, [] { return S3mWith([](S3mBuilder& b) {
         b.Note(0, 0, 0, kS3mC4, 1, Fx('I'), 0x21);
         S3mRows(b, 1, 5, 'I', 0x00);
         b.Note(0, 8, 0, kS3mC4, 1, Fx('I'), 0x12);
       }); }},
      {"s3m_tremolo", ".s3m", kLoudness, "openmpt123's S3M tremolo is half as deep; the engine's depth is MOD's",
       [] { return S3mWith([](S3mBuilder& b) {
         b.Note(0, 0, 0, kS3mC4, 1, Fx('R'), 0x6C);
         S3mRows(b, 1, 5, 'R', 0x00);
       }); }},
      {"s3m_offset_retrigger_delay", ".s3m", kLoudness, nullptr, [] { return S3mWith([](S3mBuilder& b) {
         b.Note(0, 0, 0, kS3mC4, 2);
         b.Note(0, 2, 0, kS3mC4, 2, Fx('O'), 0x18);
         b.Note(0, 4, 0, kS3mC4, 2, Fx('Q'), 0x02);
         b.Note(0, 6, 0, kS3mC4, 2, Fx('Q'), 0x83);
         b.Note(0, 8, 0, kS3mC4, 2, Fx('S'), 0xD3);
         b.Note(0, 10, 0, 254, 0);
         b.Note(0, 12, 0, kS3mC4, 2);
       }); }},
      {"s3m_slides", ".s3m", kPitch, nullptr, [] { return S3mWith([](S3mBuilder& b) {
         b.Note(0, 0, 0, kS3mC4, 1);
         S3mRows(b, 1, 2, 'E', 0x06);
         S3mRows(b, 3, 4, 'F', 0x04);
         b.Effect(0, 5, 0, Fx('F'), 0xF6);
         b.Effect(0, 6, 0, Fx('E'), 0xE8);
         b.Effect(0, 7, 0, Fx('E'), 0x00);
         b.Effect(0, 8, 0, Fx('F'), 0x00);
       }); }},
      {"s3m_portamento", ".s3m", kPitch, nullptr, [] { return S3mWith([](S3mBuilder& b) {
         b.Note(0, 0, 0, kS3mC4, 1);
         b.Note(0, 3, 0, S3mNote(5, 0), 0, Fx('G'), 0x10);
         S3mRows(b, 4, 6, 'G', 0x00);
         b.Note(0, 7, 0, S3mNote(4, 7), 0, Fx('L'), 0x02);
         S3mRows(b, 8, 10, 'L', 0x00);
       }); }},
      {"s3m_vibrato_arpeggio", ".s3m", kPitch, nullptr, [] { return S3mWith([](S3mBuilder& b) {
         b.Note(0, 0, 0, kS3mC4, 1, Fx('H'), 0x46);
         S3mRows(b, 1, 3, 'H', 0x00);
         S3mRows(b, 4, 6, 'U', 0x4C);
         S3mRows(b, 7, 8, 'K', 0x00);
         S3mRows(b, 9, 12, 'J', 0x47);
       }); }},
      {"xm_envelope_fade", ".xm", kLoudness, nullptr, [] {
         XmInstrument ins = XmTone();
         ins.volume.points = {{0, 64}, {8, 24}, {16, 48}, {30, 8}};
         ins.volume.type = 1 | 2;
         ins.volume.sustain = 2;
         ins.fadeOut = 1500;
         XmBuilder b = XmSong(ins);
         b.At(0, 0, 0) = XmCell{kXmC4, 1, 0, 0, 0};
         b.At(0, 6, 0).note = 97;
         b.At(0, 10, 0) = XmCell{kXmC4, 1, 0x30, 0, 0};
         b.At(0, 12, 0).effect = 20;  // K: key off
         return b.Bytes();
       }},
      {"xm_linear_pitch", ".xm", kPitch, nullptr, [] {
         XmBuilder b = XmSong();
         b.At(0, 0, 0) = XmCell{kXmC4, 1, 0, 0, 0};
         XmRows(b, 1, 2, 0x1, 0x04);
         XmRows(b, 3, 4, 0x2, 0x06);
         b.At(0, 5, 0) = XmCell{kXmC4 + 7, 0, 0, 0x3, 0x10};
         XmRows(b, 6, 7, 0x3, 0x00);
         return b.Bytes();
       }},
      {"xm_vibrato_arpeggio", ".xm", kPitch,
       "FastTracker 2, and openmpt123 after it, starts a vibrato downwards and plays an arpeggio's notes y before x; "
       "the engine starts upwards and plays x first", [] {
         XmBuilder b = XmSong();
         b.At(0, 0, 0) = XmCell{kXmC4, 1, 0, 0x4, 0x48};
         XmRows(b, 1, 3, 0x4, 0x00);
         XmRows(b, 4, 7, 0x0, 0x47);
         return b.Bytes();
       }},
      {"xm_amiga_pitch", ".xm", kPitch, nullptr, [] {
         XmBuilder b = XmSong();
         b.linear = false;
         b.At(0, 0, 0) = XmCell{kXmC4, 1, 0, 0, 0};
         XmRows(b, 1, 2, 0x1, 0x03);
         XmRows(b, 3, 4, 0x2, 0x05);
         b.At(0, 5, 0) = XmCell{kXmC4 - 5, 0, 0, 0x3, 0x08};
         XmRows(b, 6, 8, 0x3, 0x00);
         return b.Bytes();
       }},
      {"it_nna_envelope", ".it", kLoudness, nullptr, [] {
         ItBuilder b = ItSong();
         b.instrumentMode = true;
         ItInstrument ins;
         ins.newNoteAction = 3;  // note fade
         ins.fadeOut = 64;
         ins.volume.flags = 1 | 4;
         ins.volume.nodes = {{0, 64}, {6, 20}, {12, 40}, {24, 0}};
         ins.volume.sustainStart = ins.volume.sustainEnd = 2;
         b.AddInstrument(ins);
         b.At(0, 0, 0) = ItCell{kItC5, 1, -1, 0, 0};
         b.At(0, 4, 0) = ItCell{kItC5 + 7, 1, 40, 0, 0};
         b.At(0, 8, 0).note = 255;
         b.At(0, 11, 0) = ItCell{kItC5, 1, -1, 0, 0};
         b.At(0, 13, 0).note = 254;
         return b.Bytes();
       }},
      {"it_quiet_long_samples", ".it", kLoudness, nullptr, ItQuietLongSamples},
      {"it_pitch_compressed", ".it", kPitch, nullptr, [] {
         ItBuilder b = ItSong(ItCompression::k215);
         b.compatibleVersion = 0x0215;
         b.At(0, 0, 0) = ItCell{kItC5, 1, -1, 0, 0};
         ItRows(b, 1, 2, 'F', 0x04);
         ItRows(b, 3, 4, 'E', 0x06);
         b.At(0, 5, 0) = ItCell{kItC5 + 7, 1, -1, 'G' - 'A' + 1, 0x10};
         ItRows(b, 6, 7, 'G', 0x00);
         ItRows(b, 8, 10, 'H', 0x48);
         ItRows(b, 11, 13, 'J', 0x47);
         return b.Bytes();
       }},
  };
  return modules;
}

}  // namespace effectmods
