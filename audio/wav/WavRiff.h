#pragma once
// The chunk walk over a RIFF WAVE file, shared by the WAV probe and both WAV codecs.
// Every parser answers false for a structural fault: too short, wrong magic, missing or
// malformed "fmt ", "data" before "fmt ", more than 100 chunks, a known chunk running past
// the RIFF body, a format this program cannot decode.
#include "FileReader.h"
#include "WavFormat.h"

#include <cstdint>

class WavRiff {
public:
    enum class Walk { kToFormat, kToData };
    static constexpr int kMaxChunks = 100;
    static constexpr long kMinFileBytes = 44;

    explicit WavRiff(FileReader& reader) : body_{&reader, 0}, formatRest_{&reader, 0} {}

    // The RIFF header, "WAVE" and the walk to "fmt ", whose first 16 bytes it decodes.
    bool Open(wav::FormatRecord* format);
    // After Open: one check for each decodable format; each then steps over the rest of
    // the "fmt " chunk.
    bool CheckPcm(const wav::FormatRecord& format);
    bool CheckGsm(const wav::FormatRecord& format);
    // Walks on; kToFormat stops in "fmt " (format set), kToData at the first data byte
    // (dataLength set: the chunk's size, or what is left when that is 0 or too large).
    bool FindChunks(Walk mode, wav::FormatRecord* format, uint32_t* dataLength);

    static uint32_t PcmFrameCount(const wav::FormatRecord& format, uint32_t dataLength);
    // Whole blocks' samples, or the "fact" count when one was seen that is nonzero and smaller.
    uint32_t GsmFrameCount(const wav::FormatRecord& format, uint32_t dataLength) const;
    static uint64_t DurationMs(uint32_t frames, uint32_t sampleRate);

private:
    // Steps over the rest of "fmt " and its pad byte.
    bool SkipRestOfFormat();
    void SkipPad(uint32_t chunkSize);

    ChunkReader body_;        // what is left of the RIFF body
    ChunkReader formatRest_;  // the "fmt " chunk's bytes after its first 16
    bool formatPad_ = false;
    bool factSeen_ = false;
    uint32_t factCount_ = 0;
};
