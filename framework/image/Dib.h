#pragma once
// A 32-bit picture (bytes blue, green, red, alpha) for glyph strips and pictures drawn
// with plain GDI; its alpha byte counts only in DrawAlpha and Dib_Composite.
#include <windows.h>

#include <cstdint>

#include "DibSurface.h"

class Dib : public DibSurface {
public:
    Dib();
    ~Dib() override;

    bool Create(int width, int height);
    void Free() { ReleaseSection(); }

    uint32_t* Pixels() const { return static_cast<uint32_t*>(Bits()); }
    uint32_t* Row(int y) const { return Pixels() + static_cast<size_t>(y) * Stride(); }

    // Decodes encoded bytes (PNG, GIF, JPEG, BMP) through the imaging factory, scaled;
    // scales 1.0 and 1.0 keep the picture's own size. Decoding is defined with the
    // picture loaders (orvalen_pictures): only what decodes links the decoders.
    bool LoadBuffer(const BYTE* data, UINT size, float xScale, float yScale);
    // Decodes resource type "IMAGES" id of the module (null: the program), scaled.
    bool LoadResource(UINT id, HMODULE module, float xScale, float yScale);
    // BitBlt at the full size, through the mask when it is enabled.
    bool Draw(HDC dc, int x, int y);
    // Blends the picture by its alpha onto what the DC shows at (x, y). A width or height
    // of 0 draws nothing; otherwise the whole picture is drawn. False when the DC's area
    // cannot be captured.
    bool DrawAlpha(HDC dc, int x, int y, int width = -1, int height = -1);

private:
    int StrideFor(int width) const override { return width; }
};
