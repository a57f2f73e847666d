#pragma once
// The files the load-bound benchmark builds itself: a sample bank, an IT file with
// compressed samples, an AIFF file with markers and a loop, an XM song whose samples are
// a named Ogg Vorbis file, and an embedded-file bank of named sound files.
#include <cstdint>
#include <string>
#include <vector>

#include "XmItBuilder.h"
#include "aural_engine.h"

namespace loadbound {

inline void Le32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
}
inline void Le16(std::string& s, uint16_t v) { Le32(s, v), s.resize(s.size() - 2); }
inline void Be32(std::string& s, uint32_t v) {
  for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>(v >> (8 * i)));
}
inline void Be16(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v >> 8));
  s.push_back(static_cast<char>(v));
}

// One "SBK3" entry header: 22050 Hz, full volume, centred; two sync points when `sync`.
inline std::string BankEntryHeader(uint32_t mode, uint16_t channels, uint32_t frames, uint32_t dataBytes, bool sync) {
  std::string h;
  Le16(h, 0);
  h.append(30, 'n');
  Le32(h, frames);
  Le32(h, dataBytes);
  Le32(h, frames > 10 ? 10 : 0);
  Le32(h, frames > 10 ? frames - 10 : 0);
  Le32(h, mode | (sync ? 0x80000000u : 0));
  Le32(h, 22050);
  Le16(h, 255), Le16(h, 128), Le16(h, 128), Le16(h, channels);
  Le32(h, 256), Le32(h, 256000);
  if (sync) {
    h += "SYNC";
    Le32(h, 2);
    for (uint32_t at : {100u, 900u}) {
      Le32(h, at);
      h += std::string(256, '\0').replace(0, 4, "mark");
    }
  }
  h[0] = static_cast<char>(h.size()), h[1] = static_cast<char>(h.size() >> 8);
  return h;
}

inline std::string BankOf(const std::string& headers, const std::string& data, size_t count, uint32_t flags) {
  std::string bank = "SBK3";
  Le32(bank, static_cast<uint32_t>(count));
  Le32(bank, static_cast<uint32_t>(headers.size()));
  Le32(bank, static_cast<uint32_t>(data.size()));
  Le32(bank, 0);
  Le32(bank, flags);
  return bank + headers + data;
}

// Three entries: 16-bit mono with two sync points, 8-bit stereo, 16-bit stereo; or the
// first alone (a bank that also loads as a sample).
inline std::string Bank(size_t count) {
  struct Entry {
    uint32_t mode;
    uint16_t channels;
    int bytesPerFrame;
    uint32_t frames;
    bool sync;
  } const entries[] = {{SoundMode::Pcm16 | SoundMode::Mono, 1, 2, 3000, true},
                       {SoundMode::Pcm8 | SoundMode::Stereo, 2, 2, 2000, false},
                       {SoundMode::Pcm16 | SoundMode::Stereo, 2, 4, 1500, false}};
  std::string headers, data;
  for (size_t n = 0; n < count; ++n) {
    const Entry& e = entries[n];
    headers += BankEntryHeader(e.mode, e.channels, e.frames, e.frames * e.bytesPerFrame, e.sync);
    for (uint32_t i = 0; i < e.frames * e.bytesPerFrame; ++i) data.push_back(static_cast<char>(i * 37));
  }
  return BankOf(headers, data, count, 0);
}

// A bank whose data are the whole files, one entry each.
inline std::string EmbeddedBank(const std::vector<std::string>& files) {
  constexpr uint32_t kEmbeddedFile = 0x1;
  std::string headers, data;
  for (const std::string& f : files) {
    headers += BankEntryHeader(SoundMode::Pcm16 | SoundMode::Mono, 1, 0, static_cast<uint32_t>(f.size()), false);
    data += f;
  }
  return BankOf(headers, data, files.size(), kEmbeddedFile);
}

// An 8-bit IT 2.14 and a 16-bit IT 2.15 compressed sample, both looping, and four notes.
inline std::string It() {
  xmitbuild::ItBuilder b;
  b.compatibleVersion = 0x0215;
  for (bool sixteen : {false, true}) {
    xmitbuild::ItSample s;
    s.sixteen = sixteen;
    s.compression = sixteen ? xmitbuild::ItCompression::k215 : xmitbuild::ItCompression::k214;
    s.loop = true;
    s.loopEnd = 4000;
    s.data = xmitbuild::Sine(100, 40, sixteen ? 20000 : 100);
    b.AddSample(s);
  }
  for (int row = 0; row < 16; row += 4) b.At(0, row, row / 4 % 2) = xmitbuild::ItCell{60, 1 + row / 4 % 2, 64, 0, 0};
  const std::vector<uint8_t> bytes = b.Bytes();
  return std::string(bytes.begin(), bytes.end());
}

// An XM song of one instrument with the Ogg Vorbis stream as `count` samples, and two notes.
inline std::string XmWithOgg(const std::string& ogg, int count = 2) {
  xmitbuild::XmInstrument ins;
  for (int i = 0; i < count; ++i) {
    xmitbuild::XmSample s;
    s.sixteen = true;
    s.ogg.assign(ogg.begin(), ogg.end());
    ins.samples.push_back(s);
  }
  ins.map.fill(0);
  for (size_t n = 48; n < ins.map.size(); ++n) ins.map[n] = static_cast<uint8_t>(count - 1);
  xmitbuild::XmBuilder b;
  b.AddInstrument(ins);
  b.At(0, 0, 0) = xmitbuild::XmCell{40, 1, 0, 0, 0};
  b.At(0, 8, 1) = xmitbuild::XmCell{60, 1, 0, 0, 0};
  const std::vector<uint8_t> bytes = b.Bytes();
  return std::string(bytes.begin(), bytes.end());
}

inline std::string AiffChunk(const char* id, const std::string& body) {
  std::string c(id, 4);
  Be32(c, static_cast<uint32_t>(body.size()));
  return c + body + (body.size() % 2 ? std::string(1, '\0') : "");
}

// 16-bit stereo at 22050 Hz, an odd "NAME" chunk with its pad byte, two markers and a loop.
inline std::string Aiff() {
  const uint32_t frames = 3000;
  std::string comm;
  Be16(comm, 2);
  Be32(comm, frames);
  Be16(comm, 16);
  comm += std::string("\x40\x0D\xAC\x44\0\0\0\0\0\0", 10);
  std::string mark;
  Be16(mark, 2);
  for (uint16_t id : {7, 3}) {
    Be16(mark, id);
    Be32(mark, id * 300u);
    mark += std::string("\x03" "abc", 4);
  }
  std::string inst(8, '\0');
  Be16(inst, 1);
  Be16(inst, 3);
  Be16(inst, 7);
  inst.append(6, '\0');
  std::string ssnd(8, '\0');
  for (uint32_t i = 0; i < frames * 4; ++i) ssnd.push_back(static_cast<char>(i * 13));
  const std::string body = "AIFF" + AiffChunk("COMM", comm) + AiffChunk("NAME", "Pluck") + AiffChunk("MARK", mark) +
                           AiffChunk("INST", inst) + AiffChunk("SSND", ssnd);
  std::string form = "FORM";
  Be32(form, static_cast<uint32_t>(body.size()));
  return form + body;
}

}  // namespace loadbound
