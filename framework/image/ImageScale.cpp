#include <new>

#include "ImageTransforms.h"
#include "Rgb565.h"
#include "ScaleSteps.h"

ImagePtr Image_Scale(const Image& source, int width, int height) {
    if (source.IsEmpty() || width <= 0 || height <= 0) return nullptr;
    ImagePtr image(new (std::nothrow) Image());
    if (!image || !image->Create(width, height)) return nullptr;
    GdiFlush();
    const bool walked = Scale_Walk(source.Width(), source.Height(), width, height, Scale_Step(source.Width() - 1, width),
                                   Scale_Step(source.Height() - 1, height), [&](int i, int j, const ScalePoint& p) {
        const WORD* row0 = source.Row(p.y0);
        const WORD* row1 = source.Row(p.y1);
        const Rgb8 p00 = Rgb565_Widen(row0[p.x0]), p10 = Rgb565_Widen(row0[p.x1]);
        const Rgb8 p01 = Rgb565_Widen(row1[p.x0]), p11 = Rgb565_Widen(row1[p.x1]);
        image->Row(j)[i] = Rgb565_Narrow(Bilinear(p00.red, p10.red, p01.red, p11.red, p.fx, p.fy),
                                         Bilinear(p00.green, p10.green, p01.green, p11.green, p.fx, p.fy),
                                         Bilinear(p00.blue, p10.blue, p01.blue, p11.blue, p.fx, p.fy));
    });
    return walked ? std::move(image) : nullptr;
}
