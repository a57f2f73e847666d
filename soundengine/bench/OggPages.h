#pragma once
// The pages of Ogg streams in a byte string, and their checksums set again after an edit,
// so that a decoder reads the edited page instead of passing over it. Shared by the
// load-bound tests and the mutation benchmark.
#include <cstdint>
#include <string>
#include <vector>

namespace oggpages {

struct Page {
  size_t at, size;
};

constexpr size_t kHeaderBytes = 27;  // "OggS" to the segment count
constexpr size_t kGranuleAt = 6, kChecksumAt = 22, kSegmentsAt = 26;

// The size of the whole page at `at`, 0 when none starts or fits there.
inline size_t PageSize(const std::string& f, size_t at) {
  if (at + kHeaderBytes > f.size() || f.compare(at, 4, "OggS") != 0) return 0;
  const size_t segments = static_cast<uint8_t>(f[at + kSegmentsAt]);
  size_t size = kHeaderBytes + segments;
  if (at + size > f.size()) return 0;
  for (size_t i = 0; i < segments; ++i) size += static_cast<uint8_t>(f[at + kHeaderBytes + i]);
  return at + size <= f.size() ? size : 0;
}

// The pages one after the other from the start (an Ogg file's).
inline std::vector<Page> Pages(const std::string& f) {
  std::vector<Page> pages;
  for (size_t at = 0, size; (size = PageSize(f, at)) > 0; at += size) pages.push_back({at, size});
  return pages;
}

inline void PutLe(std::string* f, size_t at, uint64_t v, int bytes) {
  for (int b = 0; b < bytes; ++b) (*f)[at + b] = static_cast<char>(v >> (8 * b));
}

// CRC-32 with the polynomial 0x04C11DB7, unreflected, over the page with its own field 0.
inline void Rechecksum(std::string* f, const Page& p) {
  PutLe(f, p.at + kChecksumAt, 0, 4);
  uint32_t crc = 0;
  for (size_t i = p.at; i < p.at + p.size; ++i) {
    crc ^= static_cast<uint32_t>(static_cast<uint8_t>((*f)[i])) << 24;
    for (int bit = 0; bit < 8; ++bit) crc = crc & 0x80000000u ? crc << 1 ^ 0x04C11DB7u : crc << 1;
  }
  PutLe(f, p.at + kChecksumAt, crc, 4);
}

// Every whole page anywhere in `f` (Ogg streams inside other files too).
inline void RechecksumAll(std::string* f) {
  for (size_t at = f->find("OggS"); at != std::string::npos; at = f->find("OggS", at + 1))
    if (const size_t size = PageSize(*f, at)) Rechecksum(f, {at, size});
}

}  // namespace oggpages
