#pragma once
// The RIFF WAVE records this program reads and writes, with explicit little-endian access.
#include <cstdint>
#include <cstring>

namespace wav {

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagGsm610 = 49;
constexpr uint32_t kGsmBlockAlign = 65;
constexpr uint32_t kGsmSamplesPerBlock = 320;
// Extra bytes after the GSM format record: extra size, samples per block.
constexpr uint16_t kGsmExtraSize = 2;
// Rates the sound engine's mixer plays at their own pitch (16 x 44.1 kHz at most); the
// player's stream sizes also stay far inside 32 bits.
constexpr uint32_t kMinSampleRate = 200;
constexpr uint32_t kMaxSampleRate = 705600;
// The RIFF and "data" sizes a writer leaves until it closes the file. Read as "to the end
// of the file" by this program, sox and ffmpeg alike, so a recording cut off by a reset,
// a power loss or a full card still reads to its last whole block, however long it is.
constexpr uint32_t kUnfinishedSize = 0xFFFFFFFF;
// The first 16 bytes of a "fmt " chunk.
constexpr uint32_t kFormatRecordBytes = 16;

inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
inline void PutLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline bool IsFourCc(const uint8_t* p, const char* id) { return memcmp(p, id, 4) == 0; }
// A chunk's id and size as they begin it.
inline void PutChunkHeader(uint8_t* p, const char* id, uint32_t size) {
    memcpy(p, id, 4);
    PutLe32(p + 4, size);
}

// WAVEFORMAT as a "fmt " chunk begins.
struct FormatRecord {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;

    static FormatRecord Decode(const uint8_t (&bytes)[kFormatRecordBytes]);
    void Encode(uint8_t (&bytes)[kFormatRecordBytes]) const;
};

}  // namespace wav
