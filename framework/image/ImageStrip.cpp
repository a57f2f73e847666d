#include "ImageStrip.h"

#include <algorithm>
#include <new>

#include "ScaleSteps.h"

namespace {

inline int Byte(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

}  // namespace

std::unique_ptr<Dib> ImageStrip_Create(const Dib& source, int width, int height, bool smooth) {
    if (source.IsEmpty() || width <= 0 || height <= 0) return nullptr;
    std::unique_ptr<Dib> strip(new (std::nothrow) Dib());
    if (!strip || !strip->Create(width, height)) return nullptr;
    const int shrink = smooth ? 1 : 0;
    StepTable columns(width), rows(height);
    if (!columns.entries || !rows.entries) return nullptr;
    columns.Fill(width, Scale_Step(source.Width() - shrink, width));
    rows.Fill(height, Scale_Step(source.Height() - shrink, height));
    GdiFlush();

    // A source one pixel wide or high has no neighbour beyond its last column or row.
    const int lastX = source.Width() - 1, lastY = source.Height() - 1;
    int y = 0;
    for (int j = 0; j < height; ++j) {
        y += rows.entries[j] >> 16;
        const int fy = rows.entries[j] & 0xFFFF;
        const uint32_t* row0 = source.Row(std::min(y, lastY));
        const uint32_t* row1 = source.Row(std::min(y + 1, lastY));
        uint32_t* out = strip->Row(j);
        int x = 0;
        for (int i = 0; i < width; ++i) {
            x += columns.entries[i] >> 16;
            const int x0 = std::min(x, lastX);
            if (!smooth) {
                out[i] = row0[x0];
                continue;
            }
            const int fx = columns.entries[i] & 0xFFFF;
            const int x1 = std::min(x + 1, lastX);
            uint32_t mixed = 0;
            for (int shift = 0; shift < 32; shift += 8)
                mixed |= static_cast<uint32_t>(Bilinear(Byte(row0[x0], shift), Byte(row0[x1], shift), Byte(row1[x0], shift),
                                                        Byte(row1[x1], shift), fx, fy))
                         << shift;
            out[i] = mixed;
        }
    }
    return strip;
}
