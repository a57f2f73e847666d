#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>

#include "Dib.h"
#include "ImageTestSupport.h"
#include "Rgb565.h"
#include "resource.h"

using namespace imagetests;

namespace {

// A picture of 37 x 23 (odd width: rows have a padding pixel) with colour in every
// direction; the PNG's alpha runs from transparent to opaque across it.
const char kScene[] = "-size 37x23 gradient:#FF2000-#0010FF \\( -size 23x37 gradient:black-#00F080 -rotate 90 \\) "
                      "-compose plus -composite";

class ImageDecode : public ::testing::Test {
protected:
    // Makes the picture with ImageMagick (options end with the format, as "PNG32:"); empty
    // bytes when that failed.
    std::vector<BYTE> Make(const std::wstring& name, const std::string& options) {
        if (!Convert(std::string(kScene) + " " + options + "\"" + folder_.UnixFile(name) + "\"")) return {};
        return ReadFile(folder_.File(name));
    }
    // Every pixel against ImageMagick's own reading, truncated to RGB565; alpha when asked.
    void ExpectPixels(const Image& image, const std::wstring& name, bool withAlpha, const std::string& options = "") {
        const std::vector<uint8_t> rgba = ImageMagickRgba(folder_, name, options);
        ASSERT_EQ(static_cast<size_t>(image.Width()) * image.Height() * 4, rgba.size());
        ASSERT_EQ(withAlpha, image.HasAlpha());
        GdiFlush();
        int wrong = 0;
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) {
                const uint8_t* p = &rgba[(static_cast<size_t>(y) * image.Width() + x) * 4];
                if (withAlpha) wrong += image.AlphaRow(y)[x] != p[3];
                if (p[3] != 0) wrong += image.Row(y)[x] != Rgb565_Narrow(p[0], p[1], p[2]);  // colour shows
            }
        EXPECT_EQ(0, wrong) << "pixels that differ from ImageMagick's";
    }

    ScratchFolder folder_;
};

}  // namespace

TEST_F(ImageDecode, PngWithAlphaGivesImageMagicksPixelsAndAlpha) {
    const std::vector<BYTE> png = Make(L"scene.png", "\\( +clone -fx \"i/(w-1)\" \\) -alpha off -compose copy_opacity -composite PNG32:");
    ASSERT_FALSE(png.empty());
    Image image;
    ASSERT_TRUE(image.LoadBuffer(png.data(), static_cast<UINT>(png.size()), 1.0f, 1.0f));
    EXPECT_EQ(37, image.Width());
    EXPECT_EQ(23, image.Height());
    ExpectPixels(image, L"scene.png", true);

    // The same picture into a Dib: ImageMagick's bytes exactly, alpha included.
    Dib dib;
    ASSERT_TRUE(dib.LoadBuffer(png.data(), static_cast<UINT>(png.size()), 1.0f, 1.0f));
    const std::vector<uint8_t> rgba = ImageMagickRgba(folder_, L"scene.png");
    GdiFlush();
    ASSERT_EQ(rgba.size(), static_cast<size_t>(dib.Width()) * dib.Height() * 4);
    for (size_t i = 0; i < rgba.size() / 4; ++i) {
        const uint8_t* p = &rgba[i * 4];
        ASSERT_EQ(static_cast<uint32_t>(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2], dib.Pixels()[i]) << i;
    }
}

TEST_F(ImageDecode, JpegGifAndBmpGiveImageMagicksPixels) {
    const struct {
        const char* label;
        const wchar_t* name;
        const char* options;
        bool alpha;
    } cases[] = {
        {"jpeg 4:2:0", L"scene.jpg", "-quality 85 -sampling-factor 2x2 JPG:", false},
        {"jpeg grey", L"scene-grey.jpg", "-colorspace gray -quality 90 JPG:", false},
        {"gif", L"scene.gif", "-colors 64 GIF:", false},
        {"gif with a transparent colour", L"scene-transparent.gif",
         "-alpha set -channel A -fx \"i>=3&&i<=12&&j>=3&&j<=9?0:1\" +channel -colors 32 GIF:", true},
        {"bmp 24-bit", L"scene.bmp", "BMP3:", false},
        {"bmp 4-bit palette", L"scene-palette.bmp", "-colors 16 -type palette BMP3:", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::vector<BYTE> bytes = Make(c.name, c.options);
        ASSERT_FALSE(bytes.empty());
        Image image;
        ASSERT_TRUE(image.LoadBuffer(bytes.data(), static_cast<UINT>(bytes.size()), 1.0f, 1.0f));
        ExpectPixels(image, c.name, c.alpha);
    }
}

TEST_F(ImageDecode, ScaleFactorsAskForAThumbnail) {
    const std::vector<BYTE> png = Make(L"scene.png", "-resize 40x24! PNG24:");
    ASSERT_FALSE(png.empty());
    Image half;
    ASSERT_TRUE(half.LoadBuffer(png.data(), static_cast<UINT>(png.size()), 0.5f, 0.5f));
    ASSERT_EQ(20, half.Width());
    ASSERT_EQ(12, half.Height());
    // Each pixel is the mean of the 2 x 2 block it stands for, as ImageMagick's -scale.
    EXPECT_EQ(0, CountPixelsBeyondAStep(half, ImageMagickRgba(folder_, L"scene.png", "-scale 50%")));
    Image tall;
    ASSERT_TRUE(tall.LoadBuffer(png.data(), static_cast<UINT>(png.size()), 1.0f, 2.0f));
    EXPECT_EQ(40, tall.Width());
    EXPECT_EQ(48, tall.Height());
    EXPECT_FALSE(tall.LoadBuffer(png.data(), static_cast<UINT>(png.size()), 0.01f, 0.01f));  // nothing left
}

TEST_F(ImageDecode, DamagedBytesFailCleanly) {
    const std::vector<BYTE> png = Make(L"scene.png", "PNG32:");
    const std::vector<BYTE> jpeg = Make(L"scene.jpg", "JPG:");
    const std::vector<BYTE> gif = Make(L"scene.gif", "GIF:");
    const std::vector<BYTE> bmp = Make(L"scene.bmp", "BMP3:");
    ASSERT_FALSE(png.empty() || jpeg.empty() || gif.empty() || bmp.empty());
    Image image;
    const BYTE noise[] = "not a picture at all, just words";
    EXPECT_FALSE(image.LoadBuffer(noise, sizeof noise, 1.0f, 1.0f));
    EXPECT_FALSE(image.LoadBuffer(nullptr, 0, 1.0f, 1.0f));
    for (const std::vector<BYTE>* file : {&png, &jpeg, &gif, &bmp}) {
        // Cut short anywhere in the headers or the data: false or a picture, never a crash.
        for (size_t cut = 1; cut < file->size(); cut += 1 + cut / 3) image.LoadBuffer(file->data(), static_cast<UINT>(cut), 1.0f, 1.0f);
        std::vector<BYTE> flipped = *file;
        srand(7);
        for (int round = 0; round < 40; ++round) {
            flipped = *file;
            for (int n = 0; n < 4; ++n) flipped[rand() % flipped.size()] ^= static_cast<BYTE>(1 + rand() % 255);
            image.LoadBuffer(flipped.data(), static_cast<UINT>(flipped.size()), 1.0f, 1.0f);
        }
    }
    // A PNG whose header claims a picture far too large for the device is refused.
    std::vector<BYTE> huge = png;
    huge[16] = 0x7F;  // the width's high byte; the header's checksum made to match
    const uLong crc = crc32(0, &huge[12], 17);
    for (int i = 0; i < 4; ++i) huge[29 + i] = static_cast<BYTE>(crc >> (24 - 8 * i));
    EXPECT_FALSE(image.LoadBuffer(huge.data(), static_cast<UINT>(huge.size()), 1.0f, 1.0f));
    // Width only sets when a picture was decoded: a cut-short BMP header gives nothing.
    Image fresh;
    EXPECT_FALSE(fresh.LoadBuffer(bmp.data(), 40, 1.0f, 1.0f));
    EXPECT_TRUE(fresh.IsEmpty());
}

TEST(ImageResource, LoadsTheProgramsPictures) {
    Dib strip;
    ASSERT_TRUE(strip.LoadResource(IDR_FONT_SMALL_STRIP, nullptr, 1.0f, 1.0f));
    EXPECT_EQ(310, strip.Width());
    EXPECT_EQ(30, strip.Height());
    Image large;
    ASSERT_TRUE(large.LoadResource(IDR_FONT_LARGE_STRIP, nullptr, 1.0f, 1.0f));
    EXPECT_EQ(620, large.Width());
    EXPECT_TRUE(large.HasAlpha());
    EXPECT_FALSE(large.LoadResource(9999, nullptr, 1.0f, 1.0f));
}
