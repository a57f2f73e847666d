#include "ImageComposite.h"

#include <algorithm>
#include <cstring>

#include "Dib.h"
#include "Image.h"
#include "Rgb565.h"

namespace {

// Masks that clear the low bit(s) of every field, so a shift cannot carry one channel's
// bits into the next: halves and quarters without multiplication.
constexpr WORD kHalfMask = 0xF7DF;
constexpr WORD kQuarterMask = 0xE79F;
inline WORD Half(WORD p) { return static_cast<WORD>((p & kHalfMask) >> 1); }
inline WORD Quarter(WORD p) { return static_cast<WORD>((p & kQuarterMask) >> 2); }

// Luminance weights of the grey mode (on 8-bit channels, sum 16).
constexpr int kGreyGreen = 9, kGreyBlue = 2, kGreyRed = 5;

struct CompositeRect {
    int x, y, sourceX, sourceY, width, height;
};

// Clips the rectangle to both pictures; false when nothing is left to draw.
bool Clip(int destinationWidth, int destinationHeight, int sourceWidth, int sourceHeight, CompositeRect& r) {
    if (r.sourceX < 0 || r.sourceY < 0 || r.sourceX >= sourceWidth || r.sourceY >= sourceHeight ||
        r.x >= destinationWidth || r.y >= destinationHeight)
        return false;
    if (r.width == -1) r.width = sourceWidth - r.sourceX;
    if (r.height == -1) r.height = sourceHeight - r.sourceY;
    if (r.width <= 0 || r.height <= 0) return false;
    r.width = std::min(r.width, sourceWidth - r.sourceX);
    r.height = std::min(r.height, sourceHeight - r.sourceY);
    if (r.x < 0) {
        r.width += r.x;
        r.sourceX -= r.x;
        r.x = 0;
    }
    if (r.y < 0) {
        r.height += r.y;
        r.sourceY -= r.y;
        r.y = 0;
    }
    r.width = std::min(r.width, destinationWidth - r.x);
    r.height = std::min(r.height, destinationHeight - r.y);
    return r.width > 0 && r.height > 0;
}

// Runs op(d, s, alpha) over the rectangle; alpha is 255 where the source has no plane.
template <typename PixelOp>
void ForEachPixel(Image& destination, const Image& source, const CompositeRect& r, PixelOp op) {
    const bool hasAlpha = source.HasAlpha();
    for (int row = 0; row < r.height; ++row) {
        WORD* d = destination.Row(r.y + row) + r.x;
        const WORD* s = source.Row(r.sourceY + row) + r.sourceX;
        const BYTE* a = hasAlpha ? source.AlphaRow(r.sourceY + row) + r.sourceX : nullptr;
        for (int i = 0; i < r.width; ++i) d[i] = op(d[i], s[i], a ? a[i] : 255);
    }
}

WORD FixedWeight(WORD d, WORD s, int f) {
    if (f >= 64 && f <= 71) return static_cast<WORD>(Half(d) + Quarter(d) + Quarter(s));
    if (f >= 128 && f <= 135) return static_cast<WORD>(Half(d) + Half(s));
    if (f >= 192 && f <= 199) return static_cast<WORD>(Half(s) + Quarter(s) + Quarter(d));
    return Blend565(d, s, f);
}

WORD Brightened(WORD s, int f) {
    const Rgb8 c = Rgb565_Widen(s);
    return Rgb565_Narrow(std::min(255, c.red * f >> 7), std::min(255, c.green * f >> 7), std::min(255, c.blue * f >> 7));
}

WORD Greyed(WORD s, int f) {
    const Rgb8 c = Rgb565_Widen(s);
    const int luma = (kGreyGreen * c.green + kGreyBlue * c.blue + kGreyRed * c.red) >> 4;
    const int keep = 255 - f;
    return Rgb565_Narrow((keep * luma + f * c.red) >> 8, (keep * luma + f * c.green) >> 8, (keep * luma + f * c.blue) >> 8);
}

}  // namespace

bool Image_Composite(Image& destination, const Image& source, int x, int y, int sourceX, int sourceY, int width,
                     int height, int mode, int parameter) {
    if (destination.IsEmpty() || source.IsEmpty()) return false;
    CompositeRect r = {x, y, sourceX, sourceY, width, height};
    if (!Clip(destination.Width(), destination.Height(), source.Width(), source.Height(), r)) return false;
    GdiFlush();
    const int f = parameter;
    switch (mode) {
    case kCompositeBlend:
        ForEachPixel(destination, source, r, [f](WORD d, WORD s, int) { return FixedWeight(d, s, f); });
        break;
    case kCompositeBrightness:
        ForEachPixel(destination, source, r, [f](WORD d, WORD s, int a) { return Blend565(d, Brightened(s, f), a); });
        break;
    case kCompositeAnd:
        ForEachPixel(destination, source, r, [](WORD d, WORD s, int) { return static_cast<WORD>(d & s); });
        break;
    case kCompositeOr:
        ForEachPixel(destination, source, r, [](WORD d, WORD s, int) { return static_cast<WORD>(d | s); });
        break;
    case kCompositeGrey:
        ForEachPixel(destination, source, r, [f](WORD d, WORD s, int a) { return Blend565(d, Greyed(s, f), a); });
        break;
    default:
        if (source.HasAlpha()) {
            ForEachPixel(destination, source, r, [](WORD d, WORD s, int a) { return Blend565(d, s, a); });
        } else {
            for (int row = 0; row < r.height; ++row)
                memcpy(destination.Row(r.y + row) + r.x, source.Row(r.sourceY + row) + r.sourceX, r.width * sizeof(WORD));
        }
        break;
    }
    return true;
}

bool Dib_Composite(Dib& destination, const Dib& source, int x, int sourceX, int width) {
    if (destination.IsEmpty() || source.IsEmpty()) return false;
    CompositeRect r = {x, 0, sourceX, 0, width, -1};
    if (!Clip(destination.Width(), destination.Height(), source.Width(), source.Height(), r)) return false;
    GdiFlush();
    for (int row = 0; row < r.height; ++row) {
        uint32_t* d = destination.Row(row) + r.x;
        const uint32_t* s = source.Row(row) + r.sourceX;
        for (int i = 0; i < r.width; ++i) {
            const uint32_t alpha = s[i] >> 24;
            if (alpha == 0) continue;
            if (alpha == 255) {
                d[i] = s[i];
                continue;
            }
            uint32_t blended = d[i] & 0xFF000000u;  // the destination keeps its alpha
            for (int shift = 0; shift <= 16; shift += 8) {
                const int dc = (d[i] >> shift) & 0xFF, sc = (s[i] >> shift) & 0xFF;
                blended |= static_cast<uint32_t>(dc + ((sc - dc) * static_cast<int>(alpha) >> 8)) << shift;
            }
            d[i] = blended;
        }
    }
    return true;
}
