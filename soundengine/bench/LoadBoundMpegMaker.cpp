// MPEG audio files for the structure-aware generators: a real encoder's frames (lame's)
// repeated to the length wanted, behind an ID3v2 tag of up to 100,000 frames and with a
// Xing/Info frame, an ID3v1 block or a RIFF wrapper; frame headers, the Info counts and
// the tag and frame sizes are the fields.
#include <algorithm>
#include <vector>

#include "LoadBoundMakers.h"

namespace structured {

namespace {

constexpr size_t kMostFileBytes = 3900000;

// Bytes of the layer II/III frame whose header is at `p` (0 for no header).
size_t FrameBytes(const uint8_t* p) {
  static const int kBitrates[2][3][16] = {
      {{0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},   // MPEG-1 layer I
       {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},   // layer II
       {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},   // layer III
      {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
  static const int kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return 0;
  const int version = (p[1] >> 3) & 3, layer = 4 - ((p[1] >> 1) & 3);
  const int bitrate = (p[2] >> 4) & 15, rateIndex = (p[2] >> 2) & 3, padding = (p[2] >> 1) & 1;
  if (version == 1 || layer < 2 || layer > 3 || rateIndex == 3) return 0;
  const int kbps = kBitrates[version == 3 ? 0 : 1][layer - 1][bitrate], rate = kRates[version][rateIndex];
  if (kbps == 0 || rate == 0) return 0;
  const int perFrame = layer == 3 && version != 3 ? 72000 : 144000;
  return static_cast<size_t>(perFrame * kbps / rate + padding);
}

std::vector<std::string> Frames(const std::string& mp3) {
  std::vector<std::string> frames;
  const auto* b = reinterpret_cast<const uint8_t*>(mp3.data());
  for (size_t at = 0; at + 4 <= mp3.size();) {
    const size_t n = FrameBytes(b + at);
    if (n == 0 || at + n > mp3.size()) {
      ++at;
      continue;
    }
    frames.push_back(mp3.substr(at, n));
    at += n;
  }
  return frames;
}

void SyncSafe(FieldFile& f, uint32_t v, const char* name) {
  const uint32_t s = (v & 0x7F) | (v & 0x3F80) << 1 | (v & 0x1FC000) << 2 | (v & 0xFE00000) << 3;
  f.Be(s, 4, name);
}

// An ID3v2 tag of `frames` frames (a byte of text each, or a few more), with a footer
// when asked for.
void Id3v2(FieldFile& f, std::mt19937& rng, uint32_t frames, bool footer) {
  const int major = 2 + static_cast<int>(rng() % 3);
  const size_t start = f.Size();
  f.Raw("ID3");
  f.Le(major, 1, "ID3 version");
  f.Le(0, 1);
  f.Le(footer ? 0x10 : 0, 1, "ID3 flags");
  const size_t size = f.Size();
  SyncSafe(f, 0, "ID3 size");
  for (uint32_t i = 0; i < frames; ++i) {
    const bool noted = i < 3;
    const uint32_t bytes = rng() % 8 ? 1 : 1 + rng() % 40;
    static const char* const kIds[] = {"TIT2", "TPE1", "TXXX", "COMM", "PRIV"};
    const std::string id = kIds[rng() % 5];
    if (major == 2) {
      f.Raw(id.substr(0, 3));
      f.Be(bytes, 3, noted ? "ID3 frame size" : nullptr);
    } else {
      f.Raw(id);
      if (major == 4)
        SyncSafe(f, bytes, noted ? "ID3 frame size" : nullptr);
      else
        f.Be(bytes, 4, noted ? "ID3 frame size" : nullptr);
      f.Be(0, 2);
    }
    f.Raw(std::string(1, '\0') + std::string(bytes - 1, static_cast<char>('a' + i % 26)));
  }
  const uint32_t body = static_cast<uint32_t>(f.Size() - start - 10);
  const uint32_t s = (body & 0x7F) | (body & 0x3F80) << 1 | (body & 0x1FC000) << 2 | (body & 0xFE00000) << 3;
  f.PatchBe(size, s, 4);
  if (footer) {
    f.Raw("3DI");
    f.Le(major, 1), f.Le(0, 1), f.Le(0x10, 1);
    f.Be(s, 4, "ID3 footer size");
  }
}

void Id3v1(FieldFile& f) {
  FieldFile b;
  b.Raw("TAG");
  b.Text("Title", 30), b.Text("Artist", 30), b.Text("Album", 30), b.Text("2024", 4), b.Text("Comment", 28);
  b.Raw(std::string("\0\x07\x0C", 3));
  f.Raw(b.bytes);
}

}  // namespace

FieldFile MakeMp3(std::mt19937& rng, const Seeds& seeds) {
  static const std::vector<std::string> kFrames = Frames(seeds.mp3);
  FieldFile f;
  if (kFrames.empty()) return f;
  const bool riff = rng() % 8 == 0;
  size_t riffSize = 0, dataSize = 0;
  if (riff) {
    f.Raw("RIFF");
    riffSize = f.Le(0, 4, "RIFF size");
    f.Raw("WAVEfmt ");
    f.Le(30, 4, "fmt size");
    f.Le(0x55, 2, "format tag");
    f.Le(2, 2, "channels");
    f.Le(22050, 4, "rate");
    f.Le(8000, 4);
    f.Le(1, 2, "block align");
    f.Le(0, 2);
    f.Le(12, 2, "extra size");
    f.Le(1, 2), f.Le(2, 4), f.Le(209, 2), f.Le(1, 2), f.Le(0, 2);
    f.Raw("data");
    dataSize = f.Le(0, 4, "data size");
  }
  const size_t dataStart = f.Size();
  if (!riff && rng() % 2) Id3v2(f, rng, LogCount(rng, 100000), rng() % 8 == 0);
  if (rng() % 5 == 0) f.Raw(Wave(rng() % 1500, rng()));  // what lies before the first frame
  const size_t left = f.Size() < kMostFileBytes ? kMostFileBytes - f.Size() : 0;
  const uint32_t count = std::min<uint32_t>(LogCount(rng, 20000), static_cast<uint32_t>(left / 420 + 1));
  // The encoder's first frame is its Info frame: kept (its counts are fields) or not.
  const bool info = kFrames.size() > 1 && kFrames[0].find("Info") != std::string::npos && rng() % 2;
  for (uint32_t i = 0; i < count; ++i) {
    const std::string& frame = info && i == 0 ? kFrames[0] : kFrames[1 + (i % (kFrames.size() - 1))];
    const size_t at = f.Size();
    uint32_t header = 0;
    for (int b = 0; b < 4; ++b) header = header << 8 | static_cast<uint8_t>(frame[b]);
    f.Be(header, 4, i < 3 ? "frame header" : nullptr);
    f.Raw(frame.substr(4));
    if (info && i == 0) {
      const size_t tag = f.bytes.find("Info", at);
      if (tag != std::string::npos && tag + 16 <= f.Size()) {
        f.fields.push_back({tag + 4, 4, true, 0, 0, "Info flags"});
        f.fields.push_back({tag + 8, 4, true, 0, count, "Info frames"});
        f.fields.push_back({tag + 12, 4, true, 0, 0, "Info bytes"});
      }
    }
  }
  if (riff) {
    f.PatchLe(dataSize, f.Size() - dataStart, 4);
    f.PatchLe(riffSize, f.Size() - 8, 4);
  } else if (rng() % 3 == 0) {
    Id3v1(f);
  }
  return f;
}

}  // namespace structured
