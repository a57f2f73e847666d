#pragma once
// Files written field by field, with the fields that size, count, place or choose
// something noted as they are written, and the edits the structure-aware generators make
// to them: a field set to a value picked to lie (zero, one, small, the largest of its
// width, just below or above what it was or what the file holds, random).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "LoadBounds.h"

namespace structured {

struct Field {
  size_t at;
  int bytes;                       // 1, 2, 3, 4 or 8
  bool big;                        // big-endian
  uint64_t value;                  // as written
  uint64_t holds;                  // what the file has room for (a count's records, a size's bytes)
  const char* name;
};

class FieldFile {
 public:
  std::string bytes;
  std::vector<Field> fields;
  std::string edits;               // what the mutation set, for the report

  size_t Size() const { return bytes.size(); }
  // Writes a number; with a name it is a field the mutations may set. `holds` 0: the
  // bytes behind the field.
  size_t Le(uint64_t v, int n, const char* name = nullptr, uint64_t holds = 0) { return Put(v, n, false, name, holds); }
  size_t Be(uint64_t v, int n, const char* name = nullptr, uint64_t holds = 0) { return Put(v, n, true, name, holds); }
  void Raw(const std::string& s) { bytes += s; }
  void Zeros(size_t n) { bytes.append(n, '\0'); }
  void Text(const std::string& s, size_t width) {
    std::string t = s.substr(0, width);
    t.resize(width, '\0');
    bytes += t;
  }
  // Sets a number written before (a size known only later); a field keeps the new value.
  void Patch(size_t at, uint64_t v, int n, bool big) {
    Store(at, v, n, big);
    for (Field& f : fields)
      if (f.at == at) f.value = v;
  }
  void PatchLe(size_t at, uint64_t v, int n) { Patch(at, v, n, false); }
  void PatchBe(size_t at, uint64_t v, int n) { Patch(at, v, n, true); }
  void Align(size_t to) {
    while (bytes.size() % to) bytes.push_back('\0');
  }

  void Store(size_t at, uint64_t v, int n, bool big) {
    for (int i = 0; i < n; ++i) bytes[at + (big ? n - 1 - i : i)] = static_cast<char>(v >> (8 * i));
  }

 private:
  size_t Put(uint64_t v, int n, bool big, const char* name, uint64_t holds) {
    const size_t at = bytes.size();
    bytes.append(static_cast<size_t>(n), '\0');
    Store(at, v, n, big);
    if (name) fields.push_back({at, n, big, v, holds, name});
    return at;
  }
};

inline uint64_t WidthMax(int bytes) { return bytes >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * bytes)) - 1; }

// One value for the field, picked to lie.
inline uint64_t LyingValue(const Field& f, size_t fileSize, std::mt19937& rng) {
  const uint64_t room = f.holds ? f.holds : fileSize > f.at ? fileSize - f.at : 0;
  return loadbound::LyingValue(f.value, WidthMax(f.bytes), room, rng);
}

// Sets one to three fields of the file to lying values (only fields that lie inside it).
inline void MutateFields(FieldFile& f, std::mt19937& rng) {
  if (f.fields.empty()) return;
  const int count = 1 + static_cast<int>(rng() % 3 == 0 ? rng() % 3 : 0);
  for (int i = 0; i < count; ++i) {
    const Field& field = f.fields[rng() % f.fields.size()];
    if (field.at + field.bytes > f.bytes.size()) continue;
    const uint64_t v = LyingValue(field, f.bytes.size(), rng) & WidthMax(field.bytes);
    f.Store(field.at, v, field.bytes, field.big);
    char text[96];
    std::snprintf(text, sizeof text, "%s%s=0x%llx", f.edits.empty() ? "" : ", ", field.name,
                  static_cast<unsigned long long>(v));
    f.edits += text;
  }
}

// Uniform on a log scale from 1 to `most`: counts in the tens of thousands come up as
// often as small ones.
inline uint32_t LogCount(std::mt19937& rng, uint32_t most) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const double v = std::exp(u(rng) * std::log(static_cast<double>(most) + 1.0));
  const uint32_t n = static_cast<uint32_t>(v);
  return n < 1 ? 1 : n > most ? most : n;
}

// A sine-ish wave of `n` bytes (data the decoders take).
inline std::string Wave(size_t n, uint32_t seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * (7 + seed % 5)) ^ (i >> 3) ^ seed);
  return s;
}

}  // namespace structured
