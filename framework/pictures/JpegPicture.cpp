// JPEG pictures through libjpeg, read from the file in blocks; a libjpeg error jumps back
// and the picture is not taken. A picture with a target is decoded at the smallest DCT
// scale that still covers it, then scaled to it, so the whole picture shows.
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <memory>

#include "DeviceScreen.h"
#include "Dib.h"
#include "ImageStrip.h"
#include "PictureBudget.h"
#include "PictureLoading.h"
#include "Rgb565.h"

namespace {

constexpr size_t kReadBlock = 4096;
// What the decoder's own tables may take (a progressive picture keeps all its coefficients
// at full size, whatever the scale) beside the decoded copy, which takes the budget; the
// scaled copies that follow are smaller than the screen.
constexpr size_t kDecoderBytes = kPictureMemoryBudget / 2;

struct FileSource {
    jpeg_source_mgr manager;
    FILE* file;
    JOCTET block[kReadBlock];
};

void InitSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr info) {
    auto* source = reinterpret_cast<FileSource*>(info->src);
    size_t got = fread(source->block, 1, kReadBlock, source->file);
    if (got == 0) {
        // A file cut short ends as if its end marker were there, as libjpeg's own file source does.
        WARNMS(info, JWRN_JPEG_EOF);
        source->block[0] = 0xFF;
        source->block[1] = JPEG_EOI;
        got = 2;
    }
    source->manager.next_input_byte = source->block;
    source->manager.bytes_in_buffer = got;
    return TRUE;
}

void SkipInput(j_decompress_ptr info, long count) {
    auto* source = reinterpret_cast<FileSource*>(info->src);
    while (count > static_cast<long>(source->manager.bytes_in_buffer)) {
        count -= static_cast<long>(source->manager.bytes_in_buffer);
        FillInput(info);
    }
    if (count > 0) {
        source->manager.next_input_byte += count;
        source->manager.bytes_in_buffer -= static_cast<size_t>(count);
    }
}

void TermSource(j_decompress_ptr) {}

struct JumpingErrors {
    jpeg_error_mgr manager;
    jmp_buf back;
};

void JumpBack(j_common_ptr info) { longjmp(reinterpret_cast<JumpingErrors*>(info->err)->back, 1); }
void NoMessage(j_common_ptr) {}

// The smallest of the decoder's scales 1, 1/2, 1/4 and 1/8 at which the picture still
// covers the target: the scaler then only shrinks it (a picture smaller than the target
// is decoded whole and enlarged).
unsigned TargetDenominator(unsigned pictureWidth, unsigned pictureHeight, int width, int height) {
    const unsigned ratio = std::min(pictureWidth / static_cast<unsigned>(width), pictureHeight / static_cast<unsigned>(height));
    return ratio >= 8 ? 8 : ratio >= 4 ? 4 : ratio >= 2 ? 2 : 1;
}

// At its own size unless a side exceeds the cap: then the smallest of 1/2, 1/4 and 1/8 that fits.
unsigned OwnSizeDenominator(unsigned pictureWidth, unsigned pictureHeight) {
    const unsigned longer = std::max(pictureWidth, pictureHeight);
    unsigned denominator = 1;
    while (denominator < 8 && (longer + denominator - 1) / denominator > kMaxPictureTargetSide) denominator *= 2;
    return denominator;
}

void ConvertRow(const JSAMPLE* from, bool grey, WORD* to, int count) {
    for (int x = 0; x < count; ++x, from += grey ? 1 : 3)
        to[x] = grey ? Rgb565_Narrow(from[0], from[0], from[0]) : Rgb565_Narrow(from[0], from[1], from[2]);
}

// A row kept at 8 bits a channel for the scaler, opaque.
void ConvertRow(const JSAMPLE* from, bool grey, uint32_t* to, int count) {
    for (int x = 0; x < count; ++x, from += grey ? 1 : 3) {
        const uint32_t red = from[0], green = grey ? from[0] : from[1], blue = grey ? from[0] : from[2];
        to[x] = 0xFF000000u | red << 16 | green << 8 | blue;
    }
}

void UseFileSource(jpeg_decompress_struct& info, FILE* file) {
    auto* source = static_cast<FileSource*>(
        (*info.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&info), JPOOL_PERMANENT, sizeof(FileSource)));
    source->file = file;
    source->manager.init_source = InitSource;
    source->manager.fill_input_buffer = FillInput;
    source->manager.skip_input_data = SkipInput;
    source->manager.resync_to_restart = jpeg_resync_to_restart;
    source->manager.term_source = TermSource;
    source->manager.bytes_in_buffer = 0;
    source->manager.next_input_byte = nullptr;
    info.src = &source->manager;
}

// Where the decoded rows go: the picture as shown (RGB565, at most the cap a side), or,
// when a target differs from the decoder's scale, the 32-bit picture that is scaled to it.
struct DecodeTarget {
    Image* shown;
    Dib& toScale;
    SIZE size;  // the target; 0 x 0 without one
};

// The libjpeg steps, from creating the decoder to destroying it. Only plain data lives
// between setjmp and a jump back, so the jump skips no destructor.
bool Decode(FILE* file, int mode, DecodeTarget& out) {
    jpeg_decompress_struct info = {};
    JumpingErrors errors = {};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JumpBack;
    errors.manager.output_message = NoMessage;
    if (setjmp(errors.back)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    // Beyond this libjpeg would need a backing store, which this build has not: it fails.
    info.mem->max_memory_to_use = static_cast<long>(kDecoderBytes);
    UseFileSource(info, file);
    jpeg_read_header(&info, TRUE);
    // The header's size is the file's claim: what the device's decoders refuse is not decoded here either.
    if (!Picture_SizeAccepted(info.image_width, info.image_height)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const bool grey = info.num_components == 1;
    if (grey) {
        info.out_color_space = JCS_GRAYSCALE;
    } else if (info.num_components == 3 && (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB)) {
        info.out_color_space = JCS_RGB;
    } else {
        jpeg_destroy_decompress(&info);
        return false;
    }
    int width = DeviceScreen_GetSystemMetrics(SM_CXSCREEN), height = DeviceScreen_GetSystemMetrics(SM_CYSCREEN);
    const bool target = Picture_FitSize(mode, static_cast<int>(info.image_width), static_cast<int>(info.image_height),
                                        width, height);
    info.scale_num = 1;
    info.scale_denom = target ? TargetDenominator(info.image_width, info.image_height, width, height)
                              : OwnSizeDenominator(info.image_width, info.image_height);
    jpeg_calc_output_dimensions(&info);
    const int decodedWidth = static_cast<int>(info.output_width), decodedHeight = static_cast<int>(info.output_height);
    const bool scaled = target && (decodedWidth != width || decodedHeight != height);
    out.size = scaled ? SIZE{width, height} : SIZE{0, 0};
    const int imageWidth = scaled ? decodedWidth : std::min(decodedWidth, kMaxPictureTargetSide);
    const int imageHeight = scaled ? decodedHeight : std::min(decodedHeight, kMaxPictureTargetSide);
    // The decoded copy: 32 bits a pixel for the scaler, else the RGB565 picture itself.
    const size_t copyBytes = static_cast<size_t>(imageWidth) * static_cast<size_t>(imageHeight) * (scaled ? 4 : 2);
    if (copyBytes > kPictureMemoryBudget) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    const bool created = scaled ? out.toScale.Create(imageWidth, imageHeight) : out.shown->Create(imageWidth, imageHeight);
    if (info.output_components != (grey ? 1 : 3) || !created) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    GdiFlush();
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                               info.output_width * info.output_components, 1);
    // Every scanline is read; at its own size, what lies past the cap is cut.
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        if (jpeg_read_scanlines(&info, row, 1) != 1) {
            jpeg_destroy_decompress(&info);
            return false;
        }
        if (scaled)
            ConvertRow(row[0], grey, out.toScale.Row(y), imageWidth);
        else if (y < imageHeight)
            ConvertRow(row[0], grey, out.shown->Row(y), imageWidth);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

ImagePtr Picture_LoadJpeg(const wchar_t* path, int mode, bool smooth) {
    FILE* file = Picture_OpenFile(path);
    if (!file) return nullptr;
    ImagePtr image(new (std::nothrow) Image());
    Dib toScale;
    bool ok = false;
    DecodeTarget out = {image.get(), toScale, {0, 0}};
    if (image) ok = Decode(file, mode, out);
    fclose(file);
    if (!ok) return nullptr;
    if (out.size.cx == 0) return image;
    std::unique_ptr<Dib> scaled = ImageStrip_Create(toScale, out.size.cx, out.size.cy, smooth);
    toScale.Free();
    return scaled ? Image::FromDib(*scaled) : nullptr;
}
