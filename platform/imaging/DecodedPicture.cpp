#include "DecodedPicture.h"

#include <new>

bool DecodedPicture::Allocate(UINT w, UINT h) {
    if (!Picture_SizeAccepted(w, h) || static_cast<uint64_t>(w) * h * sizeof(uint32_t) > kPictureMemoryBudget)
        return false;
    try {
        argb.assign(static_cast<size_t>(w) * h, 0xFF000000u);
    } catch (const std::bad_alloc&) {
        return false;
    }
    width = w;
    height = h;
    return true;
}

UINT DecodedPicture::Flags() const {
    if (!hasAlpha) return 0;
    for (uint32_t p : argb) {
        if ((p >> 24) != 0xFF) return ImageFlagsHasAlpha;
    }
    return ImageFlagsHasAlpha | ImageFlagsAlphaOpaque;
}

bool DecodePicture(const BYTE* data, size_t size, DecodedPicture& out) {
    if (!data || size == 0) return false;
    // Signatures are distinct, so the order only decides which probe runs first.
    return DecodePng(data, size, out) || DecodeJpeg(data, size, out) || DecodeGif(data, size, out) ||
           DecodeBmp(data, size, out);
}

namespace {

// The source span [first, end) that target index i of count covers in a line of
// sourceCount; at least one pixel, so enlarging repeats the nearest one.
void SourceSpan(UINT i, UINT count, UINT sourceCount, UINT& first, UINT& end) {
    first = static_cast<UINT>(static_cast<uint64_t>(i) * sourceCount / count);
    end = static_cast<UINT>(static_cast<uint64_t>(i + 1) * sourceCount / count);
    if (end <= first) end = first + 1;
}

uint32_t AveragePixels(const DecodedPicture& source, UINT x0, UINT x1, UINT y0, UINT y1) {
    uint64_t a = 0, r = 0, g = 0, b = 0;
    for (UINT y = y0; y < y1; ++y) {
        const uint32_t* row = &source.argb[static_cast<size_t>(y) * source.width];
        for (UINT x = x0; x < x1; ++x) {
            const uint32_t p = row[x];
            const uint32_t alpha = p >> 24;
            a += alpha;
            // Colours weighted by alpha: transparent pixels lend no colour to their neighbours.
            r += ((p >> 16) & 0xFF) * alpha;
            g += ((p >> 8) & 0xFF) * alpha;
            b += (p & 0xFF) * alpha;
        }
    }
    const uint64_t n = static_cast<uint64_t>(x1 - x0) * (y1 - y0);
    if (a == 0) return 0;
    const uint32_t outA = static_cast<uint32_t>((a + n / 2) / n);
    const uint32_t outR = static_cast<uint32_t>((r + a / 2) / a);
    const uint32_t outG = static_cast<uint32_t>((g + a / 2) / a);
    const uint32_t outB = static_cast<uint32_t>((b + a / 2) / a);
    return outA << 24 | outR << 16 | outG << 8 | outB;
}

}  // namespace

bool ScalePicture(const DecodedPicture& source, UINT width, UINT height, DecodedPicture& out) {
    if (source.argb.empty() || !out.Allocate(width, height)) return false;
    out.hasAlpha = source.hasAlpha;
    out.format = source.format;
    for (UINT y = 0; y < height; ++y) {
        UINT y0, y1;
        SourceSpan(y, height, source.height, y0, y1);
        for (UINT x = 0; x < width; ++x) {
            UINT x0, x1;
            SourceSpan(x, width, source.width, x0, x1);
            out.argb[static_cast<size_t>(y) * width + x] = AveragePixels(source, x0, x1, y0, y1);
        }
    }
    return true;
}
