#pragma once
// The GUIDs of the ASF objects and types the WMA reader knows, as they lie in the file
// (the first three fields little-endian).
#include <cstdint>
#include <cstring>

struct AsfGuid {
    uint8_t bytes[16];

    bool operator==(const AsfGuid& other) const { return memcmp(bytes, other.bytes, 16) == 0; }
    bool operator!=(const AsfGuid& other) const { return !(*this == other); }
};

namespace asf {
#define ORVALEN_ASF_GUID(a, b, c, d0, d1, d2, d3, d4, d5, d6, d7)                                              \
    AsfGuid {                                                                                                  \
        {static_cast<uint8_t>(a), static_cast<uint8_t>((a) >> 8), static_cast<uint8_t>((a) >> 16),             \
         static_cast<uint8_t>((a) >> 24), static_cast<uint8_t>(b), static_cast<uint8_t>((b) >> 8),             \
         static_cast<uint8_t>(c), static_cast<uint8_t>((c) >> 8), d0, d1, d2, d3, d4, d5, d6, d7}               \
    }
constexpr AsfGuid kHeader = ORVALEN_ASF_GUID(0x75B22630u, 0x668E, 0x11CF, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C);
constexpr AsfGuid kData = ORVALEN_ASF_GUID(0x75B22636u, 0x668E, 0x11CF, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C);
constexpr AsfGuid kFileProperties =
    ORVALEN_ASF_GUID(0x8CABDCA1u, 0xA947, 0x11CF, 0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65);
constexpr AsfGuid kStreamProperties =
    ORVALEN_ASF_GUID(0xB7DC0791u, 0xA9B7, 0x11CF, 0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65);
constexpr AsfGuid kContentDescription =
    ORVALEN_ASF_GUID(0x75B22633u, 0x668E, 0x11CF, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C);
constexpr AsfGuid kAudioMedia = ORVALEN_ASF_GUID(0xF8699E40u, 0x5B4D, 0x11CF, 0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B);
constexpr AsfGuid kAudioSpread =
    ORVALEN_ASF_GUID(0xBFC3CD50u, 0x618F, 0x11CF, 0x8B, 0xB2, 0x00, 0xAA, 0x00, 0xB4, 0xE2, 0x20);
#undef ORVALEN_ASF_GUID
}  // namespace asf
