#pragma once
// Splits an MPEG audio Layer III stream into frames and reads each frame's header and
// side information, written here from the standard's layout for the encoder tests.
#include <cstdint>
#include <string>
#include <vector>

namespace mp3test {

struct GranuleChannelInfo {
    int part23Length = 0;
    int bigValues = 0;
    int globalGain = 0;
    int count1TableSelect = 0;
};

struct FrameInfo {
    size_t offset = 0;
    int bytes = 0;
    int version = 0;  // 1 MPEG-1, 0 MPEG-2
    int bitrateIndex = 0;
    int rateIndex = 0;
    int padding = 0;
    int mode = 0;
    int sideInfoBytes = 0;
    std::vector<GranuleChannelInfo> granuleChannels;  // granule-major
};

class BitReader {
public:
    BitReader(const std::string& bytes, size_t offset) : bytes_(bytes), bit_(offset * 8) {}
    int Get(int count) {
        int value = 0;
        for (int i = 0; i < count; ++i, ++bit_) {
            const size_t byte = bit_ / 8;
            const int b = byte < bytes_.size() ? static_cast<uint8_t>(bytes_[byte]) >> (7 - bit_ % 8) & 1 : 0;
            value = value << 1 | b;
        }
        return value;
    }

private:
    const std::string& bytes_;
    size_t bit_;
};

// Every frame from the start; stops at the first byte pair that is not a header.
inline std::vector<FrameInfo> ReadFrames(const std::string& file) {
    static const int kKbps[2][15] = {{0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
                                     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}};
    static const int kRates[2][3] = {{22050, 24000, 16000}, {44100, 48000, 32000}};
    std::vector<FrameInfo> frames;
    size_t offset = 0;
    while (offset + 4 <= file.size()) {
        BitReader r(file, offset);
        if (r.Get(12) != 0xFFF) break;
        FrameInfo f;
        f.offset = offset;
        f.version = r.Get(1);
        if (r.Get(2) != 1 || r.Get(1) != 1) break;  // layer III without CRC
        f.bitrateIndex = r.Get(4);
        f.rateIndex = r.Get(2);
        f.padding = r.Get(1);
        r.Get(1);
        f.mode = r.Get(2);
        r.Get(6);
        if (f.bitrateIndex < 1 || f.bitrateIndex > 14 || f.rateIndex > 2) break;
        const int channels = f.mode == 3 ? 1 : 2;
        const int granules = f.version == 1 ? 2 : 1;
        r.Get(f.version == 1 ? 9 : 8);
        r.Get(f.version == 1 ? (channels == 1 ? 5 : 3) : channels);
        if (f.version == 1) r.Get(4 * channels);
        for (int i = 0; i < granules * channels; ++i) {
            GranuleChannelInfo g;
            g.part23Length = r.Get(12);
            g.bigValues = r.Get(9);
            g.globalGain = r.Get(8);
            r.Get(f.version == 1 ? 4 : 9);
            r.Get(1 + 15 + 4 + 3 + (f.version == 1 ? 1 : 0) + 1);
            g.count1TableSelect = r.Get(1);
            f.granuleChannels.push_back(g);
        }
        f.sideInfoBytes = f.version == 1 ? (channels == 1 ? 17 : 32) : (channels == 1 ? 9 : 17);
        f.bytes = (f.version == 1 ? 144000 : 72000) * kKbps[f.version][f.bitrateIndex] /
                      kRates[f.version][f.rateIndex] + f.padding;
        frames.push_back(f);
        offset += f.bytes;
    }
    return frames;
}

}  // namespace mp3test
