#include <gtest/gtest.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "DepsFixtures.h"
#include "FixtureFile.h"

namespace {

struct DecodedImage {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<std::uint8_t> pixels;
    int errorCode = 0;
};

// libjpeg's default error handler ends the process; this one jumps back instead.
struct JumpingErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void JumpOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JumpingErrorManager*>(info->err)->jump, 1);
}

// Only C objects live between setjmp and longjmp, so the jump skips no destructor.
bool DecodeJpeg(const std::vector<std::uint8_t>& bytes, DecodedImage& image)
{
    jpeg_decompress_struct decoder;
    JumpingErrorManager errors;
    decoder.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOnError;
    if (setjmp(errors.jump)) {
        image.errorCode = errors.base.msg_code;
        jpeg_destroy_decompress(&decoder);
        return false;
    }
    jpeg_create_decompress(&decoder);
    jpeg_mem_src(&decoder, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&decoder, TRUE);
    decoder.out_color_space = JCS_RGB;
    jpeg_start_decompress(&decoder);
    image.width = decoder.output_width;
    image.height = decoder.output_height;
    image.components = decoder.output_components;
    image.pixels.resize(size_t(image.width) * image.height * image.components);
    while (decoder.output_scanline < decoder.output_height) {
        JSAMPROW row = &image.pixels[size_t(decoder.output_scanline) * image.width * image.components];
        jpeg_read_scanlines(&decoder, &row, 1);
    }
    jpeg_finish_decompress(&decoder);
    jpeg_destroy_decompress(&decoder);
    return true;
}

}  // namespace

TEST(Libjpeg, DecodesTheQuadrantsCjpegEncoded)
{
    DecodedImage image;
    ASSERT_TRUE(DecodeJpeg(FixtureFile::Read(L"quadrants.jpg"), image));
    const int size = DepsFixtures::kImageSize;
    ASSERT_EQ(image.width, size);
    ASSERT_EQ(image.height, size);
    ASSERT_EQ(image.components, 3);

    // The colours make_fixtures.sh paints: top left, top right, bottom left, bottom right.
    const int expected[4][3] = {{200, 40, 40}, {40, 180, 60}, {30, 60, 200}, {128, 128, 128}};
    const int margin = 8;  // colour bleeds only near the quadrant borders
    const int tolerance = 4;
    int worst = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (std::abs(2 * x - size) < 2 * margin || std::abs(2 * y - size) < 2 * margin)
                continue;
            const int quadrant = (x >= size / 2) + 2 * (y >= size / 2);
            const std::uint8_t* pixel = &image.pixels[(size_t(y) * size + x) * 3];
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(pixel[c] - expected[quadrant][c]));
        }
    }
    EXPECT_LE(worst, tolerance);
}

TEST(Libjpeg, RejectsAFileThatIsNotAJpeg)
{
    const std::vector<std::uint8_t> ppm = FixtureFile::Read(L"quadrants.ppm");
    ASSERT_FALSE(ppm.empty());
    DecodedImage image;
    EXPECT_FALSE(DecodeJpeg(ppm, image));
    EXPECT_EQ(image.errorCode, JERR_NO_SOI);
}
