// PNG through libpng's sequential reading API from memory; any libpng error
// jumps back here and fails the decode.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "DecodedPicture.h"

namespace {

struct MemoryReader {
    const BYTE* data;
    size_t size;
    size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->position) png_error(png, "truncated");
    memcpy(out, reader->data + reader->position, count);
    reader->position += count;
}

// libpng reports through longjmp; warnings (damaged ancillary chunks) are not fatal.
void QuietWarning(png_structp, png_const_charp) {}

struct PngReadScope {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngReadScope() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

// Everything that is set before the setjmp must not be a local changed after it: the
// picture and the row table live in the caller's objects.
bool ReadPng(PngReadScope& scope, MemoryReader& reader, DecodedPicture& out, std::vector<png_bytep>& rows) {
    png_structp png = scope.png;
    png_infop info = scope.info;
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colourType, &interlace, nullptr, nullptr);
    const bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;

    // Every layout becomes 8-bit BGRA: palettes and low depths expanded, a transparent
    // colour turned into alpha, 16-bit channels scaled with rounding, grey widened.
    png_set_expand(png);
    png_set_scale_16(png);
    if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    png_set_bgr(png);
    if (!alpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) return false;
    if (!out.Allocate(width, height)) return false;
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = reinterpret_cast<png_bytep>(&out.argb[static_cast<size_t>(y) * width]);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    out.hasAlpha = alpha;
    out.format = alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB;
    return true;
}

}  // namespace

bool DecodePng(const BYTE* data, size_t size, DecodedPicture& out) {
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
    PngReadScope scope;
    scope.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, QuietWarning);
    if (!scope.png) return false;
    scope.info = png_create_info_struct(scope.png);
    if (!scope.info) return false;
    MemoryReader reader = {data, size, 0};
    std::vector<png_bytep> rows;
    DecodedPicture picture;
    if (!ReadPng(scope, reader, picture, rows)) return false;
    out = std::move(picture);
    return true;
}
