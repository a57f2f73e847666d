#pragma once
// Whole runs of a codec, for the WAV tests and the peer check's tool.
#include "AudioCodec.h"
#include "CodecFactoryTable.h"
#include "MemorySink.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace wavtest {

// Every frame an open codec delivers, read in pieces of `chunk` frames.
inline std::string ReadAll(AudioCodec& codec, uint32_t chunk, int frameBytes, int* result = nullptr) {
    std::string all;
    std::vector<char> block(chunk * frameBytes);
    for (;;) {
        uint32_t frames = chunk;
        const int r = codec.Read(block.data(), &frames);
        if (result) *result = r;
        if (r != 0 || frames == 0) break;
        all.append(block.data(), frames * frameBytes);
    }
    return all;
}

// Writes PCM through a codec into memory; empty when a step fails. Without the close, what
// a recording cut off would leave.
inline std::string Encode(int codecId, int rate, int channels, int bits, const std::string& pcm, size_t piece,
                          bool close = true) {
    std::unique_ptr<AudioCodec> codec(CodecFactoryTable::Create(codecId));
    MemorySink sink;
    codec->SetFormat(rate, channels, bits);
    codec->SetSink(&sink);
    if (codec->OpenWrite() != 0) return std::string();
    for (size_t at = 0; at < pcm.size(); at += piece) {
        const size_t n = std::min(piece, pcm.size() - at);
        if (codec->Write(pcm.data() + at, static_cast<uint32_t>(n)) != 0) return std::string();
    }
    if (close && codec->CloseWrite() != 0) return std::string();
    return sink.file;
}

inline std::vector<int16_t> Samples16(const std::string& bytes) {
    std::vector<int16_t> s(bytes.size() / 2);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) | static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    return s;
}

}  // namespace wavtest
