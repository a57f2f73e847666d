// The structure-aware Ogg Vorbis generator of the load-bound benchmark (OggMutator.h).
#include "OggMutator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "LoadBoundFiles.h"
#include "LoadBounds.h"
#include "LoadPeak.h"
#include "OggPages.h"
#include "VorbisWriter.h"
#include "music_song.h"

namespace oggmutate {
namespace {

using loadbound::kMaxOpenSeconds;
using loadbound::kTimedBelowBytes;
using loadbound::WithinBound;

// Reads Vorbis fields least significant bit first, noting where each one lies.
class FieldReader {
 public:
  FieldReader(Stream* s, size_t packet) : s_(s), packet_(packet), data_(s->packets[packet]) {}
  uint32_t Read(int bits, const char* what = nullptr) {
    if (what && bits > 0) s_->fields.push_back({what, packet_, at_, bits});
    uint32_t v = 0;
    for (int i = 0; i < bits; ++i, ++at_) {
      if (at_ / 8 >= data_.size()) {
        ok_ = false;
        return 0;
      }
      v |= static_cast<uint32_t>((static_cast<uint8_t>(data_[at_ / 8]) >> (at_ % 8)) & 1) << i;
    }
    return v;
  }
  void Skip(uint64_t bits) { at_ += static_cast<size_t>(bits); }
  bool Ok() const { return ok_ && at_ <= data_.size() * 8; }

 private:
  Stream* s_;
  size_t packet_;
  const std::string& data_;
  size_t at_ = 0;
  bool ok_ = true;
};

int BitsOf(uint64_t v) { return vorbiswrite::BitsOf(v); }

// The lattice's values per dimension: the largest v with v^dim <= entries.
uint64_t LatticeValues(uint32_t entries, uint32_t dim) {
  uint64_t v = 0;
  const auto fits = [&](uint64_t c) {
    uint64_t p = 1;
    for (uint32_t i = 0; i < dim && p <= entries; ++i) p *= c;
    return p <= entries;
  };
  while (fits(v + 1) && v <= entries) ++v;
  return v;
}

// The setup header's fields, as far as its layout can be followed.
void ReadSetup(Stream* s) {
  FieldReader r(s, 2);
  r.Skip(56);
  const uint32_t books = r.Read(8, "codebook count") + 1;
  for (uint32_t b = 0; b < books && r.Ok(); ++b) {
    r.Read(24);
    const uint32_t dim = r.Read(16, "codebook dimensions");
    const uint32_t entries = r.Read(24, "codebook entries");
    if (r.Read(1, "codebook ordering")) {
      r.Read(5, "codeword length");
      for (uint32_t i = 0, n = 0; i < entries && n < 33 && r.Ok(); ++n) i += r.Read(BitsOf(entries - i), "codeword run");
    } else {
      const bool sparse = r.Read(1, "codebook sparseness");
      for (uint32_t i = 0; i < entries && r.Ok(); ++i)
        if (!sparse || r.Read(1, i < 2 ? "codeword used" : nullptr)) r.Read(5, i < 2 ? "codeword length" : nullptr);
    }
    const uint32_t lookup = r.Read(4, "lookup type");
    if (lookup == 1 || lookup == 2) {
      r.Read(32, "lookup minimum");
      r.Read(32, "lookup delta");
      const uint32_t bits = r.Read(4, "lookup value bits") + 1;
      r.Read(1, "lookup sequence");
      const uint64_t values = lookup == 1 ? LatticeValues(entries, dim) : uint64_t{entries} * dim;
      r.Read(static_cast<int>(bits), "lookup value");
      r.Skip((values > 0 ? values - 1 : 0) * bits);
    }
  }
  const uint32_t times = r.Read(6, "time count") + 1;
  for (uint32_t i = 0; i < times; ++i) r.Read(16, "time type");
  const uint32_t floors = r.Read(6, "floor count") + 1;
  for (uint32_t f = 0; f < floors && r.Ok(); ++f) {
    if (r.Read(16, "floor type") == 0) {
      r.Read(8, "floor0 order"), r.Read(16, "floor0 rate"), r.Read(16, "floor0 bark map size");
      r.Read(6, "floor0 amplitude bits"), r.Read(8, "floor0 amplitude offset");
      const uint32_t n = r.Read(4, "floor0 books") + 1;
      for (uint32_t i = 0; i < n; ++i) r.Read(8, "floor0 book");
      continue;
    }
    const uint32_t partitions = r.Read(5, "floor1 partitions");
    std::vector<uint32_t> classOf(partitions), dims;
    uint32_t classes = 0;
    for (uint32_t& c : classOf) classes = std::max(classes, (c = r.Read(4, "floor1 partition class")) + 1);
    for (uint32_t c = 0; c < classes && r.Ok(); ++c) {
      dims.push_back(r.Read(3, "floor1 class dimensions") + 1);
      const uint32_t subs = r.Read(2, "floor1 subclasses");
      if (subs) r.Read(8, "floor1 class book");
      for (uint32_t k = 0; k < (1u << subs); ++k) r.Read(8, "floor1 subclass book");
    }
    r.Read(2, "floor1 multiplier");
    const uint32_t rangeBits = r.Read(4, "floor1 range bits");
    for (uint32_t p = 0; p < partitions && r.Ok(); ++p)
      for (uint32_t k = 0; k < (classOf[p] < dims.size() ? dims[classOf[p]] : 0); ++k) r.Read(rangeBits, "floor1 post");
  }
  const uint32_t residues = r.Read(6, "residue count") + 1;
  for (uint32_t i = 0; i < residues && r.Ok(); ++i) {
    r.Read(16, "residue type");
    r.Read(24, "residue begin"), r.Read(24, "residue end"), r.Read(24, "residue partition size");
    const uint32_t classifications = r.Read(6, "residue classifications") + 1;
    r.Read(8, "residue classbook");
    int books = 0;
    for (uint32_t c = 0; c < classifications; ++c) {
      uint32_t cascade = r.Read(3, "residue cascade");
      if (r.Read(1)) cascade |= r.Read(5, "residue cascade") << 3;
      for (; cascade; cascade >>= 1) books += cascade & 1;
    }
    for (int b = 0; b < books; ++b) r.Read(8, "residue book");
  }
  const uint32_t mappings = r.Read(6, "mapping count") + 1;
  for (uint32_t m = 0; m < mappings && r.Ok(); ++m) {
    r.Read(16, "mapping type");
    const uint32_t submaps = r.Read(1, "mapping submaps flag") ? r.Read(4, "mapping submaps") + 1 : 1;
    if (r.Read(1, "mapping coupling flag")) {
      const uint32_t steps = r.Read(8, "mapping coupling steps") + 1;
      for (uint32_t k = 0; k < 2 * steps; ++k) r.Read(BitsOf(s->channels - 1), "mapping coupled channel");
    }
    r.Read(2, "mapping reserved");
    if (submaps > 1)
      for (int c = 0; c < s->channels; ++c) r.Read(4, "mapping channel submap");
    for (uint32_t k = 0; k < submaps; ++k) r.Read(8), r.Read(8, "mapping floor"), r.Read(8, "mapping residue");
  }
  s->modes = static_cast<int>(r.Read(6, "mode count")) + 1;
  for (int m = 0; m < s->modes && r.Ok(); ++m) {
    s->longModes.push_back(r.Read(1, "mode block flag") != 0);
    r.Read(16, "mode window"), r.Read(16, "mode transform"), r.Read(8, "mode mapping");
  }
  if (!r.Ok()) s->modes = 0;
}

void Put(std::string* packet, size_t bit, int width, uint64_t value) {
  for (int i = 0; i < width; ++i, ++bit) {
    if (bit / 8 >= packet->size()) return;
    char& c = (*packet)[bit / 8];
    c = static_cast<char>((c & ~(1 << (bit % 8))) | (((value >> i) & 1) << (bit % 8)));
  }
}

template <typename T>
T Pick(std::mt19937& rng, std::initializer_list<T> from) {
  return *(from.begin() + rng() % from.size());
}

// A value for `f`: small, huge, just too large for what the engine or ffmpeg takes, or
// zero, besides plain edits of the one it had.
uint64_t ValueFor(const Field& f, uint64_t had, std::mt19937& rng) {
  const uint64_t top = f.width >= 64 ? ~uint64_t{0} : (uint64_t{1} << f.width) - 1;
  if (rng() % 2) return loadbound::LyingValue(had, top, had, rng) & top;
  const std::string what = f.what;
  std::vector<uint64_t> v = {0, 1, top};
  if (what == "codebook entries") v.insert(v.end(), {65536, 65537, 1u << 17, 1u << 18, (1u << 23) - 1});
  if (what == "codebook dimensions") v.insert(v.end(), {0, 16, 17, 255});
  if (what == "lookup type") v.insert(v.end(), {0, 1, 2, 3});
  if (what == "channels") v.insert(v.end(), {2, 3, 6, 255});
  if (what == "rate") v.insert(v.end(), {768000, 768001, 8000, 1u << 31});
  if (what == "short block" || what == "long block") v.insert(v.end(), {5, 6, 8, 11, 13, 14, 15});
  if (what.find("count") != std::string::npos || what == "mapping submaps" || what == "residue classifications")
    v.insert(v.end(), {top, top - 1, had + 1});
  if (what.find("residue") == 0) v.insert(v.end(), {4096, 8192, (1u << 24) - 1});
  if (what.find("comment") == 0 || what == "vendor length") v.insert(v.end(), {0xFFFFFFFFu, 0x7FFFFFFFu, 1u << 20});
  return v[rng() % v.size()] & top;
}

uint64_t Get(const std::string& packet, const Field& f) {
  uint64_t v = 0;
  for (int i = 0; i < f.width; ++i) {
    const size_t bit = f.bit + i;
    if (bit / 8 < packet.size()) v |= static_cast<uint64_t>((static_cast<uint8_t>(packet[bit / 8]) >> (bit % 8)) & 1) << i;
  }
  return v;
}

// A silent packet of the seed's first mode: its floors all unused.
std::string SilentPacket(const Stream& s) {
  vorbiswrite::BitWriter w;
  w.Put(0, 1);
  w.Put(0, BitsOf(s.modes - 1));
  if (!s.longModes.empty() && s.longModes[0]) w.Put(0, 2);
  for (int c = 0; c < s.channels; ++c) w.Put(0, 1);
  return w.Bytes();
}

// A stream of its own whose setup sizes things on purpose, in place of the seed.
Stream Synthetic(std::mt19937& rng, std::string* what) {
  vorbiswrite::Stream v;
  v.channels = Pick(rng, {1, 2});
  v.longBits = Pick(rng, {8, 11, 13});
  vorbiswrite::Book b;
  b.entries = Pick(rng, {2u, 256u, 65536u, 65537u, 1u << 18, (1u << 23) - 1});
  b.dim = Pick(rng, {1u, 2u, 4u, 16u});
  b.ordered = true;
  b.firstLength = BitsOf(b.entries - 1);
  b.runs = {b.entries};
  v.books = {b};
  if (rng() % 3 == 0) {
    vorbiswrite::Book lattice;
    lattice.entries = 16;
    lattice.dim = Pick(rng, {0u, 1u, 4u, 16u, 17u});
    lattice.lookup = 1;
    lattice.valueBits = 4;
    for (uint64_t i = 0; i < (lattice.dim ? LatticeValues(16, lattice.dim) : 0); ++i) lattice.values.push_back(1);
    v.books.push_back(lattice);
  }
  uint64_t words = 1;
  const int classes = Pick(rng, {1, 2, 16, 64});
  for (uint32_t d = 0; d < b.dim && words <= b.entries; ++d) words *= classes;
  v.residues[0].cascades.assign(words <= b.entries ? classes : 1, 0);
  v.mappings[0].submaps = Pick(rng, {1, 2, 16});
  const int modes = Pick(rng, {1, 8, 64});
  v.modes.assign(modes, vorbiswrite::Mode{rng() % 2 == 0, 0});
  const int packets = Pick(rng, {8, 1000, 5000});
  char text[160];
  std::snprintf(text, sizeof text, "synthetic: %d ch, book %u entries x %u dims%s, %zu classes, %d submaps, %d modes, %d packets",
                v.channels, b.entries, b.dim, v.books.size() > 1 ? " + a lattice book" : "",
                v.residues[0].cascades.size(), v.mappings[0].submaps, modes, packets);
  *what = text;
  return Parse(vorbiswrite::File(v, packets, {0}, 255));
}

std::string PageAll(const Stream& s) {
  std::vector<vorbiswrite::Packet> packets;
  for (size_t i = 0; i < s.packets.size(); ++i) packets.push_back({s.packets[i], s.granules[i], s.granules[i] != -1});
  return vorbiswrite::Pages(s.serial, packets);
}

// One edit of the stream's packets; its words appended to `what`.
void EditPackets(Stream* s, std::mt19937& rng, std::string* what) {
  char text[128];
  const size_t n = s->packets.size();
  const size_t audio = n > 3 ? 3 + rng() % (n - 3) : n - 1;
  switch (rng() % 7) {
    case 0:
    case 1: {
      if (s->fields.empty()) break;
      const Field& f = s->fields[rng() % s->fields.size()];
      const uint64_t had = Get(s->packets[f.packet], f), value = ValueFor(f, had, rng);
      Put(&s->packets[f.packet], f.bit, f.width, value);
      std::snprintf(text, sizeof text, "%s %llu -> %llu", f.what, static_cast<unsigned long long>(had),
                    static_cast<unsigned long long>(value));
      break;
    }
    case 2: {
      const size_t keep = rng() % (s->packets[audio].size() + 1);
      std::snprintf(text, sizeof text, "packet %zu cut to %zu bytes", audio, keep);
      s->packets[audio].resize(keep);
      break;
    }
    case 3: {
      const size_t more = Pick(rng, {size_t{1}, size_t{255}, size_t{4096}, size_t{1} << 20});
      std::snprintf(text, sizeof text, "packet %zu grown by %zu bytes", audio, more);
      s->packets[audio].append(more, rng() % 2 ? '\0' : static_cast<char>(rng()));
      break;
    }
    case 4: {
      // Many silent packets of the seed's own first mode: PCM from next to no file.
      if (s->modes < 1) break;
      const int count = Pick(rng, {100, 5000, 20000});
      const std::string silent = SilentPacket(*s);
      const int64_t step = int64_t{1} << (s->longModes[0] ? 11 : 7);  // granule steps need not be right
      int64_t granule = s->granules.back() > 0 ? s->granules.back() : 0;
      for (int i = 0; i < count; ++i) {
        s->packets.push_back(silent);
        s->granules.push_back(i % 255 == 254 || i + 1 == count ? (granule += 255 * step) : -1);
      }
      std::snprintf(text, sizeof text, "%d silent packets added", count);
      break;
    }
    case 5: {
      const int64_t granule = Pick(rng, {int64_t{0}, int64_t{-1}, int64_t{1} << 31, int64_t{1} << 40, int64_t{1} << 62});
      std::snprintf(text, sizeof text, "granule of packet %zu -> %lld", audio, static_cast<long long>(granule));
      s->granules[audio] = granule;
      break;
    }
    default: {
      // The comment header again, with many comments or a long one.
      const bool many = rng() % 2;
      vorbiswrite::Stream c;
      if (many)
        c.comments.assign(Pick(rng, {1000, 100000}), "a=b");
      else
        c.comments = {"DESCRIPTION=" + std::string(Pick(rng, {size_t{65536}, size_t{1} << 21}), 'x')};
      s->packets[1] = c.CommentHeader();
      std::snprintf(text, sizeof text, "comment header of %zu comments, %zu bytes", c.comments.size(), s->packets[1].size());
      break;
    }
  }
  if (!what->empty()) *what += "; ";
  *what += text;
}

// One edit of the written pages: a lacing value, the flags, the serial or the sequence.
void EditPage(std::string* file, std::mt19937& rng, std::string* what) {
  const std::vector<oggpages::Page> pages = oggpages::Pages(*file);
  if (pages.empty()) return;
  const oggpages::Page& p = pages[rng() % pages.size()];
  const size_t segments = static_cast<uint8_t>((*file)[p.at + oggpages::kSegmentsAt]);
  char text[96];
  switch (rng() % 4) {
    case 0:
      if (segments == 0) return;
      (*file)[p.at + oggpages::kHeaderBytes + rng() % segments] = static_cast<char>(Pick(rng, {0, 1, 254, 255}));
      std::snprintf(text, sizeof text, "a lacing value of the page at %zu", p.at);
      break;
    case 1:
      (*file)[p.at + 5] = static_cast<char>((*file)[p.at + 5] ^ (1 << rng() % 3));
      std::snprintf(text, sizeof text, "the flags of the page at %zu", p.at);
      break;
    case 2:
      (*file)[p.at + 14] = static_cast<char>((*file)[p.at + 14] + 1);
      std::snprintf(text, sizeof text, "the serial of the page at %zu", p.at);
      break;
    default:
      (*file)[p.at + oggpages::kSegmentsAt] = static_cast<char>(Pick(rng, {0, 1, 255}));
      std::snprintf(text, sizeof text, "the segment count of the page at %zu", p.at);
      break;
  }
  oggpages::RechecksumAll(file);
  *what += "; ";
  *what += text;
}

// One open of a generated file: what it made the allocator hold, what it took, and
// whether it opened.
struct Open {
  const char* kind;
  int64_t peak;
  loadpeak::OpenTime time;
  bool opened;
};

// Alone a file opens three ways, each timed on its own; it counts as opened when its
// stream did (what the alarm plays).
std::vector<Open> LoadAlone(const std::string& bytes) {
  const loadpeak::Peaks p = loadpeak::LoadEveryWay(bytes);
  return {{"song", p.song, p.songTime, p.songLoaded},
          {"sample", p.sample, p.sampleTime, p.sampleLoaded},
          {"stream", p.stream, p.streamTime, p.streamOpened}};
}

// As a song: it opens when it loaded with its Ogg samples.
std::vector<Open> LoadSong(const std::string& bytes) {
  Open o = {"song", 0, {}, false};
  o.peak = loadpeak::PeakOf(
      [&] {
        MusicSong song = {};
        o.opened = Music_LoadSong(&song, bytes.data(), SoundMode::FromMemory, 0, static_cast<int>(bytes.size()), nullptr,
                                  0) &&
                   song.sampleCount > 0;
        Music_FreeSong(&song);
      },
      &o.time);
  return {o};
}

struct Tally {
  const char* way;
  int mutants = 0, opened = 0, over = 0, slow = 0;
  int64_t worstPeak = -1;
  size_t worstSize = 0;
  std::string worstWhat, worstBytes, slowestWhat, slowestBytes;
  Open slowest = {"", 0, {}, false};
};

void Save(const char* name, const std::string& bytes) {
  if (FILE* f = std::fopen(name, "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

}  // namespace

Stream Parse(const std::string& file) {
  Stream s;
  const std::vector<oggpages::Page> pages = oggpages::Pages(file);
  std::string packet;
  for (size_t n = 0; n < pages.size(); ++n) {
    const oggpages::Page& p = pages[n];
    uint32_t serial = 0;
    for (int b = 0; b < 4; ++b) serial |= static_cast<uint32_t>(static_cast<uint8_t>(file[p.at + 14 + b])) << (8 * b);
    if (n == 0) s.serial = serial;
    if (serial != s.serial) continue;
    int64_t granule = 0;
    for (int b = 0; b < 8; ++b) granule |= static_cast<int64_t>(static_cast<uint8_t>(file[p.at + oggpages::kGranuleAt + b])) << (8 * b);
    const size_t segments = static_cast<uint8_t>(file[p.at + oggpages::kSegmentsAt]);
    size_t body = p.at + oggpages::kHeaderBytes + segments;
    size_t lastEnded = SIZE_MAX;
    for (size_t i = 0; i < segments; ++i) {
      const size_t lace = static_cast<uint8_t>(file[p.at + oggpages::kHeaderBytes + i]);
      packet.append(file, body, lace);
      body += lace;
      if (lace < 255) {
        s.packets.push_back(packet);
        s.granules.push_back(-1);
        lastEnded = s.packets.size() - 1;
        packet.clear();
      }
    }
    if (lastEnded != SIZE_MAX) s.granules[lastEnded] = granule;
  }
  if (s.packets.size() < 3 || s.packets[0].size() < 30) return s;
  FieldReader id(&s, 0);
  id.Skip(88);
  s.channels = static_cast<int>(id.Read(8, "channels"));
  id.Read(32, "rate");
  id.Read(32, "bit rate"), id.Read(32, "bit rate"), id.Read(32, "bit rate");
  id.Read(4, "short block"), id.Read(4, "long block");
  FieldReader comments(&s, 1);
  comments.Skip(56);
  const uint32_t vendor = comments.Read(32, "vendor length");
  comments.Skip(uint64_t{vendor} * 8);
  const uint32_t count = comments.Read(32, "comment count");
  for (uint32_t i = 0; i < count && i < 8 && comments.Ok(); ++i) comments.Skip(uint64_t{comments.Read(32, "comment length")} * 8);
  ReadSetup(&s);
  return s;
}

Mutant Mutate(const Stream& seed, std::mt19937& rng) {
  Mutant m;
  Stream s = rng() % 10 == 0 ? Synthetic(rng, &m.what) : seed;
  for (int edits = 1 + static_cast<int>(rng() % 3), e = 0; e < edits; ++e) EditPackets(&s, rng, &m.what);
  m.bytes = PageAll(s);
  if (rng() % 8 == 0) EditPage(&m.bytes, rng, &m.what);
  return m;
}

int Run(const std::vector<std::pair<std::string, std::string>>& seeds, int count,
        const loadbound::Starting& starting) {
  std::vector<Stream> parsed;
  std::string names;
  size_t fields = 0;
  for (const auto& seed : seeds) {
    parsed.push_back(Parse(seed.second));
    fields += parsed.back().fields.size();
    names += (names.empty() ? "" : ", ") + seed.first;
  }
  if (parsed.empty()) return 0;
  std::mt19937 rng(63);
  Tally tallies[3] = {{"alone"}, {"as an XM song's sample"}, {"in an embedded-file bank"}};
  int failures = 0;
  const auto wrapped = [](int way, const std::string& ogg) {
    return way == 0 ? ogg : way == 1 ? loadbound::XmWithOgg(ogg, 1) : loadbound::EmbeddedBank({ogg, ogg});
  };
  // The seeds themselves first, each way.
  for (const auto& seed : seeds) {
    std::printf("ogg vorbis by structure, seed %s:", seed.first.c_str());
    for (int way = 0; way < 3; ++way) {
      const std::string bytes = wrapped(way, seed.second);
      starting(seed.first, bytes);
      const std::vector<Open> opens = way == 0 ? LoadAlone(bytes) : LoadSong(bytes);
      std::printf(" %s", tallies[way].way);
      for (const Open& o : opens) {
        // Alone a file must open as a stream (a song or a sample it need not be).
        const bool bad = (!o.opened && &o == &opens.back()) || !WithinBound(o.peak, bytes.size()) ||
                         o.time.processor > kMaxOpenSeconds;
        failures += bad;
        std::printf(" %s peak %lld bytes, %.0f ms%s;", o.kind, static_cast<long long>(o.peak), o.time.processor * 1000,
                    bad ? " (FAILED)" : "");
      }
    }
    std::printf("\n");
  }
  for (int i = 0; i < count; ++i) {
    const std::string& seedName = seeds[i % seeds.size()].first;
    const Mutant m = Mutate(parsed[i % parsed.size()], rng);
    Tally& t = tallies[i % 3];
    const std::string bytes = wrapped(i % 3, m.bytes);
    const std::string what = seedName + ": " + m.what;
    starting(what, bytes);
    const std::vector<Open> opens = i % 3 == 0 ? LoadAlone(bytes) : LoadSong(bytes);
    ++t.mutants;
    t.opened += opens.back().opened;
    for (const Open& o : opens) {
      if (!WithinBound(o.peak, bytes.size())) ++t.over;
      if (o.time.processor > kMaxOpenSeconds && bytes.size() < kTimedBelowBytes) ++t.slow;
      if (o.peak > t.worstPeak) t.worstPeak = o.peak, t.worstSize = bytes.size(), t.worstWhat = what, t.worstBytes = bytes;
      if (o.time.processor > t.slowest.time.processor) t.slowest = o, t.slowestWhat = what, t.slowestBytes = bytes;
    }
  }
  std::printf("ogg vorbis by structure: %d mutants of %zu seeds (%s; %zu fields), each 1 to 3 edits\n", count,
              seeds.size(), names.c_str(), fields);
  for (int w = 0; w < 3; ++w) {
    const Tally& t = tallies[w];
    char worst[64], slowest[64];
    std::snprintf(worst, sizeof worst, "load_bound_ogg_worst_%d.bin", w);
    std::snprintf(slowest, sizeof slowest, "load_bound_ogg_slowest_%d.bin", w);
    Save(worst, t.worstBytes);
    Save(slowest, t.slowestBytes);
    std::printf("  %s: %d mutants, opened %d (%.0f%%); worst peak %lld bytes (%.2f MB, a %zu-byte file: %s; saved as %s); "
                "slowest open %.0f ms of processor time, %.0f ms on the wall clock (as a %s, a %zu-byte file: %s; saved as "
                "%s); over the bound: %d; opens over %.0f s under 4 MB: %d\n",
                t.way, t.mutants, t.opened, t.mutants ? 100.0 * t.opened / t.mutants : 0.0,
                static_cast<long long>(t.worstPeak), t.worstPeak / 1048576.0, t.worstSize, t.worstWhat.c_str(), worst,
                t.slowest.time.processor * 1000, t.slowest.time.wall * 1000, t.slowest.kind, t.slowestBytes.size(),
                t.slowestWhat.c_str(), slowest, t.over, kMaxOpenSeconds, t.slow);
    failures += t.over + t.slow;
  }
  std::fflush(stdout);
  return failures;
}

}  // namespace oggmutate
