#include "Image.h"

#include <cstring>
#include <new>

#include "Dib.h"
#include "ImageComposite.h"
#include "Rgb565.h"

namespace {

// Weights of the luminance that turns the right half into alpha (on 8-bit channels).
constexpr unsigned kLumaGreen = 9, kLumaRed = 5, kLumaBlue = 2;
// Luminance above this counts as fully opaque.
constexpr unsigned kOpaqueLuma = 249;

}  // namespace

Image::Image() : DibSurface(16, 0xF800, 0x07E0, 0x001F) {}

Image::~Image() { Free(); }

bool Image::Create(int width, int height) { return CreateSection(width, height); }

bool Image::CreateAlpha(BYTE value) {
    if (IsEmpty()) return false;
    const size_t size = static_cast<size_t>(Stride()) * Height();
    alpha_.reset(new (std::nothrow) BYTE[size]);
    if (!alpha_) return false;
    memset(alpha_.get(), value, size);
    return true;
}

ImagePtr Image::FromDib(const Dib& dib) {
    ImagePtr image(new (std::nothrow) Image());
    if (!image || dib.IsEmpty() || !image->Create(dib.Width(), dib.Height())) return nullptr;
    GdiFlush();
    for (int y = 0; y < dib.Height(); ++y) {
        const uint32_t* from = dib.Row(y);
        WORD* to = image->Row(y);
        for (int x = 0; x < dib.Width(); ++x) to[x] = Rgb565_FromArgb(from[x]);
    }
    return image;
}

bool Image::Copy(const Image& other) {
    if (other.IsEmpty() || !Create(other.Width(), other.Height())) return false;
    GdiFlush();
    memcpy(Pixels(), other.Pixels(), static_cast<size_t>(Stride()) * Height() * sizeof(WORD));
    if (!other.HasAlpha()) {
        alpha_.reset();
        return true;
    }
    if (!HasAlpha() && !CreateAlpha(0)) return false;
    memcpy(alpha_.get(), other.Alpha(), static_cast<size_t>(Stride()) * Height());
    return true;
}

void Image::Fill(WORD colour) {
    if (IsEmpty()) return;
    GdiFlush();
    const size_t count = static_cast<size_t>(Stride()) * Height();
    if ((colour & 0xFF) == (colour >> 8)) {
        memset(Pixels(), colour & 0xFF, count * sizeof(WORD));
    } else {
        WORD* p = Pixels();
        for (size_t i = 0; i < count; ++i) p[i] = colour;
    }
}

WORD* Image::FindPixel(POINT& position, WORD colour) {
    if (IsEmpty() || position.x < 0 || position.y < 0 || position.x >= Width() || position.y >= Height())
        return nullptr;
    GdiFlush();
    for (int y = position.y, x = position.x; y < Height(); ++y, x = 0) {
        WORD* row = Row(y);
        for (; x < Width(); ++x) {
            if (row[x] == colour) {
                position.x = x;
                position.y = y;
                return &row[x];
            }
        }
    }
    return nullptr;
}

bool Image::SplitAlphaHalf() {
    const int half = Width() / 2;
    Image split;
    if (!split.Create(half, Height()) || !split.CreateAlpha(0)) return false;
    GdiFlush();
    for (int y = 0; y < Height(); ++y) {
        const WORD* from = Row(y);
        WORD* colour = split.Row(y);
        BYTE* alpha = split.AlphaRow(y);
        for (int x = 0; x < half; ++x) {
            colour[x] = from[x];
            const WORD p = from[half + x];
            const unsigned red8 = (p >> 11) << 3, green8 = ((p >> 5) & 0x3F) << 2, blue8 = (p & 0x1F) << 3;
            const unsigned luma = (kLumaGreen * green8 + kLumaRed * red8 + kLumaBlue * blue8) >> 4;
            alpha[x] = static_cast<BYTE>(luma > kOpaqueLuma ? 255 : luma);
        }
    }
    return Copy(split);
}

bool Image::Draw(HDC dc, int x, int y, int sourceX, int sourceY, int width, int height) {
    if (width == -1) width = Width();
    if (height == -1) height = Height();
    if (width == 0 || height == 0) return true;
    if (IsEmpty()) return false;
    if (!HasAlpha()) return Blit(dc, x, y, sourceX, sourceY, width, height);
    // Blended: what the DC shows under the image, the image over it, then back.
    Image under;
    if (!under.CaptureDc(dc, x, y, Width(), Height())) return false;
    Image_Composite(under, *this, 0, 0, 0, 0, -1, -1, kCompositeAsIs, 0);
    return under.Blit(dc, x, y, 0, 0, Width(), Height());
}
