#pragma once
// One picture decoded by the platform's imaging factory for Image and Dib: its size
// and flags, its pixels as 32-bit ARGB, or the picture drawn into a DC.
#include <windows.h>

#include <cstdint>

#include "ComRef.h"
#include "imaging.h"

class FactoryPicture {
public:
    // COM is initialised on the calling thread and left so (other code of the thread may
    // rely on it). False when no factory exists or the bytes hold no picture, or the
    // scaled size is empty.
    bool Decode(const BYTE* data, UINT size, float xScale, float yScale);

    UINT Width() const { return info_.Width; }
    UINT Height() const { return info_.Height; }
    // Has an alpha channel that is not all opaque.
    bool HasAlpha() const {
        return (info_.Flags & (ImageFlagsHasAlpha | ImageFlagsAlphaOpaque)) == ImageFlagsHasAlpha;
    }

    // Locks the picture as 32-bit ARGB (bytes blue, green, red, alpha) and hands each
    // row to the reader: reader(y, row of Width() pixels).
    template <typename RowReader>
    bool ReadArgb(RowReader reader) {
        ComRef<IBitmapImage> bitmap;
        if (FAILED(factory_.Get()->CreateBitmapFromImage(image_.Get(), 0, 0, PixelFormat32bppARGB, InterpolationHintDefault,
                                                   bitmap.Receive())))
            return false;
        BitmapData locked = {};
        const RECT whole = {0, 0, static_cast<LONG>(Width()), static_cast<LONG>(Height())};
        if (FAILED(bitmap.Get()->LockBits(&whole, ImageLockModeRead, PixelFormat32bppARGB, &locked))) return false;
        const BYTE* row = static_cast<const BYTE*>(locked.Scan0);
        for (UINT y = 0; y < locked.Height; ++y, row += locked.Stride)
            reader(y, reinterpret_cast<const uint32_t*>(row));
        bitmap.Get()->UnlockBits(&locked);
        return true;
    }

    // Draws the picture at (0, 0) at its size into dc.
    bool Draw(HDC dc);

private:
    ComRef<IImagingFactory> factory_;
    ComRef<IImage> image_;
    ImageInfo info_ = {};
};
