#pragma once
// The standard's Layer III code tables and synthesis window as the libmad decoder holds
// them, turned into the form an encoder uses: the Huffman trees are walked into one
// (code, length) per value, and the window is measured from the decoder's own synthesis
// of single subband impulses. The encoder's constant tables must equal these.
#include <mad.h>

#include <cmath>
#include <cstdint>
#include <vector>

// libmad's decoding tables (its huffman.h is not installed; the layout is its own).
extern "C" {
union MadHuffQuad {
    struct {
        unsigned short final : 1;
        unsigned short bits : 3;
        unsigned short offset : 12;
    } ptr;
    struct {
        unsigned short final : 1;
        unsigned short hlen : 3;
        unsigned short v : 1;
        unsigned short w : 1;
        unsigned short x : 1;
        unsigned short y : 1;
    } value;
    unsigned short final : 1;
};
union MadHuffPair {
    struct {
        unsigned short final : 1;
        unsigned short bits : 3;
        unsigned short offset : 12;
    } ptr;
    struct {
        unsigned short final : 1;
        unsigned short hlen : 3;
        unsigned short x : 4;
        unsigned short y : 4;
    } value;
    unsigned short final : 1;
};
struct MadHuffTable {
    const MadHuffPair* table;
    unsigned short linbits;
    unsigned short startbits;
};
extern const MadHuffQuad* const mad_huff_quad_table[2];
extern const MadHuffTable mad_huff_pair_table[32];
}

namespace libmadtables {

struct Code {
    uint32_t bits = 0;
    int length = 0;  // 0: no code seen
};

// codes[x * size + y] of a pair table; size is 16 for the escape tables.
inline void WalkPairs(const MadHuffPair* table, int offset, int clump, uint32_t prefix, int prefixLength, int size,
                      std::vector<Code>* codes) {
    for (uint32_t v = 0; v < (1u << clump); ++v) {
        const MadHuffPair& entry = table[offset + v];
        if (!entry.final) {
            WalkPairs(table, entry.ptr.offset, entry.ptr.bits, prefix << clump | v, prefixLength + clump, size, codes);
            continue;
        }
        const int hlen = entry.value.hlen;
        Code& code = (*codes)[entry.value.x * size + entry.value.y];
        code.bits = prefix << hlen | v >> (clump - hlen);
        code.length = prefixLength + hlen;
    }
}

inline std::vector<Code> PairCodes(int tableNumber, int size) {
    std::vector<Code> codes(size * size);
    const MadHuffTable& table = mad_huff_pair_table[tableNumber];
    WalkPairs(table.table, 0, table.startbits, 0, 0, size, &codes);
    return codes;
}

// codes[v << 3 | w << 2 | x << 1 | y] of count1 table A (0) or B (1).
inline std::vector<Code> QuadCodes(int tableNumber) {
    std::vector<Code> codes(16);
    const MadHuffQuad* table = mad_huff_quad_table[tableNumber];
    for (uint32_t v = 0; v < 16; ++v) {
        const MadHuffQuad& first = table[v];
        auto store = [&](const MadHuffQuad& entry, uint32_t prefix, int prefixLength, uint32_t bits, int clump) {
            const int hlen = entry.value.hlen;
            Code& code = codes[entry.value.v << 3 | entry.value.w << 2 | entry.value.x << 1 | entry.value.y];
            code.bits = prefix << hlen | bits >> (clump - hlen);
            code.length = prefixLength + hlen;
        };
        if (first.final) {
            store(first, 0, 0, v, 4);
            continue;
        }
        for (uint32_t w = 0; w < (1u << first.ptr.bits); ++w)
            store(table[first.ptr.offset + w], v, 4, w, first.ptr.bits);
    }
    return codes;
}

// The synthesis window D[0..511] in units of 2^-16 (the analysis window is D / 32), measured
// from libmad's synthesis: an impulse in subband k gives
// out[32t + j] = D[j + 32t] * cos((16 + j + 32 (t & 1)) (2k + 1) pi / 64).
inline std::vector<double> SynthesisWindow() {
    const double pi = std::acos(-1.0);
    std::vector<double> window(512);
    std::vector<double> weight(512);
    for (int k = 0; k < 32; ++k) {
        mad_frame frame;
        mad_synth synth;
        mad_frame_init(&frame);
        mad_synth_init(&synth);
        frame.header.layer = MAD_LAYER_III;
        frame.header.mode = MAD_MODE_SINGLE_CHANNEL;
        frame.header.samplerate = 44100;
        frame.header.flags = 0;
        frame.options = 0;
        for (auto& slot : frame.sbsample[0])
            for (auto& value : slot) value = 0;
        frame.sbsample[0][0][k] = MAD_F_ONE / 2;
        mad_synth_frame(&synth, &frame);
        for (int t = 0; t < 16; ++t) {
            for (int j = 0; j < 32; ++j) {
                const double c = std::cos((16 + j + 32 * (t & 1)) * (2 * k + 1) * pi / 64);
                const double out = double(synth.pcm.samples[0][32 * t + j]) / MAD_F_ONE * 2;
                // Least squares over the subbands: the best-conditioned ones count most.
                window[j + 32 * t] += out * c;
                weight[j + 32 * t] += c * c;
            }
        }
        mad_frame_finish(&frame);
    }
    for (int i = 0; i < 512; ++i) window[i] = window[i] / weight[i] * 65536;
    // The synthesis never reads D[16 + 64m]; the window is odd about 256 (D[512 - i] = -D[i]
    // for 0 < i < 256), which gives them.
    for (int i = 16; i < 512; i += 64) window[i] = -window[512 - i];
    return window;
}

}  // namespace libmadtables
