// JPEG through libjpeg from memory, straight into BGRA rows; a libjpeg error jumps
// back here and fails the decode.
#include <cstdio>

#include <jpeglib.h>

#include <csetjmp>

#include "DecodedPicture.h"

namespace {

struct JumpingErrors {
    jpeg_error_mgr manager;
    jmp_buf back;
};

void JumpBack(j_common_ptr info) { longjmp(reinterpret_cast<JumpingErrors*>(info->err)->back, 1); }
void NoMessage(j_common_ptr) {}

bool ReadJpeg(jpeg_decompress_struct& info, JumpingErrors& errors, const BYTE* data, size_t size,
              DecodedPicture& out) {
    if (setjmp(errors.back)) return false;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
    // Grey, YCbCr and RGB convert to BGRA; CMYK and YCCK pictures are not read.
    if (info.jpeg_color_space != JCS_GRAYSCALE && info.jpeg_color_space != JCS_YCbCr &&
        info.jpeg_color_space != JCS_RGB)
        return false;
    info.out_color_space = JCS_EXT_BGRA;
    if (!out.Allocate(info.image_width, info.image_height)) return false;
    // libjpeg's own tables (a progressive picture's coefficients) within the same budget:
    // past it the decoder asks for a backing store, which this build does not have, and fails.
    info.mem->max_memory_to_use = static_cast<long>(kPictureMemoryBudget);
    jpeg_start_decompress(&info);
    if (info.output_width != out.width || info.output_height != out.height || info.output_components != 4)
        return false;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(&out.argb[static_cast<size_t>(info.output_scanline) * out.width]);
        if (jpeg_read_scanlines(&info, &row, 1) != 1) return false;
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

bool DecodeJpeg(const BYTE* data, size_t size, DecodedPicture& out) {
    if (size < 3 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) return false;
    jpeg_decompress_struct info = {};
    JumpingErrors errors = {};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JumpBack;
    errors.manager.output_message = NoMessage;
    jpeg_create_decompress(&info);
    DecodedPicture picture;
    const bool ok = ReadJpeg(info, errors, data, size, picture);
    jpeg_destroy_decompress(&info);
    if (!ok) return false;
    picture.hasAlpha = false;
    picture.format = PixelFormat24bppRGB;
    out = std::move(picture);
    return true;
}
