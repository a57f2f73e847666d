#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "ImageTransforms.h"
#include "Rgb565.h"
#include "ScaleSteps.h"

ImagePtr Image_Scale(const Image& source, int width, int height) {
    if (source.IsEmpty() || width <= 0 || height <= 0) return nullptr;
    ImagePtr image(new (std::nothrow) Image());
    if (!image || !image->Create(width, height)) return nullptr;
    const uint32_t stepX = Scale_Step(source.Width() - 1, width);
    const uint32_t stepY = Scale_Step(source.Height() - 1, height);
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
