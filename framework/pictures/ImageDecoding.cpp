// Decoding into an Image, beside the picture loaders: only what decodes links the decoders.
#include "Image.h"

#include "FactoryPicture.h"
#include "Rgb565.h"

bool Image::LoadBuffer(const BYTE* data, UINT size, float xScale, float yScale) {
    FactoryPicture picture;
    if (!picture.Decode(data, size, xScale, yScale)) return false;
    if (!Create(static_cast<int>(picture.Width()), static_cast<int>(picture.Height()))) return false;
    if (picture.HasAlpha() && !CreateAlpha(0)) return false;
    if (!HasAlpha()) {
        // Opaque pictures are drawn by the imaging object itself.
        HDC screen = GetDC(nullptr);
        HDC memory = MemoryDc(screen);
        ReleaseDC(nullptr, screen);
        const bool drawn = memory && picture.Draw(memory);
        GdiFlush();
        return drawn;
    }
    const int width = Width();
    return picture.ReadArgb([this, width](UINT y, const uint32_t* row) {
        WORD* pixels = Row(static_cast<int>(y));
        BYTE* alpha = AlphaRow(static_cast<int>(y));
        for (int x = 0; x < width; ++x) {
            pixels[x] = Rgb565_FromArgb(row[x]);
            alpha[x] = static_cast<BYTE>(row[x] >> 24);
        }
    });
}

bool Image::LoadResource(UINT id, HMODULE module, float xScale, float yScale) {
    const BYTE* data = nullptr;
    UINT size = 0;
    return FindImagesResource(id, module, data, size) && LoadBuffer(data, size, xScale, yScale);
}
