// Decoding into a Dib, beside the picture loaders: only what decodes links the decoders.
#include "Dib.h"

#include <cstring>

#include "FactoryPicture.h"

bool Dib::LoadBuffer(const BYTE* data, UINT size, float xScale, float yScale) {
    FactoryPicture picture;
    if (!picture.Decode(data, size, xScale, yScale)) return false;
    if (!Create(static_cast<int>(picture.Width()), static_cast<int>(picture.Height()))) return false;
    GdiFlush();
    const size_t rowBytes = static_cast<size_t>(Width()) * sizeof(uint32_t);
    return picture.ReadArgb([this, rowBytes](UINT y, const uint32_t* row) { memcpy(Row(static_cast<int>(y)), row, rowBytes); });
}

bool Dib::LoadResource(UINT id, HMODULE module, float xScale, float yScale) {
    const BYTE* data = nullptr;
    UINT size = 0;
    return FindImagesResource(id, module, data, size) && LoadBuffer(data, size, xScale, yScale);
}
