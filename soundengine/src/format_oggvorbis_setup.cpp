// The Vorbis I setup header read field by field as the decoder reads it (every check the
// decoder makes, in its order, so a header it would refuse is called malformed here too),
// with what each part makes the decoder allocate: the codebooks as read, the decode
// tables built from them when decoding starts, and the floor and residue tables it keeps
// for every mode and submap. Sizes are those of the decoder's records on this platform.
#include "format_oggvorbis_setup.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The decoder's bit reader, least significant bit first: a read past the end gives -1,
// and so does every read after it. Values are 32-bit like the decoder's `long` here.
class BitReader {
 public:
  BitReader(const uint8_t* data, size_t size) : data_(data), storage_(static_cast<int64_t>(size)) {}

  int32_t Read(int bits) {
    if (bits < 0 || bits > 32) return Overflow();
    const int total = bits + endbit_;
    if (endbyte_ >= storage_ - 4) {
      if (endbyte_ > storage_ - ((total + 7) >> 3)) return Overflow();
      if (total == 0) return 0;
    }
    uint64_t v = 0;
    for (int i = 0; i < (total + 7) >> 3; ++i) v |= uint64_t{data_[endbyte_ + i]} << (8 * i);
    v >>= endbit_;
    endbyte_ += total / 8;
    endbit_ = total & 7;
    return static_cast<int32_t>(static_cast<uint32_t>(v) & (bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1));
  }

  // As `count` reads of `bits` each, none of them checked.
  void Skip(int64_t count, int bits) {
    const int64_t at = endbyte_ * 8 + endbit_ + count * bits;
    if (count <= 0 || bits <= 0) return;
    if (at > storage_ * 8) {
      Overflow();
      return;
    }
    endbyte_ = at / 8;
    endbit_ = static_cast<int>(at % 8);
  }

  // Whole bytes not yet begun.
  int64_t Left() const { return storage_ - (endbyte_ + (endbit_ + 7) / 8); }

 private:
  int32_t Overflow() {
    endbyte_ = storage_;
    endbit_ = 1;
    return -1;
  }

  const uint8_t* data_;
  int64_t storage_;
  int64_t endbyte_ = 0;
  int endbit_ = 0;
};

int BitsOf(uint32_t v) {
  int n = 0;
  for (; v; v >>= 1) ++n;
  return n;
}
int Ones(uint32_t v) {
  int n = 0;
  for (; v; v >>= 1) n += v & 1;
  return n;
}

// The decoder's records and blocks, in bytes (64-bit Windows: 4-byte long, 8-byte
// pointers), each allocation with the engine allocator's 16-byte header.
constexpr int64_t kBlockHeader = 16;
constexpr int64_t kSetupInfoBytes = 5440 + kBlockHeader;
constexpr int64_t kStaticBookBytes = 48 + kBlockHeader;
constexpr int64_t kDecodeBookBytes = 80;
constexpr int64_t kFloor0InfoBytes = 92 + kBlockHeader;
constexpr int64_t kFloor1InfoBytes = 1096 + kBlockHeader;
constexpr int64_t kResidueInfoBytes = 2336 + kBlockHeader;
constexpr int64_t kMappingInfoBytes = 3224 + kBlockHeader;
constexpr int64_t kModeBytes = 16 + kBlockHeader;
constexpr int64_t kFloor0LookBytes = 40 + kBlockHeader;
constexpr int64_t kFloor1LookBytes = 1040 + kBlockHeader;
constexpr int64_t kResidueLookBytes = 72 + kBlockHeader;
constexpr int64_t kMappingLookBytes = 56 + kBlockHeader;
constexpr int64_t kDecoderStateBytes = 1024;  // the dsp state, its private state, the block record
constexpr int64_t kStackPerUsedEntry = 12;     // a sort pointer and an index for every used entry
constexpr int kMaxQuantvalsRounds = 1024;

struct Book {
  int32_t dim, entries, used, maptype;
  int64_t quantvals;
};
struct Floor {
  int type;
  int32_t barkmap;
};
struct Residue {
  int partitions;
  int64_t partvals;
  int32_t groupDim;
  int stageLists;  // partitions with second stages
  int stageBooks;
};
struct Mapping {
  int submaps;
  int floor[16], residue[16];
};
struct Mode {
  int blockflag, mapping;
};

// The decoder's count of values per dimension for a lookup-1 codebook, in its own 32-bit
// arithmetic; -1 when that search would not end or would not find the root.
int64_t Maptype1Quantvals(int32_t entries, int32_t dim) {
  const int bits = BitsOf(static_cast<uint32_t>(entries));
  int32_t vals = entries >> ((bits - 1) * (dim - 1) / dim);
  for (int round = 0; round < kMaxQuantvalsRounds; ++round) {
    uint32_t acc = 1, acc1 = 1;
    for (int32_t i = 0; i < dim; ++i) {
      acc *= static_cast<uint32_t>(vals);
      acc1 *= static_cast<uint32_t>(vals + 1);
    }
    const int32_t a = static_cast<int32_t>(acc), a1 = static_cast<int32_t>(acc1);
    if (a <= entries && a1 > entries) {
      // Only the true root indexes the value list as the decoder unpacked it.
      int64_t power = 1, next = 1;
      for (int32_t i = 0; i < dim; ++i) {
        power = std::min<int64_t>(power * vals, int64_t{entries} + 1);
        next = std::min<int64_t>(next * (vals + 1), int64_t{entries} + 1);
      }
      return vals >= 0 && power <= entries && next > entries ? vals : -1;
    }
    vals += a > entries ? -1 : 1;
  }
  return -1;
}

class SetupReader {
 public:
  SetupReader(const uint8_t* packet, size_t size, const VorbisStreamShape& shape, int64_t limit,
              VorbisSetupCost* cost)
      : r_(packet, size), shape_(shape), limit_(limit), cost_(cost) {}

  VorbisSetupVerdict Run() { return Parse() ? VorbisSetupVerdict::kSound : verdict_; }

 private:
  bool Bad() {
    verdict_ = VorbisSetupVerdict::kMalformed;
    return false;
  }
  bool Refuse() {
    verdict_ = VorbisSetupVerdict::kRefused;
    return false;
  }

  bool Parse() {
    if (r_.Read(8) != 5) return Bad();
    for (const char c : {'v', 'o', 'r', 'b', 'i', 's'})
      if (r_.Read(8) != static_cast<uint8_t>(c)) return Bad();
    cost_->headerBytes += kSetupInfoBytes;
    const int32_t books = r_.Read(8) + 1;
    if (books <= 0) return Bad();
    for (int32_t i = 0; i < books; ++i) {
      if (!ReadBook()) return false;
      if (cost_->headerBytes > limit_) return Refuse();
    }
    const int32_t times = r_.Read(6) + 1;
    if (times <= 0) return Bad();
    times_ = times;
    for (int32_t i = 0; i < times; ++i) {
      const int32_t type = r_.Read(16);
      if (type != 0) return Bad();
    }
    const int32_t floors = r_.Read(6) + 1;
    if (floors <= 0) return Bad();
    for (int32_t i = 0; i < floors; ++i) {
      const int32_t type = r_.Read(16);
      if ((type != 0 && type != 1) || !(type == 0 ? ReadFloor0() : ReadFloor1())) return Bad();
    }
    const int32_t residues = r_.Read(6) + 1;
    if (residues <= 0) return Bad();
    for (int32_t i = 0; i < residues; ++i) {
      const int32_t type = r_.Read(16);
      if (type < 0 || type > 2 || !ReadResidue()) return Bad();
    }
    const int32_t maps = r_.Read(6) + 1;
    if (maps <= 0) return Bad();
    for (int32_t i = 0; i < maps; ++i) {
      const int32_t type = r_.Read(16);
      if (type != 0 || !ReadMapping()) return Bad();
    }
    const int32_t modes = r_.Read(6) + 1;
    if (modes <= 0) return Bad();
    for (int32_t i = 0; i < modes; ++i) {
      cost_->headerBytes += kModeBytes;
      Mode m;
      m.blockflag = r_.Read(1);
      const int32_t window = r_.Read(16), transform = r_.Read(16);
      m.mapping = r_.Read(8);
      if (window >= 1 || transform >= 1 || m.mapping >= maps || m.mapping < 0) return Bad();
      modes_.push_back(m);
    }
    if (r_.Read(1) != 1) return Bad();
    CountTables();
    return cost_->Heap() <= limit_ || Refuse();
  }

  bool ReadBook() {
    cost_->headerBytes += kStaticBookBytes;
    if (r_.Read(24) != 0x564342) return Bad();
    Book b = {};
    b.dim = r_.Read(16);
    b.entries = r_.Read(24);
    if (b.entries == -1) return Bad();
    if (BitsOf(static_cast<uint32_t>(b.dim)) + BitsOf(static_cast<uint32_t>(b.entries)) > 24) return Bad();
    if (b.entries > kVorbisMaxBookEntries) return Refuse();
    switch (r_.Read(1)) {
      case 0: {
        const int32_t sparse = r_.Read(1);
        if ((int64_t{b.entries} * (sparse ? 1 : 5) + 7) >> 3 > r_.Left()) return Bad();
        cost_->headerBytes += int64_t{b.entries} * 4 + kBlockHeader;
        for (int32_t i = 0; i < b.entries; ++i) {
          if (sparse && !r_.Read(1)) continue;
          if (r_.Read(5) == -1) return Bad();
          ++b.used;
        }
        break;
      }
      case 1: {
        int32_t length = r_.Read(5) + 1;
        if (length == 0) return Bad();
        cost_->headerBytes += int64_t{b.entries} * 4 + kBlockHeader;
        for (int32_t i = 0; i < b.entries;) {
          const int32_t num = r_.Read(BitsOf(static_cast<uint32_t>(b.entries - i)));
          if (num == -1) return Bad();
          if (length > 32 || num > b.entries - i || (num > 0 && ((num - 1) >> (length >> 1) >> ((length + 1) >> 1)) > 0))
            return Bad();
          i += num;
          ++length;
        }
        b.used = b.entries;
        break;
      }
      default:
        return Bad();
    }
    b.maptype = r_.Read(4);
    if (b.maptype == 1 || b.maptype == 2) {
      r_.Read(32);
      r_.Read(32);
      const int32_t quant = r_.Read(4) + 1;
      if (r_.Read(1) == -1) return Bad();
      // The decoder takes a lookup book of no dimensions in, and then never ends building
      // it (or divides by zero decoding with it).
      if (b.dim == 0 || b.dim > kVorbisMaxLookupDimensions) return Refuse();
      b.quantvals = b.maptype == 1 ? Maptype1Quantvals(b.entries, b.dim) : int64_t{b.entries} * b.dim;
      if (b.quantvals < 0) return Refuse();
      if ((b.quantvals * quant + 7) >> 3 > r_.Left()) return Bad();
      cost_->headerBytes += b.quantvals * 4 + kBlockHeader;
      r_.Skip(b.quantvals, quant);
    } else if (b.maptype != 0) {
      return Bad();
    }
    books_.push_back(b);
    return true;
  }

  bool ValidBook(int32_t n) const { return n >= 0 && n < static_cast<int32_t>(books_.size()); }

  bool ReadFloor0() {
    cost_->headerBytes += kFloor0InfoBytes;
    const int32_t order = r_.Read(8), rate = r_.Read(16);
    Floor f = {0, r_.Read(16)};
    r_.Read(6);
    r_.Read(8);
    const int32_t numbooks = r_.Read(4) + 1;
    if (order < 1 || rate < 1 || f.barkmap < 1 || numbooks < 1) return false;
    for (int32_t j = 0; j < numbooks; ++j) {
      const int32_t b = r_.Read(8);
      if (!ValidBook(b) || books_[b].maptype == 0 || books_[b].dim < 1) return false;
    }
    floors_.push_back(f);
    return true;
  }

  bool ReadFloor1() {
    cost_->headerBytes += kFloor1InfoBytes;
    int32_t classOf[32] = {}, classDim[16] = {};
    const int32_t partitions = r_.Read(5);
    int32_t maxClass = -1;
    for (int32_t j = 0; j < partitions; ++j) {
      classOf[j] = r_.Read(4);
      if (classOf[j] < 0) return false;
      maxClass = std::max(maxClass, classOf[j]);
    }
    for (int32_t j = 0; j < maxClass + 1; ++j) {
      classDim[j] = r_.Read(3) + 1;
      const int32_t subs = r_.Read(2);
      if (subs < 0) return false;
      const int32_t book = subs ? r_.Read(8) : 0;
      if (book < 0 || book >= static_cast<int32_t>(books_.size())) return false;
      for (int32_t k = 0; k < (1 << subs); ++k) {
        const int32_t sub = r_.Read(8) - 1;
        if (sub < -1 || sub >= static_cast<int32_t>(books_.size())) return false;
      }
    }
    r_.Read(2);
    const int32_t rangeBits = r_.Read(4);
    if (rangeBits < 0) return false;
    std::vector<int32_t> posts = {0, 1 << rangeBits};
    for (int32_t j = 0, count = 0; j < partitions; ++j) {
      count += classDim[classOf[j]];
      if (count > 63) return false;
      while (static_cast<int32_t>(posts.size()) < count + 2) {
        const int32_t t = r_.Read(rangeBits);
        if (t < 0 || t >= (1 << rangeBits)) return false;
        posts.push_back(t);
      }
    }
    std::sort(posts.begin(), posts.end());
    if (std::adjacent_find(posts.begin(), posts.end()) != posts.end()) return false;
    floors_.push_back(Floor{1, 0});
    return true;
  }

  bool ReadResidue() {
    cost_->headerBytes += kResidueInfoBytes;
    Residue res = {};
    r_.Read(24);
    r_.Read(24);
    r_.Read(24);
    res.partitions = r_.Read(6) + 1;
    const int32_t groupbook = r_.Read(8);
    if (groupbook < 0) return false;
    int acc = 0;
    for (int j = 0; j < res.partitions; ++j) {
      int32_t cascade = r_.Read(3);
      const int32_t more = r_.Read(1);
      if (more < 0) return false;
      if (more) {
        const int32_t high = r_.Read(5);
        if (high < 0) return false;
        cascade |= high << 3;
      }
      if (BitsOf(static_cast<uint32_t>(cascade))) ++res.stageLists, res.stageBooks += BitsOf(static_cast<uint32_t>(cascade));
      acc += Ones(static_cast<uint32_t>(cascade));
    }
    std::vector<int32_t> list(static_cast<size_t>(acc));
    for (int32_t& book : list)
      if ((book = r_.Read(8)) < 0) return false;
    if (groupbook >= static_cast<int32_t>(books_.size())) return false;
    for (const int32_t book : list)
      if (book >= static_cast<int32_t>(books_.size()) || books_[book].maptype == 0) return false;
    const Book& group = books_[groupbook];
    if (group.dim < 1) return false;
    res.partvals = 1;
    for (int32_t d = group.dim; d > 0; --d)
      if ((res.partvals *= res.partitions) > group.entries) return false;
    res.groupDim = group.dim;
    residues_.push_back(res);
    return true;
  }

  bool ReadMapping() {
    cost_->headerBytes += kMappingInfoBytes;
    Mapping m = {};
    int32_t b = r_.Read(1);
    if (b < 0) return false;
    m.submaps = b ? r_.Read(4) + 1 : 1;
    if (m.submaps <= 0) return false;
    if ((b = r_.Read(1)) < 0) return false;
    if (b) {
      const int32_t steps = r_.Read(8) + 1;
      if (steps <= 0) return false;
      const int bits = BitsOf(static_cast<uint32_t>(shape_.channels > 0 ? shape_.channels - 1 : 0));
      for (int32_t i = 0; i < steps; ++i) {
        const int32_t magnitude = r_.Read(bits), angle = r_.Read(bits);
        if (magnitude < 0 || angle < 0 || magnitude == angle || magnitude >= shape_.channels || angle >= shape_.channels)
          return false;
      }
    }
    if (r_.Read(2) != 0) return false;
    if (m.submaps > 1)
      for (int i = 0; i < shape_.channels; ++i) {
        const int32_t mux = r_.Read(4);
        if (mux >= m.submaps || mux < 0) return false;
      }
    for (int i = 0; i < m.submaps; ++i) {
      if (r_.Read(8) >= times_) return false;
      m.floor[i] = r_.Read(8);
      if (m.floor[i] >= static_cast<int>(floors_.size()) || m.floor[i] < 0) return false;
      m.residue[i] = r_.Read(8);
      if (m.residue[i] >= static_cast<int>(residues_.size()) || m.residue[i] < 0) return false;
    }
    mappings_.push_back(m);
    return true;
  }

  // What decoding builds: the books' decode tables, the PCM buffers, and for every mode
  // its mapping's floor and residue tables, one set per submap.
  void CountTables() {
    int64_t& t = cost_->tableBytes;
    int64_t transient = 0;
    t += static_cast<int64_t>(books_.size()) * kDecodeBookBytes + kBlockHeader;
    for (const Book& b : books_) {
      if (b.used == 0) continue;
      const int64_t n = b.used, values = b.maptype ? n * b.dim * 4 : 0;
      const int firstBits = std::min(8, std::max(5, BitsOf(static_cast<uint32_t>(b.used)) - 4));
      t += n * 4 + n * 4 + n + (int64_t{4} << firstBits) + values + 5 * kBlockHeader;
      transient = std::max(transient, n * 4 + values);
      cost_->stackBytes = std::max(cost_->stackBytes, n * kStackPerUsedEntry);
    }
    const int64_t channels = std::max(shape_.channels, 1);
    const int64_t longBlock = std::max(shape_.blocksizes[1], 64);
    // PCM of a long block per channel, kept and again in the block being decoded.
    t += kDecoderStateBytes + channels * (longBlock * 4 * 3 + 16) + static_cast<int64_t>(modes_.size()) * 8;
    for (const Mode& mode : modes_) {
      const Mapping& m = mappings_[mode.mapping];
      t += kMappingLookBytes + m.submaps * 4 * 8;
      for (int s = 0; s < m.submaps; ++s) {
        const Floor& f = floors_[m.floor[s]];
        const int64_t half = std::max(shape_.blocksizes[mode.blockflag == 1 ? 1 : 0], 64) / 2;
        t += f.type == 0 ? kFloor0LookBytes + (half + 1) * 4 + int64_t{f.barkmap} * 4 + 2 * kBlockHeader
                         : kFloor1LookBytes;
        const Residue& r = residues_[m.residue[s]];
        t += kResidueLookBytes + r.partitions * 8 + r.stageBooks * 8 + r.stageLists * kBlockHeader +
             r.partvals * (8 + r.groupDim * 4 + kBlockHeader);
      }
    }
    t += transient;
  }

  BitReader r_;
  const VorbisStreamShape& shape_;
  const int64_t limit_;
  VorbisSetupCost* cost_;
  VorbisSetupVerdict verdict_ = VorbisSetupVerdict::kMalformed;
  int32_t times_ = 0;
  std::vector<Book> books_;
  std::vector<Floor> floors_;
  std::vector<Residue> residues_;
  std::vector<Mapping> mappings_;
  std::vector<Mode> modes_;
};

}  // namespace

VorbisSetupVerdict VorbisSetup_Check(const uint8_t* packet, size_t size, const VorbisStreamShape& shape,
                                     int64_t limit, VorbisSetupCost* cost) {
  *cost = VorbisSetupCost{};
  if (!packet) return VorbisSetupVerdict::kMalformed;
  return SetupReader(packet, size, shape, limit, cost).Run();
}

int64_t VorbisSetup_CommentBytes(const uint8_t* packet, size_t size) {
  BitReader r(packet, size);
  r.Skip(7, 8);
  const int32_t vendor = r.Read(32);
  if (vendor < 0 || vendor > r.Left()) return 0;
  r.Skip(vendor, 8);
  const int32_t count = r.Read(32);
  if (count < 0 || count > r.Left() >> 2) return 0;
  int64_t bytes = vendor + 1 + (int64_t{count} + 1) * 12 + 3 * kBlockHeader;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t length = r.Read(32);
    if (length < 0 || length > r.Left()) return 0;
    r.Skip(length, 8);
    bytes += length + 1 + kBlockHeader;
  }
  return bytes;
}
