#pragma once
// A 16-bit RGB565 picture (red in bits 11-15, green 5-10, blue 0-4) with an optional
// 8-bit alpha plane (0 transparent, 255 opaque): the canvas on which clock faces, skins,
// icons, menu panels and slides are built. Rows are top-down; a row holds the width
// rounded up to even, and the alpha plane uses the same stride.
// Failures answer false (or null); nothing is shown to the user. GUI thread only.
#include <windows.h>

#include <memory>

#include "DibSurface.h"

class Dib;
class Image;
using ImagePtr = std::unique_ptr<Image>;

class Image : public DibSurface {
public:
    Image();
    ~Image() override;

    // Keeps the pixels and the alpha plane when the size is unchanged.
    bool Create(int width, int height);
    void Free() { ReleaseSection(); }

    WORD* Pixels() const { return static_cast<WORD*>(Bits()); }
    WORD* Row(int y) const { return Pixels() + static_cast<size_t>(y) * Stride(); }
    bool HasAlpha() const { return alpha_ != nullptr; }
    BYTE* Alpha() const { return alpha_.get(); }
    BYTE* AlphaRow(int y) const { return alpha_.get() + static_cast<size_t>(y) * Stride(); }
    // A new alpha plane of the image's size, every byte the given value; false without pixels.
    bool CreateAlpha(BYTE value);

    // Decodes encoded bytes (PNG, GIF, JPEG, BMP) through the imaging factory, scaled;
    // scales 1.0 and 1.0 keep the picture's own size. Decoding is defined with the
    // picture loaders (orvalen_pictures): only what decodes links the decoders.
    bool LoadBuffer(const BYTE* data, UINT size, float xScale, float yScale);
    // Decodes resource type "IMAGES" id of the module (null: the program), scaled.
    bool LoadResource(UINT id, HMODULE module, float xScale, float yScale);
    // A new image of the Dib's size, each pixel truncated to RGB565; no alpha plane.
    static ImagePtr FromDib(const Dib& dib);
    // Becomes a copy of other: size, pixels and alpha plane (none when other has none).
    bool Copy(const Image& other);
    // Every pixel of every row, the padding pixel included.
    void Fill(WORD colour);
    // The first pixel equal to colour from position on (the rest of that row, then each
    // following row); position is moved onto it. Null when none, or the start is outside.
    WORD* FindPixel(POINT& position, WORD colour);
    // Left half colour, right half alpha by luminance: the image becomes half as wide.
    bool SplitAlphaHalf();
    // Draws the area at (sourceX, sourceY); -1 sizes are the image's. With an alpha plane
    // the whole image is blended onto what the DC shows at (x, y) instead.
    bool Draw(HDC dc, int x, int y, int sourceX = 0, int sourceY = 0, int width = -1, int height = -1);

private:
    int StrideFor(int width) const override { return width + (width & 1); }
    void OnRelease() override { alpha_.reset(); }

    std::unique_ptr<BYTE[]> alpha_;
};

inline void ImagePtr_Release(ImagePtr& image) { image.reset(); }
