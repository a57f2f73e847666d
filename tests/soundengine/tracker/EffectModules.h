#pragma once
// One small module per effect: the tests play them through the engine and the reference
// step hands the same bytes to openmpt123. What each one shows decides how it is compared:
// its pitch over time, its loudness over time, or only its length.
#include <functional>
#include <vector>

#include "ModuleBuilder.h"

namespace effectmods {

using namespace modbuild;

enum Measure { kPitch, kLoudness, kLength };

struct EffectModule {
  const char* name;   // also the file name, with ".mod" or ".s3m"
  bool s3m;
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

inline const std::vector<EffectModule>& All() {
  static const std::vector<EffectModule> modules = {
      {"mod_arpeggio", false, kPitch, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1);
         ModRows(b, 0, 7, 0x0, 0x37);
       }); }},
      {"mod_slides", false, kPitch, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1);
         ModRows(b, 1, 4, 0x1, 0x03);
         ModRows(b, 5, 10, 0x2, 0x05);
       }); }},
      {"mod_fine_slides", false, kPitch, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1);
         ModRows(b, 1, 4, 0xE, 0x14);
         ModRows(b, 5, 10, 0xE, 0x26);
       }); }},
      {"mod_tone_portamento", false, kPitch, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1);
         b.Note(0, 4, 0, AmigaPeriod(3, 0), 0, 0x3, 0x08);
         ModRows(b, 5, 9, 0x3, 0x00);
         b.Note(0, 10, 0, AmigaPeriod(1, 7), 0, 0x5, 0x00);
         ModRows(b, 11, 13, 0x5, 0x00);
       }); }},
      {"mod_vibrato", false, kPitch, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1, 0x4, 0x48);
         ModRows(b, 1, 6, 0x4, 0x00);
         ModRows(b, 7, 12, 0x6, 0x00);
       }); }},
      {"mod_finetune", false, kPitch,
       "E5 changes the sample itself; in openmpt123 (as in ProTracker) the next sample number undoes it", [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1);
         b.Effect(0, 2, 0, 0xE, 0x57);
         b.Note(0, 4, 0, kC2, 1);
         b.Effect(0, 6, 0, 0xE, 0x5A);
         b.Note(0, 8, 0, kC2, 1);
       }); }},
      {"mod_volume", false, kLoudness, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1, 0xC, 0x30);
         ModRows(b, 1, 3, 0xA, 0x03);
         ModRows(b, 4, 5, 0xA, 0x20);
         b.Effect(0, 6, 0, 0xC, 0x10);
         ModRows(b, 7, 8, 0xE, 0xA8);
         ModRows(b, 9, 10, 0xE, 0xB4);
         b.Effect(0, 11, 0, 0xC, 0x40);
         b.Effect(0, 12, 0, 0xE, 0xC3);
       }); }},
      {"mod_tremolo", false, kLoudness, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1, 0x7, 0x6C);
         ModRows(b, 1, 7, 0x7, 0x00);
         b.Note(0, 8, 0, kC2, 1, 0xC, 0x20);
       }); }},
      {"mod_offset_retrigger_delay", false, kLoudness, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 2);
         b.Note(0, 2, 0, kC2, 2, 0x9, 0x18);
         b.Note(0, 4, 0, kC2, 2, 0x9, 0x00);
         b.Note(0, 6, 0, kC2, 2, 0xE, 0x92);
         b.Note(0, 8, 0, kC2, 2, 0xE, 0xD3);
         b.Note(0, 10, 0, kC2, 2, 0x5, 0x04);
       }); }},
      {"mod_jump_break", false, kLength, nullptr, [] {
         ModBuilder b = ModSong();
         b.SetOrders({0, 1, 2});
         b.Note(0, 0, 0, kC2, 1);
         b.Effect(0, 3, 0, 0xB, 2);
         b.Effect(2, 5, 0, 0xD, 0x12);
         b.Effect(1, 0, 0, 0xF, 0x03);
         b.Effect(2, 20, 1, 0xB, 0x7F);  // past the song's end: it finishes
         return b.Bytes();
       }},
      {"mod_loop_delay_speed", false, kLength, nullptr, [] { return ModWith([](ModBuilder& b) {
         b.Note(0, 0, 0, kC2, 1, 0xF, 0x04);
         b.Effect(0, 2, 0, 0xE, 0x60);
         b.Effect(0, 5, 0, 0xE, 0x62);
         b.Effect(0, 6, 0, 0xE, 0xE2);
         b.Effect(0, 7, 1, 0xF, 0x50);
         b.Effect(0, 8, 0, 0xE, 0xE1);
         b.Effect(0, 8, 1, 0xF, 0x09);
       }); }},
      {"mod_speed_zero", false, kLength, "F00 ends the song here; openmpt123 plays on", [] {
         return ModWith([](ModBuilder& b) {
           b.Note(0, 0, 0, kC2, 1);
           b.Effect(0, 6, 1, 0xF, 0x00);
         });
       }},
      {"s3m_speed_tempo_break", true, kLength, nullptr, [] {
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
      {"s3m_volume_slides", true, kLoudness, nullptr, [] { return S3mWith([](S3mBuilder& b) {
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
      {"s3m_fast_slides", true, kLoudness, nullptr, [] {
         S3mBuilder b = S3mSong();
         b.flags = 0x40;
         b.Note(0, 0, 0, kS3mC4, 1);
         S3mRows(b, 1, 4, 'D', 0x06);
         S3mRows(b, 5, 8, 'D', 0x50);
         return b.Bytes();
       }},
      {"s3m_tremor", true, kLoudness, nullptr, [] { return S3mWith([](S3mBuilder& b) {
         b.Note(0, 0, 0, kS3mC4, 1, Fx('I'), 0x21);
         S3mRows(b, 1, 5, 'I', 0x00);
         b.Note(0, 8, 0, kS3mC4, 1, Fx('I'), 0x12);
       }); }},
      {"s3m_tremolo", true, kLoudness, "openmpt123's S3M tremolo is half as deep; the engine's depth is MOD's",
       [] { return S3mWith([](S3mBuilder& b) {
         b.Note(0, 0, 0, kS3mC4, 1, Fx('R'), 0x6C);
         S3mRows(b, 1, 5, 'R', 0x00);
       }); }},
      {"s3m_offset_retrigger_delay", true, kLoudness, nullptr, [] { return S3mWith([](S3mBuilder& b) {
         b.Note(0, 0, 0, kS3mC4, 2);
         b.Note(0, 2, 0, kS3mC4, 2, Fx('O'), 0x18);
         b.Note(0, 4, 0, kS3mC4, 2, Fx('Q'), 0x02);
         b.Note(0, 6, 0, kS3mC4, 2, Fx('Q'), 0x83);
         b.Note(0, 8, 0, kS3mC4, 2, Fx('S'), 0xD3);
         b.Note(0, 10, 0, 254, 0);
         b.Note(0, 12, 0, kS3mC4, 2);
       }); }},
      {"s3m_slides", true, kPitch, nullptr, [] { return S3mWith([](S3mBuilder& b) {
         b.Note(0, 0, 0, kS3mC4, 1);
         S3mRows(b, 1, 2, 'E', 0x06);
         S3mRows(b, 3, 4, 'F', 0x04);
         b.Effect(0, 5, 0, Fx('F'), 0xF6);
         b.Effect(0, 6, 0, Fx('E'), 0xE8);
         b.Effect(0, 7, 0, Fx('E'), 0x00);
         b.Effect(0, 8, 0, Fx('F'), 0x00);
       }); }},
      {"s3m_portamento", true, kPitch, nullptr, [] { return S3mWith([](S3mBuilder& b) {
         b.Note(0, 0, 0, kS3mC4, 1);
         b.Note(0, 3, 0, S3mNote(5, 0), 0, Fx('G'), 0x10);
         S3mRows(b, 4, 6, 'G', 0x00);
         b.Note(0, 7, 0, S3mNote(4, 7), 0, Fx('L'), 0x02);
         S3mRows(b, 8, 10, 'L', 0x00);
       }); }},
      {"s3m_vibrato_arpeggio", true, kPitch, nullptr, [] { return S3mWith([](S3mBuilder& b) {
         b.Note(0, 0, 0, kS3mC4, 1, Fx('H'), 0x46);
         S3mRows(b, 1, 3, 'H', 0x00);
         S3mRows(b, 4, 6, 'U', 0x4C);
         S3mRows(b, 7, 8, 'K', 0x00);
         S3mRows(b, 9, 12, 'J', 0x47);
       }); }},
  };
  return modules;
}

}  // namespace effectmods
