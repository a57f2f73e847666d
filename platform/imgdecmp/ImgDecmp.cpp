// imgdecmp.dll: the device's older picture decompressor, over the same decoders as the
// imaging factory. The caller's callback feeds the whole file; the picture comes back
// as a top-down DIB section of the depth asked for.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "DecodedPicture.h"
#include "imgdecmp.h"

namespace {

// As the imaging factory: larger files are refused.
constexpr size_t kMaxPictureFileBytes = 64u * 1024 * 1024;
// Scales beyond this would only make pictures the device cannot hold.
constexpr int kMaxScalePercent = 1000;

bool ValidRecord(const IMAGE_DECOMPRESSION_RECORD* record) {
    return record && record->size == sizeof *record && record->readBuffer && record->readBufferSize > 0 &&
           record->bitmap && record->read && record->scale > 0 && record->scale <= kMaxScalePercent &&
           (record->bitDepth == 16 || record->bitDepth == 24 || record->bitDepth == 32);
}

// The whole file through the caller's buffer; false when it is empty, too large, or the
// callback claims more than the buffer holds.
bool ReadWholeFile(const IMAGE_DECOMPRESSION_RECORD& record, std::vector<BYTE>& bytes) {
    for (;;) {
        const DWORD got = record.read(record.readBuffer, record.readBufferSize, record.readParameter);
        if (got == 0) return !bytes.empty();
        if (got > record.readBufferSize || bytes.size() + got > kMaxPictureFileBytes) return false;
        bytes.insert(bytes.end(), record.readBuffer, record.readBuffer + got);
    }
}

// The picture's size by the scale, then shrunk to fit the maximum with its proportions.
void TargetSize(const DecodedPicture& picture, const IMAGE_DECOMPRESSION_RECORD& record, UINT& width, UINT& height) {
    double w = picture.width * (record.scale / 100.0), h = picture.height * (record.scale / 100.0);
    if (record.maxWidth > 0 && w > record.maxWidth) {
        h = h * record.maxWidth / w;
        w = record.maxWidth;
    }
    if (record.maxHeight > 0 && h > record.maxHeight) {
        w = w * record.maxHeight / h;
        h = record.maxHeight;
    }
    width = std::max(1u, static_cast<UINT>(w));
    height = std::max(1u, static_cast<UINT>(h));
}

// A pixel as it shows: see-through pixels blended over the transparent colour when one is given.
uint32_t Shown(uint32_t argb, COLORREF over) {
    const uint32_t alpha = argb >> 24;
    if (over == CLR_INVALID || alpha == 255) return argb;
    const uint32_t back[3] = {GetRValue(over), GetGValue(over), GetBValue(over)};
    uint32_t out = 0xFF000000u;
    for (int i = 0; i < 3; ++i) {
        const uint32_t c = (argb >> (16 - 8 * i)) & 0xFF;
        out |= ((c * alpha + back[i] * (255 - alpha) + 127) / 255) << (16 - 8 * i);
    }
    return out;
}

struct BitfieldsInfo {
    BITMAPINFOHEADER header;
    DWORD masks[3];
};

HBITMAP MakeBitmap(const DecodedPicture& picture, int depth, COLORREF transparent) {
    BitfieldsInfo info = {};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = static_cast<LONG>(picture.width);
    info.header.biHeight = -static_cast<LONG>(picture.height);
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(depth);
    info.header.biCompression = depth == 16 ? BI_BITFIELDS : BI_RGB;
    info.masks[0] = 0xF800;
    info.masks[1] = 0x07E0;
    info.masks[2] = 0x001F;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    GdiFlush();
    const size_t rowBytes = (static_cast<size_t>(picture.width) * depth + 31) / 32 * 4;
    for (UINT y = 0; y < picture.height; ++y) {
        BYTE* row = static_cast<BYTE*>(bits) + rowBytes * y;
        const uint32_t* from = &picture.argb[static_cast<size_t>(y) * picture.width];
        for (UINT x = 0; x < picture.width; ++x) {
            const uint32_t p = Shown(from[x], transparent);
            const BYTE red = static_cast<BYTE>(p >> 16), green = static_cast<BYTE>(p >> 8), blue = static_cast<BYTE>(p);
            if (depth == 16) {
                reinterpret_cast<WORD*>(row)[x] = static_cast<WORD>((red >> 3) << 11 | (green >> 2) << 5 | blue >> 3);
            } else if (depth == 24) {
                row[x * 3] = blue;
                row[x * 3 + 1] = green;
                row[x * 3 + 2] = red;
            } else {
                reinterpret_cast<uint32_t*>(row)[x] = p & 0xFFFFFFu;
            }
        }
    }
    return bitmap;
}

HRESULT Decompress(IMAGE_DECOMPRESSION_RECORD& record) {
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(record, bytes)) return E_FAIL;
    DecodedPicture picture;
    if (!DecodePicture(bytes.data(), bytes.size(), picture)) return E_FAIL;
    bytes = std::vector<BYTE>();
    UINT width = 0, height = 0;
    TargetSize(picture, record, width, height);
    DecodedPicture sized;
    const DecodedPicture* shown = &picture;
    if (width != picture.width || height != picture.height) {
        if (!ScalePicture(picture, width, height, sized)) return E_OUTOFMEMORY;
        shown = &sized;
    }
    HBITMAP bitmap = MakeBitmap(*shown, record.bitDepth, record.transparentColour);
    if (!bitmap) return E_OUTOFMEMORY;
    *record.bitmap = bitmap;
    return S_OK;
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DecompressImageIndirect(IMAGE_DECOMPRESSION_RECORD* record) {
    if (!ValidRecord(record)) return E_INVALIDARG;
    *record->bitmap = nullptr;
    try {
        return Decompress(*record);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}
