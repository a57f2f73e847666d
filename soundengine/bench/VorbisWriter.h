#pragma once
// Ogg Vorbis streams written field by field: the three headers with codebooks, floors,
// residues, mappings and modes set on purpose, silent audio packets, and the pages around
// them with their checksums. The load-bound tests build their damaged-but-valid files
// with it, and the load-bound benchmark pages again the streams it mutates.
#include <cstdint>
#include <string>
#include <vector>

#include "OggPages.h"

namespace vorbiswrite {

inline int BitsOf(uint64_t v) {
  int n = 0;
  for (; v; v >>= 1) ++n;
  return n;
}

// Least significant bit first, as Vorbis packs its fields.
class BitWriter {
 public:
  void Put(uint64_t value, int bits) {
    for (int i = 0; i < bits; ++i) {
      if (bit_ == 0) bytes_.push_back('\0');
      if ((value >> i) & 1) bytes_.back() = static_cast<char>(bytes_.back() | (1 << bit_));
      bit_ = (bit_ + 1) & 7;
    }
  }
  void Text(const std::string& s) {
    for (char c : s) Put(static_cast<uint8_t>(c), 8);
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
  int bit_ = 0;
};

struct Book {
  uint32_t dim = 1, entries = 2;
  // Ordered books list their lengths as runs: `runs[i]` entries of length firstLength + i.
  // Others give every entry's length (0 marks an unused entry and makes the book sparse);
  // none given, every entry is as long as a complete tree of them needs.
  bool ordered = false;
  int firstLength = 1;
  std::vector<uint32_t> runs;
  std::vector<int> lengths;
  int lookup = 0;  // 0 none, 1 a lattice of values, 2 a value per entry and dimension
  uint32_t minimum = 0, delta = 0;
  int valueBits = 1;
  std::vector<uint32_t> values;
};

// Floor 1 without partitions (every packet here leaves it unused).
struct Floor {
  int rangeBits = 8;
};

struct Residue {
  int type = 0;
  uint32_t begin = 0, end = 0, grouping = 32;
  int groupbook = 0;
  std::vector<int> cascades = {0};  // one per partition (classification)
  std::vector<int> books;           // the second-stage books the cascades name
};

struct Mapping {
  int submaps = 1;
  std::vector<int> floors = {0}, residues = {0};  // per submap
};

struct Mode {
  bool longBlock = false;
  int mapping = 0;
};

struct Stream {
  int channels = 1;
  uint32_t rate = 44100;
  int shortBits = 8, longBits = 11;  // block sizes as powers of two
  uint32_t serial = 0x4f52;
  std::string vendor = "Orvalen test stream";
  std::vector<std::string> comments;
  std::vector<Book> books = {Book{}};
  std::vector<Floor> floors = {Floor{}};
  std::vector<Residue> residues = {Residue{}};
  std::vector<Mapping> mappings = {Mapping{}};
  std::vector<Mode> modes = {Mode{}};

  int Block(int mode) const { return 1 << (modes[mode].longBlock ? longBits : shortBits); }

  std::string IdHeader() const {
    BitWriter w;
    w.Put(1, 8);
    w.Text("vorbis");
    w.Put(0, 32);
    w.Put(static_cast<uint32_t>(channels), 8);
    w.Put(rate, 32);
    w.Put(0, 32), w.Put(0, 32), w.Put(0, 32);
    w.Put(static_cast<uint32_t>(shortBits), 4);
    w.Put(static_cast<uint32_t>(longBits), 4);
    w.Put(1, 1);
    return w.Bytes();
  }

  std::string CommentHeader() const {
    BitWriter w;
    w.Put(3, 8);
    w.Text("vorbis");
    w.Put(vendor.size(), 32);
    w.Text(vendor);
    w.Put(comments.size(), 32);
    for (const std::string& c : comments) {
      w.Put(c.size(), 32);
      w.Text(c);
    }
    w.Put(1, 1);
    return w.Bytes();
  }

  std::string SetupHeader() const {
    BitWriter w;
    w.Put(5, 8);
    w.Text("vorbis");
    w.Put(books.size() - 1, 8);
    for (const Book& b : books) PutBook(&w, b);
    w.Put(0, 6);  // one time-domain transform, of type 0
    w.Put(0, 16);
    w.Put(floors.size() - 1, 6);
    for (const Floor& f : floors) {
      w.Put(1, 16);
      w.Put(0, 5);
      w.Put(1, 2);
      w.Put(static_cast<uint32_t>(f.rangeBits), 4);
    }
    w.Put(residues.size() - 1, 6);
    for (const Residue& r : residues) {
      w.Put(static_cast<uint32_t>(r.type), 16);
      w.Put(r.begin, 24), w.Put(r.end, 24), w.Put(r.grouping - 1, 24);
      w.Put(r.cascades.size() - 1, 6);
      w.Put(static_cast<uint32_t>(r.groupbook), 8);
      for (int c : r.cascades) {
        w.Put(static_cast<uint32_t>(c & 7), 3);
        w.Put(c > 7 ? 1 : 0, 1);
        if (c > 7) w.Put(static_cast<uint32_t>(c >> 3), 5);
      }
      for (int b : r.books) w.Put(static_cast<uint32_t>(b), 8);
    }
    w.Put(mappings.size() - 1, 6);
    for (const Mapping& m : mappings) {
      w.Put(0, 16);
      w.Put(m.submaps > 1 ? 1 : 0, 1);
      if (m.submaps > 1) w.Put(static_cast<uint32_t>(m.submaps - 1), 4);
      w.Put(0, 1);  // no coupling
      w.Put(0, 2);
      if (m.submaps > 1)
        for (int c = 0; c < channels; ++c) w.Put(static_cast<uint32_t>(c % m.submaps), 4);
      for (int s = 0; s < m.submaps; ++s) {
        w.Put(0, 8);
        w.Put(static_cast<uint32_t>(m.floors[s % m.floors.size()]), 8);
        w.Put(static_cast<uint32_t>(m.residues[s % m.residues.size()]), 8);
      }
    }
    w.Put(modes.size() - 1, 6);
    for (const Mode& m : modes) {
      w.Put(m.longBlock ? 1 : 0, 1);
      w.Put(0, 16), w.Put(0, 16);
      w.Put(static_cast<uint32_t>(m.mapping), 8);
    }
    w.Put(1, 1);
    return w.Bytes();
  }

  // An audio packet of mode `mode` whose floors are all unused: silence, one byte or so.
  std::string SilentPacket(int mode) const {
    BitWriter w;
    w.Put(0, 1);
    w.Put(static_cast<uint32_t>(mode), BitsOf(modes.size() - 1));
    if (modes[mode].longBlock) w.Put(0, 2);
    for (int c = 0; c < channels; ++c) w.Put(0, 1);
    return w.Bytes();
  }

 private:
  static void PutBook(BitWriter* w, const Book& b) {
    w->Put(0x564342, 24);
    w->Put(b.dim, 16);
    w->Put(b.entries, 24);
    w->Put(b.ordered ? 1 : 0, 1);
    if (b.ordered) {
      w->Put(static_cast<uint32_t>(b.firstLength - 1), 5);
      uint32_t done = 0;
      for (uint32_t run : b.runs) {
        w->Put(run, BitsOf(b.entries - done));
        done += run;
      }
    } else {
      std::vector<int> lengths = b.lengths;
      if (lengths.empty()) lengths.assign(b.entries, b.entries > 1 ? BitsOf(b.entries - 1) : 1);
      bool sparse = false;
      for (int l : lengths) sparse = sparse || l == 0;
      w->Put(sparse ? 1 : 0, 1);
      for (int l : lengths) {
        if (sparse) w->Put(l ? 1 : 0, 1);
        if (l) w->Put(static_cast<uint32_t>(l - 1), 5);
      }
    }
    w->Put(static_cast<uint32_t>(b.lookup), 4);
    if (b.lookup == 0) return;
    w->Put(b.minimum, 32), w->Put(b.delta, 32);
    w->Put(static_cast<uint32_t>(b.valueBits - 1), 4);
    w->Put(0, 1);
    for (uint32_t v : b.values) w->Put(v, b.valueBits);
  }
};

// A packet and the granule position its page takes when the packet is the last to end
// on it; `flush` ends the page after it.
struct Packet {
  std::string bytes;
  int64_t granule = 0;
  bool flush = false;
};

// The packets as the pages of one logical stream, each page with its checksum.
inline std::string Pages(uint32_t serial, const std::vector<Packet>& packets, uint32_t firstSequence = 0) {
  std::string out;
  uint32_t sequence = firstSequence;
  std::string lacing, body;
  int64_t granule = -1;
  bool continued = false, first = true;
  const auto emit = [&](bool last) {
    std::string page = "OggS";
    page.push_back('\0');
    page.push_back(static_cast<char>((continued ? 1 : 0) | (first ? 2 : 0) | (last ? 4 : 0)));
    std::string fields;
    for (int b = 0; b < 8; ++b) fields.push_back(static_cast<char>(static_cast<uint64_t>(granule) >> (8 * b)));
    for (uint32_t v : {serial, sequence++, 0u})
      for (int b = 0; b < 4; ++b) fields.push_back(static_cast<char>(v >> (8 * b)));
    page += fields;
    page.push_back(static_cast<char>(lacing.size()));
    page += lacing + body;
    oggpages::Rechecksum(&page, {0, page.size()});
    out += page;
    lacing.clear(), body.clear();
    granule = -1;
    first = false;
  };
  for (size_t n = 0; n < packets.size(); ++n) {
    const Packet& p = packets[n];
    size_t at = 0;
    for (;;) {
      const size_t chunk = std::min<size_t>(p.bytes.size() - at, 255);
      lacing.push_back(static_cast<char>(chunk));
      body.append(p.bytes, at, chunk);
      at += chunk;
      const bool done = chunk < 255;
      if (done) granule = p.granule;
      if (lacing.size() == 255 && !(done && (p.flush || n + 1 == packets.size()))) {
        emit(false);
        continued = !done;
      }
      if (done) break;
    }
    if (p.flush || n + 1 == packets.size()) {
      emit(n + 1 == packets.size());
      continued = false;
    }
  }
  return out;
}

// A whole file: the identification header alone on the first page, the comments and the
// setup on the next, then `audio` silent packets of the modes `modes` names in turn,
// `perPage` to a page, each page at the sample its last packet ends (a packet after the
// first adds a quarter of its block and of the one before).
inline std::string File(const Stream& s, int audio, std::vector<int> modes = {0}, int perPage = 64) {
  std::vector<Packet> packets = {{s.IdHeader(), 0, true}, {s.CommentHeader(), 0, false}, {s.SetupHeader(), 0, true}};
  int64_t granule = 0;
  int previous = -1;
  for (int i = 0; i < audio; ++i) {
    const int mode = modes[i % modes.size()];
    if (previous >= 0) granule += (s.Block(previous) + s.Block(mode)) / 4;
    previous = mode;
    packets.push_back({s.SilentPacket(mode), granule, (i + 1) % perPage == 0});
  }
  return Pages(s.serial, packets);
}

}  // namespace vorbiswrite
