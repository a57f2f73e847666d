// BMP through GDI: the headers are checked against the buffer, then GDI itself converts
// the rows (any depth, palette, bit fields or run-length coding) into a 32-bit DIB.
#include <cstring>
#include <vector>

#include "DecodedPicture.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr DWORD kCoreHeaderSize = 12;

DWORD ReadU32(const BYTE* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<DWORD>(p[3]) << 24; }
WORD ReadU16(const BYTE* p) { return static_cast<WORD>(p[0] | p[1] << 8); }

bool KnownHeaderSize(DWORD size) {
    return size == kCoreHeaderSize || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// What GDI will be handed: the info block (header, masks, palette) and the rows.
struct BmpLayout {
    LONG width = 0;
    LONG height = 0;  // negative: rows top-down
    const BYTE* bits = nullptr;
    size_t bitsSize = 0;
    std::vector<BYTE> info;  // a copy, aligned, with a size image GDI may trust
};

bool ReadLayout(const BYTE* data, size_t size, BmpLayout& layout) {
    if (size < kFileHeaderSize + kCoreHeaderSize || data[0] != 'B' || data[1] != 'M') return false;
    const DWORD offBits = ReadU32(data + 10);
    const BYTE* header = data + kFileHeaderSize;
    const DWORD headerSize = ReadU32(header);
    if (!KnownHeaderSize(headerSize) || kFileHeaderSize + headerSize > size) return false;
    const bool core = headerSize == kCoreHeaderSize;
    const LONG width = core ? ReadU16(header + 4) : static_cast<LONG>(ReadU32(header + 4));
    const LONG height = core ? ReadU16(header + 6) : static_cast<LONG>(ReadU32(header + 8));
    const WORD bpp = ReadU16(header + (core ? 10 : 14));
    const DWORD compression = core ? BI_RGB : ReadU32(header + 16);
    const DWORD declaredImageSize = core ? 0 : ReadU32(header + 20);
    const DWORD coloursUsed = core ? 0 : ReadU32(header + 32);
    if (width <= 0 || height == 0 || height == LONG(0x80000000)) return false;
    const UINT rows = static_cast<UINT>(height < 0 ? -height : height);
    if (static_cast<UINT>(width) > kMaxPictureSide || rows > kMaxPictureSide) return false;

    const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
    const bool depthFits = (compression == BI_RGB && (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32)) ||
                           (compression == BI_RLE8 && bpp == 8 && height > 0) ||
                           (compression == BI_RLE4 && bpp == 4 && height > 0) ||
                           (compression == BI_BITFIELDS && (bpp == 16 || bpp == 32));
    if (!depthFits) return false;

    size_t paletteEntries = 0;
    if (bpp <= 8) {
        paletteEntries = coloursUsed ? coloursUsed : (1u << bpp);
        if (paletteEntries > (1u << bpp)) return false;
    }
    const size_t maskBytes = (headerSize == 40 && compression == BI_BITFIELDS) ? 12 : 0;
    const size_t infoSize = headerSize + maskBytes + paletteEntries * (core ? 3 : 4);
    if (kFileHeaderSize + infoSize > size || offBits < kFileHeaderSize + infoSize || offBits >= size) return false;

    layout.bits = data + offBits;
    const size_t available = size - offBits;
    if (rle) {
        // The run-length reader stops at the size image: never past the buffer.
        layout.bitsSize = declaredImageSize && declaredImageSize < available ? declaredImageSize : available;
    } else {
        const size_t stride = (static_cast<size_t>(width) * bpp + 31) / 32 * 4;
        layout.bitsSize = stride * rows;
        if (layout.bitsSize > available) return false;
    }
    layout.info.assign(header, header + infoSize);
    if (!core) {
        DWORD sizeImage = static_cast<DWORD>(layout.bitsSize);
        memcpy(layout.info.data() + 20, &sizeImage, sizeof sizeImage);
    }
    layout.width = width;
    layout.height = height;
    return true;
}

}  // namespace

bool DecodeBmp(const BYTE* data, size_t size, DecodedPicture& out) {
    BmpLayout layout;
    if (!ReadLayout(data, size, layout)) return false;
    DecodedPicture picture;
    const UINT rows = static_cast<UINT>(layout.height < 0 ? -layout.height : layout.height);
    if (!picture.Allocate(static_cast<UINT>(layout.width), rows)) return false;

    BITMAPINFO target = {};
    target.bmiHeader.biSize = sizeof target.bmiHeader;
    target.bmiHeader.biWidth = layout.width;
    target.bmiHeader.biHeight = -static_cast<LONG>(rows);
    target.bmiHeader.biPlanes = 1;
    target.bmiHeader.biBitCount = 32;
    target.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &target, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!dib) return false;
    HDC dc = CreateCompatibleDC(nullptr);
    bool ok = false;
    if (dc && pixels) {
        HGDIOBJ previous = SelectObject(dc, dib);
        const int lines = StretchDIBits(dc, 0, 0, layout.width, rows, 0, 0, layout.width, rows, layout.bits,
                                        reinterpret_cast<const BITMAPINFO*>(layout.info.data()), DIB_RGB_COLORS,
                                        SRCCOPY);
        GdiFlush();
        ok = lines > 0;
        if (ok) memcpy(picture.argb.data(), pixels, picture.argb.size() * sizeof(uint32_t));
        SelectObject(dc, previous);
    }
    if (dc) DeleteDC(dc);
    DeleteObject(dib);
    if (!ok) return false;
    // GDI leaves the fourth byte as it found it; a BMP is opaque here.
    for (uint32_t& p : picture.argb) p |= 0xFF000000u;
    picture.hasAlpha = false;
    picture.format = PixelFormat24bppRGB;
    out = std::move(picture);
    return true;
}
