// GIF through giflib: the first frame only, placed on the logical screen. Reading
// record by record keeps an animation's later frames from being decompressed at all.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "DecodedPicture.h"

namespace {

struct MemoryReader {
    const BYTE* data;
    size_t size;
    size_t position;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int count) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    if (count < 0) return 0;
    size_t n = static_cast<size_t>(count);
    if (n > reader->size - reader->position) n = reader->size - reader->position;
    memcpy(out, reader->data + reader->position, n);
    reader->position += n;
    return static_cast<int>(n);
}

struct GifScope {
    GifFileType* gif = nullptr;
    ~GifScope() {
        int error = 0;
        if (gif) DGifCloseFile(gif, &error);
    }
};

// The transparent palette index of a graphic control extension, else the one given.
int TransparentIndex(GifByteType* extension, int current) {
    GraphicsControlBlock control;
    if (extension && DGifExtensionToGCB(extension[0], extension + 1, &control) == GIF_OK)
        return control.TransparentColor;
    return current;
}

// Skips an extension's sub-blocks, noting a graphic control block's transparency.
bool ReadExtension(GifFileType* gif, int& transparent) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
    if (code == GRAPHICS_EXT_FUNC_CODE) transparent = TransparentIndex(block, transparent);
    while (block) {
        if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
    }
    return true;
}

// Rows of an interlaced frame arrive in four passes.
std::vector<int> RowOrder(int height, bool interlaced) {
    std::vector<int> order;
    order.reserve(height);
    if (!interlaced) {
        for (int y = 0; y < height; ++y) order.push_back(y);
        return order;
    }
    const int start[] = {0, 4, 2, 1};
    const int step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass]) order.push_back(y);
    return order;
}

bool ReadFrame(GifFileType* gif, int transparent, DecodedPicture& out) {
    if (DGifGetImageDesc(gif) != GIF_OK) return false;
    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!colours || frame.Width <= 0 || frame.Height <= 0 || static_cast<UINT>(frame.Width) > kMaxPictureSide ||
        static_cast<UINT>(frame.Height) > kMaxPictureSide)
        return false;
    UINT width = gif->SWidth > 0 ? gif->SWidth : frame.Width;
    UINT height = gif->SHeight > 0 ? gif->SHeight : frame.Height;
    if (!out.Allocate(width, height)) return false;
    // Outside the first frame the screen shows nothing.
    const bool covers = frame.Left == 0 && frame.Top == 0 && static_cast<UINT>(frame.Width) >= width &&
                        static_cast<UINT>(frame.Height) >= height;
    if (!covers) std::fill(out.argb.begin(), out.argb.end(), 0u);
    out.hasAlpha = !covers || transparent >= 0;

    std::vector<GifPixelType> line(frame.Width);
    for (int row : RowOrder(frame.Height, frame.Interlace)) {
        if (DGifGetLine(gif, line.data(), frame.Width) != GIF_OK) return false;
        const long y = static_cast<long>(frame.Top) + row;
        if (y < 0 || y >= static_cast<long>(height)) continue;
        for (int i = 0; i < frame.Width; ++i) {
            const long x = static_cast<long>(frame.Left) + i;
            if (x < 0 || x >= static_cast<long>(width)) continue;
            const int index = line[i];
            uint32_t pixel = 0xFF000000u;  // an index past the palette shows black
            if (index == transparent) {
                pixel = 0;
            } else if (index < colours->ColorCount) {
                const GifColorType& c = colours->Colors[index];
                pixel |= static_cast<uint32_t>(c.Red) << 16 | static_cast<uint32_t>(c.Green) << 8 | c.Blue;
            }
            out.argb[static_cast<size_t>(y) * width + x] = pixel;
        }
    }
    out.format = out.hasAlpha ? PixelFormat32bppARGB : PixelFormat24bppRGB;
    return true;
}

}  // namespace

bool DecodeGif(const BYTE* data, size_t size, DecodedPicture& out) {
    if (size < 6 || (memcmp(data, "GIF87a", 6) != 0 && memcmp(data, "GIF89a", 6) != 0)) return false;
    MemoryReader reader = {data, size, 0};
    GifScope scope;
    int error = 0;
    scope.gif = DGifOpen(&reader, ReadFromMemory, &error);
    if (!scope.gif) return false;
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(scope.gif, &record) != GIF_OK) return false;
        if (record == EXTENSION_RECORD_TYPE) {
            if (!ReadExtension(scope.gif, transparent)) return false;
        } else if (record == IMAGE_DESC_RECORD_TYPE) {
            DecodedPicture picture;
            if (!ReadFrame(scope.gif, transparent, picture)) return false;
            out = std::move(picture);
            return true;
        } else {
            return false;  // the end before any frame, or an unknown record
        }
    }
}
