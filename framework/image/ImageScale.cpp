#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "ImageTransforms.h"
#include "Rgb565.h"

namespace {

// Entry k: the fraction of position k in its low 16 bits and, in its high 16 bits, how
// many whole pixels position k lies past position k - 1. Built once per call.
struct StepTable {
    explicit StepTable(int count) : entries(static_cast<uint32_t*>(malloc((count + 1) * sizeof(uint32_t)))) {}
    ~StepTable() { free(entries); }
    StepTable(const StepTable&) = delete;
    StepTable& operator=(const StepTable&) = delete;

    void Fill(int count, uint32_t step) {
        entries[0] = 0;
        for (int k = 0; k < count; ++k) entries[k + 1] = step + (entries[k] & 0xFFFF);
    }
    uint32_t* entries;
};

// One channel between four neighbours by the fractions fx and fy (16 bits each).
inline int Bilinear(int p00, int p10, int p01, int p11, int fx, int fy) {
    const int top = (p00 + ((p10 - p00) * fx >> 16)) & 0xFF;
    const int bottom = (p01 + ((p11 - p01) * fx >> 16)) & 0xFF;
    return top + ((bottom - top) * fy >> 16);
}

}  // namespace

ImagePtr Image_Scale(const Image& source, int width, int height) {
    if (source.IsEmpty() || width <= 0 || height <= 0) return nullptr;
    ImagePtr image(new (std::nothrow) Image());
    if (!image || !image->Create(width, height)) return nullptr;
    const uint32_t stepX = static_cast<uint32_t>(static_cast<int>((source.Width() - 1) * 65536.0 / width));
    const uint32_t stepY = static_cast<uint32_t>(static_cast<int>((source.Height() - 1) * 65536.0 / height));
    StepTable columns(width), rows(height);
    if (!columns.entries || !rows.entries) return nullptr;
    columns.Fill(width, stepX);
    rows.Fill(height, stepY);
    GdiFlush();

    // Neighbours past the last row or column are that row or column itself: a source one
    // pixel high or wide has nothing beyond it to read.
    const int lastX = source.Width() - 1, lastY = source.Height() - 1;
    int y = 0;
    for (int j = 0; j < height; ++j) {
        y += rows.entries[j] >> 16;
        const int fy = rows.entries[j] & 0xFFFF;
        const WORD* row0 = source.Row(std::min(y, lastY));
        const WORD* row1 = source.Row(std::min(y + 1, lastY));
        WORD* out = image->Row(j);
        int x = 0;
        for (int i = 0; i < width; ++i) {
            x += columns.entries[i] >> 16;
            const int fx = columns.entries[i] & 0xFFFF;
            const int x0 = std::min(x, lastX), x1 = std::min(x + 1, lastX);
            const Rgb8 p00 = Rgb565_Widen(row0[x0]), p10 = Rgb565_Widen(row0[x1]);
            const Rgb8 p01 = Rgb565_Widen(row1[x0]), p11 = Rgb565_Widen(row1[x1]);
            out[i] = Rgb565_Narrow(Bilinear(p00.red, p10.red, p01.red, p11.red, fx, fy),
                                   Bilinear(p00.green, p10.green, p01.green, p11.green, fx, fy),
                                   Bilinear(p00.blue, p10.blue, p01.blue, p11.blue, fx, fy));
        }
    }
    return image;
}
