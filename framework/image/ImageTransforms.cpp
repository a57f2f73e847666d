#include "ImageTransforms.h"

#include <cstring>
#include <new>

namespace {

// A new image of that size, with an alpha plane when the source has one.
ImagePtr NewLike(const Image& source, int width, int height, bool withAlpha) {
    ImagePtr image(new (std::nothrow) Image());
    if (!image || !image->Create(width, height)) return nullptr;
    if (withAlpha && source.HasAlpha() && !image->CreateAlpha(0)) return nullptr;
    GdiFlush();
    return image;
}

// Moves each source pixel and its alpha to where place(x, y, out column, out row) says.
template <typename Placement>
ImagePtr Remap(const Image& source, int width, int height, Placement place) {
    if (source.IsEmpty()) return nullptr;
    ImagePtr image = NewLike(source, width, height, true);
    if (!image) return nullptr;
    for (int y = 0; y < source.Height(); ++y) {
        for (int x = 0; x < source.Width(); ++x) {
            int column = 0, row = 0;
            place(x, y, column, row);
            image->Row(row)[column] = source.Row(y)[x];
            if (source.HasAlpha()) image->AlphaRow(row)[column] = source.AlphaRow(y)[x];
        }
    }
    return image;
}

}  // namespace

ImagePtr Image_FlipVertical(const Image& source) {
    const int last = source.Height() - 1;
    return Remap(source, source.Width(), source.Height(), [last](int x, int y, int& column, int& row) {
        column = x;
        row = last - y;
    });
}

ImagePtr Image_MirrorHorizontal(const Image& source) {
    const int last = source.Width() - 1;
    return Remap(source, source.Width(), source.Height(), [last](int x, int y, int& column, int& row) {
        column = last - x;
        row = y;
    });
}

ImagePtr Image_Rotate90(const Image& source) {
    const int last = source.Width() - 1;
    return Remap(source, source.Height(), source.Width(), [last](int x, int y, int& column, int& row) {
        column = y;
        row = last - x;
    });
}

ImagePtr Image_Scale2x(const Image& source) {
    if (source.IsEmpty()) return nullptr;
    ImagePtr image = NewLike(source, source.Width() * 2, source.Height() * 2, false);
    if (!image) return NewLike(source, 1, 1, false);
    for (int y = 0; y < source.Height(); ++y) {
        const WORD* from = source.Row(y);
        WORD* top = image->Row(2 * y);
        for (int x = 0; x < source.Width(); ++x) top[2 * x] = top[2 * x + 1] = from[x];
        memcpy(image->Row(2 * y + 1), top, image->Width() * sizeof(WORD));
    }
    return image;
}

ImagePtr Image_CopyRect(const Image& source, int firstRow, int height) {
    if (source.IsEmpty() || firstRow < 0 || firstRow >= source.Height()) return nullptr;
    const int available = source.Height() - firstRow;
    if (height == -1 || height > available) height = available;
    if (height <= 0) return nullptr;
    ImagePtr image = NewLike(source, source.Width(), height, true);
    if (!image) return nullptr;
    memcpy(image->Pixels(), source.Row(firstRow), static_cast<size_t>(source.Stride()) * height * sizeof(WORD));
    if (source.HasAlpha()) memcpy(image->Alpha(), source.AlphaRow(firstRow), static_cast<size_t>(source.Stride()) * height);
    return image;
}
