// WMA files for the structure-aware generators: a real encoder's file (ffmpeg's) taken
// apart object by object and packet by packet, its data packets repeated to the count
// wanted, and every object, packet, payload and stream size noted as a field.
#include <vector>

#include "LoadBoundMakers.h"

namespace structured {

namespace {

constexpr size_t kMostPackets = 2000;

uint64_t Get(const std::string& s, size_t at, int n) {
  uint64_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(at + i < s.size() ? s[at + i] : 0);
  return v;
}

int CodedBytes(unsigned type) { return type == 3 ? 4 : static_cast<int>(type); }

const char kFileProperties[] = "\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65";
const char kStreamProperties[] = "\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65";
const char kData[] = "\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C";

bool IsGuid(const std::string& s, size_t at, const char* guid) { return s.compare(at, 16, guid, 16) == 0; }

// Notes the fields of the header object (its objects' sizes, the file and stream
// properties) in `f`, whose bytes are the seed's.
void HeaderFields(FieldFile& f, size_t end) {
  const std::string& s = f.bytes;
  f.fields.push_back({16, 8, false, Get(s, 16, 8), 0, "header size"});
  f.fields.push_back({24, 4, false, Get(s, 24, 4), 0, "header object count"});
  for (size_t at = 30; at + 24 <= end;) {
    const uint64_t size = Get(s, at + 16, 8);
    f.fields.push_back({at + 16, 8, false, size, 0, "object size"});
    const size_t body = at + 24;
    if (IsGuid(s, at, kFileProperties)) {
      static const struct {
        size_t at;
        int bytes;
        const char* name;
      } kProps[] = {{32, 8, "packet count"}, {40, 8, "play duration"}, {56, 8, "preroll"},
                    {64, 4, "file flags"},   {68, 4, "min packet size"}, {72, 4, "max packet size"}};
      for (const auto& p : kProps) f.fields.push_back({body + p.at, p.bytes, false, Get(s, body + p.at, p.bytes), 0, p.name});
    } else if (IsGuid(s, at, kStreamProperties)) {
      const size_t type = body + 32 + 8;
      f.fields.push_back({type, 4, false, Get(s, type, 4), 0, "type data length"});
      f.fields.push_back({type + 4, 4, false, Get(s, type + 4, 4), 0, "error correction length"});
      f.fields.push_back({type + 8, 2, false, Get(s, type + 8, 2), 0, "stream flags"});
      const size_t wave = type + 14;
      static const struct {
        size_t at;
        int bytes;
        const char* name;
      } kWave[] = {{0, 2, "format tag"}, {2, 2, "channels"}, {4, 4, "rate"}, {8, 4, "bytes a second"},
                   {12, 2, "block align"}, {14, 2, "bits"}, {16, 2, "extra size"}};
      for (const auto& w : kWave) f.fields.push_back({wave + w.at, w.bytes, false, Get(s, wave + w.at, w.bytes), 0, w.name});
      const size_t spread = wave + Get(s, type, 4);
      f.fields.push_back({spread, 1, false, Get(s, spread, 1), 0, "spread span"});
      f.fields.push_back({spread + 1, 2, false, Get(s, spread + 1, 2), 0, "spread packet length"});
      f.fields.push_back({spread + 3, 2, false, Get(s, spread + 3, 2), 0, "spread chunk length"});
      f.fields.push_back({spread + 5, 2, false, Get(s, spread + 5, 2), 0, "silence length"});
    }
    if (size < 24) break;
    at += static_cast<size_t>(size);
  }
}

// Notes the fields of the packet at `at`: its header and each payload's header.
void PacketFields(FieldFile& f, size_t at, size_t end) {
  const std::string& s = f.bytes;
  size_t p = at;
  f.fields.push_back({p, 1, false, Get(s, p, 1), 0, "error correction flags"});
  if (static_cast<uint8_t>(s[p]) & 0x80) p += 1 + (s[p] & 0x0F);
  const unsigned lengthType = static_cast<uint8_t>(s[p]);
  f.fields.push_back({p, 1, false, lengthType, 0, "length type flags"});
  const unsigned property = static_cast<uint8_t>(s[p + 1]);
  f.fields.push_back({p + 1, 1, false, property, 0, "property flags"});
  p += 2;
  const auto coded = [&](unsigned type, const char* name) {
    const int n = CodedBytes(type & 3);
    if (n) f.fields.push_back({p, n, false, Get(s, p, n), 0, name});
    p += static_cast<size_t>(n);
    return n ? Get(s, p - n, n) : 0;
  };
  coded(lengthType >> 5, "packet length");
  coded(lengthType >> 1, "sequence");
  coded(lengthType >> 3, "padding length");
  p += 6;
  unsigned payloads = 1, payloadFlags = 0x80;
  if (lengthType & 1) {
    payloadFlags = static_cast<uint8_t>(s[p]);
    f.fields.push_back({p, 1, false, payloadFlags, 0, "payload flags"});
    payloads = payloadFlags & 0x3F;
    ++p;
  }
  for (unsigned i = 0; i < payloads && p + 1 < end; ++i) {
    f.fields.push_back({p, 1, false, Get(s, p, 1), 0, "stream number"});
    ++p;
    coded(property >> 4, "object number");
    coded(property >> 2, "object offset");
    const uint64_t replicated = coded(property, "replicated length");
    if (replicated >= 8) {
      f.fields.push_back({p, 4, false, Get(s, p, 4), 0, "object size"});
      f.fields.push_back({p + 4, 4, false, Get(s, p + 4, 4), 0, "presentation time"});
    }
    p += static_cast<size_t>(replicated);
    const uint64_t length = (lengthType & 1) ? coded(payloadFlags >> 6, "payload length") : end - p;
    p += static_cast<size_t>(length);
  }
}

}  // namespace

FieldFile MakeAsf(std::mt19937& rng, const Seeds& seeds) {
  FieldFile f;
  const std::string& seed = seeds.wma;
  if (seed.size() < 30) return f;
  const size_t headerEnd = static_cast<size_t>(Get(seed, 16, 8));
  if (headerEnd + 50 > seed.size() || !IsGuid(seed, headerEnd, kData)) return f;
  // The packets: as many as the data object holds of the seed's fixed size.
  size_t minPacket = 0;
  for (size_t at = 30; at + 24 <= headerEnd;) {
    if (IsGuid(seed, at, kFileProperties)) minPacket = static_cast<size_t>(Get(seed, at + 24 + 68, 4));
    const uint64_t size = Get(seed, at + 16, 8);
    if (size < 24) break;
    at += static_cast<size_t>(size);
  }
  const size_t packetsStart = headerEnd + 50;
  if (minPacket == 0) return f;
  std::vector<std::string> packets;
  for (size_t at = packetsStart; at + minPacket <= seed.size(); at += minPacket) packets.push_back(seed.substr(at, minPacket));
  if (packets.empty()) return f;
  const size_t count = rng() % 3 ? packets.size() : LogCount(rng, kMostPackets);

  f.Raw(seed.substr(0, packetsStart));
  HeaderFields(f, headerEnd);
  f.fields.push_back({headerEnd + 16, 8, false, 0, 0, "data object size"});
  f.fields.push_back({headerEnd + 40, 8, false, 0, 0, "data packet count"});
  for (size_t i = 0; i < count; ++i) {
    const size_t at = f.Size();
    f.Raw(packets[i % packets.size()]);
    if (i < 3 || rng() % 64 == 0) PacketFields(f, at, f.Size());
  }
  f.Store(headerEnd + 16, f.Size() - headerEnd, 8, false);
  f.Store(headerEnd + 40, count, 8, false);
  return f;
}

}  // namespace structured
