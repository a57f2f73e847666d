#include "ImageStrip.h"

#include <new>

#include "ScaleSteps.h"

namespace {

inline int Byte(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

}  // namespace

std::unique_ptr<Dib> ImageStrip_Create(const Dib& source, int width, int height, bool smooth) {
    if (source.IsEmpty() || width <= 0 || height <= 0) return nullptr;
    std::unique_ptr<Dib> strip(new (std::nothrow) Dib());
    if (!strip || !strip->Create(width, height)) return nullptr;
    GdiFlush();
    const int shrink = smooth ? 1 : 0;
    const bool walked = Scale_Walk(source.Width(), source.Height(), width, height, Scale_Step(source.Width() - shrink, width),
                                   Scale_Step(source.Height() - shrink, height), [&](int i, int j, const ScalePoint& p) {
        const uint32_t* row0 = source.Row(p.y0);
        if (!smooth) {
            strip->Row(j)[i] = row0[p.x0];
            return;
        }
        const uint32_t* row1 = source.Row(p.y1);
        uint32_t mixed = 0;
        for (int shift = 0; shift < 32; shift += 8)
            mixed |= static_cast<uint32_t>(Bilinear(Byte(row0[p.x0], shift), Byte(row0[p.x1], shift),
                                                    Byte(row1[p.x0], shift), Byte(row1[p.x1], shift), p.fx, p.fy))
                     << shift;
        strip->Row(j)[i] = mixed;
    });
    return walked ? std::move(strip) : nullptr;
}
