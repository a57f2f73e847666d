#pragma once
// Helpers of the AIFF and sample-bank tests: their fixture files, banks written byte by
// byte from the bank layout, IMA ADPCM re-blocked from sox's WAV encoding into the
// banks' 36-byte blocks, and a stream unit that keeps every half the stream fills.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "BankFixtures.h"
#include "StreamTestSupport.h"
#include "TestFiles.h"
#include "aural_dsp.h"
#include "aural_stream.h"

namespace banktest {

inline std::string Path(const char* file) { return std::string(BankFixtures::kDirectory) + file; }

inline std::string Bytes(const char* file) { return soundtest::FixtureBytes(BankFixtures::kDirectory, file); }

inline std::vector<int16_t> Raw16(const std::string& b) {
  std::vector<int16_t> v(b.size() / 2);
  std::memcpy(v.data(), b.data(), v.size() * 2);
  return v;
}

// The first byte at which `a` differs from `b` (within `b`), or b's size.
inline size_t FirstDifference(const std::string& a, const std::string& b) {
  size_t i = 0;
  while (i < b.size() && i < a.size() && a[i] == b[i]) ++i;
  return i;
}

// One entry of a bank as its header describes it.
struct Entry {
  std::string name;
  uint32_t mode = 0;
  int32_t rate = 22050;
  uint16_t volume = 255, priority = 128;
  int16_t pan = 128;
  uint16_t channels = 1;
  uint32_t loopStart = 0, loopEnd = 0;
  uint32_t length = 0;             // samples
  int32_t minDistance = 256, maxDistance = 256000;
  std::string data;
  std::vector<std::pair<uint32_t, std::string>> sync;
  int32_t headerSizeDelta = 0;     // written into the header's own size (lying banks)
};

constexpr uint32_t kHasSync = 0x80000000;

inline std::string FullHeader(const Entry& e, int32_t version) {
  using streamtest::Put16;
  using streamtest::Put32;
  std::string h;
  const bool large = version == 0x30001;
  std::string name = e.name;
  name.resize(30, '\0');
  Put16(h, 0);  // its size, below
  h += name;
  Put32(h, e.length);
  Put32(h, static_cast<uint32_t>(e.data.size()));
  Put32(h, e.loopStart);
  Put32(h, e.loopEnd);
  Put32(h, e.mode | (e.sync.empty() ? 0 : kHasSync));
  Put32(h, static_cast<uint32_t>(e.rate));
  Put16(h, e.volume);
  Put16(h, static_cast<uint16_t>(e.pan));
  Put16(h, e.priority);
  Put16(h, e.channels);
  Put32(h, static_cast<uint32_t>(e.minDistance));
  Put32(h, static_cast<uint32_t>(e.maxDistance));
  if (large) h.append(16, '\0');
  if (!e.sync.empty()) {
    h += "SYNC";
    Put32(h, static_cast<uint32_t>(e.sync.size()));
    for (const auto& p : e.sync) {
      Put32(h, p.first);
      std::string label = p.second;
      label.resize(256, '\0');
      h += label;
    }
  }
  const uint16_t size = static_cast<uint16_t>(h.size() + e.headerSizeDelta);
  h[0] = static_cast<char>(size);
  h[1] = static_cast<char>(size >> 8);
  return h;
}

// A bank: "SBK2" (16-byte header) or "SBK3" with `version` and `flags`; with flag 2 the
// entries after the first get basic headers.
inline std::string BuildBank(const std::vector<Entry>& entries, bool v3 = true, int32_t version = 0,
                             uint32_t flags = 0) {
  using streamtest::Put32;
  std::string headers, data;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i > 0 && (flags & 2)) {
      Put32(headers, entries[i].length);
      Put32(headers, static_cast<uint32_t>(entries[i].data.size()));
    } else {
      headers += FullHeader(entries[i], version);
    }
    data += entries[i].data;
  }
  std::string bank = v3 ? "SBK3" : "SBK2";
  Put32(bank, static_cast<uint32_t>(entries.size()));
  Put32(bank, static_cast<uint32_t>(headers.size()));
  Put32(bank, static_cast<uint32_t>(data.size()));
  if (v3) {
    Put32(bank, static_cast<uint32_t>(version));
    Put32(bank, flags);
  }
  return bank + headers + data;
}

// IMA ADPCM in the banks' layout: per 64 samples 36 bytes per channel (two channels in
// one 72-byte block of 4-byte groups, more in one block per channel), with the samples
// sox decodes from it.
struct Ima36 {
  std::string data;
  std::vector<int16_t> reference;  // interleaved
  uint32_t frames = 0;
};

// Cuts sox's WAV blocks (505 samples each) into 36-byte blocks: each starts where sox's
// decoding stands (the header takes sox's sample and the step index its nibbles lead
// to) and carries sox's next 63 nibbles, so it decodes to exactly sox's samples.
inline Ima36 ReblockIma(const std::string& wav, const std::vector<int16_t>& soxDecoded, int channels,
                        bool multiChannel) {
  static const int kIndex[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};
  constexpr int kSoxFrames = 505, kNibbles = 504, kOut = 64;
  const auto d = streamtest::DataChunk(wav);
  const int blockAlign = 256 * channels;
  Ima36 out;
  for (size_t b = 0; (b + 1) * blockAlign <= d.second; ++b) {
    const auto* block = reinterpret_cast<const uint8_t*>(wav.data() + d.first + b * blockAlign);
    std::vector<std::vector<int>> nib(channels), index(channels);
    for (int c = 0; c < channels; ++c) {
      for (int n = 0; n < kNibbles; ++n) {
        const uint8_t byte = block[4 * channels + (n / 8) * 4 * channels + 4 * c + (n % 8) / 2];
        nib[c].push_back((n & 1) ? byte >> 4 : byte & 0xF);
      }
      index[c].push_back(block[4 * c + 2]);
      for (int n = 0; n < kNibbles; ++n) {
        const int next = index[c].back() + kIndex[nib[c][n]];
        index[c].push_back(next < 0 ? 0 : next > 88 ? 88 : next);
      }
    }
    for (int p = 0; p + kOut <= kSoxFrames; p += kOut) {
      const size_t first = b * kSoxFrames + p;
      std::vector<std::string> part(channels);
      for (int c = 0; c < channels; ++c) {
        const int16_t start = soxDecoded[first * channels + c];
        part[c] += static_cast<char>(start);
        part[c] += static_cast<char>(start >> 8);
        part[c] += static_cast<char>(index[c][p]);
        part[c] += '\0';
      }
      auto nibbleAt = [&](int c, int k) { return k < 63 ? nib[c][p + k] : 0; };
      if (channels == 2 && !multiChannel) {
        std::string blockOut = part[0] + part[1];
        for (int g = 0; g < 8; ++g)
          for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 4; ++i)
              blockOut += static_cast<char>(nibbleAt(c, g * 8 + 2 * i) | nibbleAt(c, g * 8 + 2 * i + 1) << 4);
        out.data += blockOut;
      } else {
        for (int c = 0; c < channels; ++c) {
          for (int i = 0; i < 32; ++i) part[c] += static_cast<char>(nibbleAt(c, 2 * i) | nibbleAt(c, 2 * i + 1) << 4);
          out.data += part[c];
        }
      }
      out.reference.insert(out.reference.end(), soxDecoded.begin() + first * channels,
                           soxDecoded.begin() + (first + kOut) * channels);
      out.frames += kOut;
    }
  }
  return out;
}

// A unit in a stream's own list that keeps the bytes of each half the stream fills.
struct HalfCapture {
  SoundDspUnit unit = {};
  std::string bytes;
  int frameBytes = 2;
  static void* Callback(void* block, void* previous, int length, void* user) {
    auto* self = static_cast<HalfCapture*>(user);
    self->bytes.append(static_cast<const char*>(previous), static_cast<size_t>(length) * self->frameBytes);
    EXPECT_EQ(block, previous) << "the first unit gets the half itself";
    return previous;
  }
  void Attach(SoundStream* s, int bytesPerFrame) {
    frameBytes = bytesPerFrame;
    unit.callback = Callback;
    unit.userData = this;
    unit.active = 1;
    SoundLink_InsertBefore(&s->dspUnits, &unit.link);
    // The open filled the first half already: the unit sees it filled again.
    EXPECT_TRUE(AuralStream_SetTime(s, 0));
  }
  std::vector<int16_t> Values16() const { return Raw16(bytes); }
};

}  // namespace banktest
