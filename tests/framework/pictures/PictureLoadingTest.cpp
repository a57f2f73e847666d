#include <gtest/gtest.h>

#include "DeviceScreen.h"
#include "DeviceVersion.h"
#include "DialogTestSupport.h"
#include "ImageStrip.h"
#include "PictureLoading.h"
#include "PictureTestSupport.h"
#include "Rgb565.h"
#include "TestSupport.h"

using namespace imagetests;
using namespace picturetests;

namespace {

// 37 x 23 (odd width) with colour in every direction; the PNG's alpha runs from
// transparent at the left to opaque at the right.
const char kScene[] = "-size 37x23 gradient:#FF2000-#0010FF \\( -size 23x37 gradient:black-#00F080 -rotate 90 \\) "
                      "-compose plus -composite";
const char kAlphaRamp[] = "\\( +clone -fx \"i/(w-1)\" \\) -alpha off -compose copy_opacity -composite PNG32:";

TEST(PictureFitSize, ModesAndLimits) {
    struct Case {
        int mode, pictureWidth, pictureHeight, screenWidth, screenHeight;
        bool fitted;
        int width, height;
    } cases[] = {
        {kFitAll, 640, 480, 240, 320, true, 240, 180},                // wider: the width is kept
        {kFitAll, 480, 640, 240, 320, true, 240, 320},                // taller: the height is kept
        {kFitAll, 500, 500, 240, 320, true, 240, 240},                // square: the smaller side
        {kFitAll, 100, 50, 240, 320, true, 240, 120},                 // smaller ones grow
        {kFitLargerOnly, 100, 50, 240, 320, false, 240, 320},         // smaller ones stay
        {kFitLargerOnly, 640, 480, 240, 320, true, 240, 180},
        {kFillLargerFitSmaller, 640, 480, 240, 320, true, 426, 320},  // covers the screen
        {kFillLargerFitSmaller, 300, 600, 240, 320, true, 240, 480},
        {kFillLargerFitSmaller, 100, 50, 240, 320, true, 240, 120},   // smaller: fitted
        // Fitted within the screen, or covering it, whatever the orientations.
        {kFitAll, 270, 330, 240, 320, true, 240, 293},
        {kFillLargerFitSmaller, 270, 330, 240, 320, true, 261, 320},
        {kFitAll, 300, 200, 320, 240, true, 320, 213},
        {kFitNone, 640, 480, 240, 320, false, 240, 320},
        {7, 640, 480, 240, 320, false, 240, 320},
        {kFitAll, 4000, 3000, 4000, 3000, true, 2000, 1500},          // halved until within 3000
        {kFillLargerFitSmaller, 40000, 300, 240, 320, true, 2666, 20},
        {kFitAll, 1, 1000, 240, 320, true, 1, 320},                   // never a side of 0
        {kFitAll, 40000, 1, 240, 320, true, 240, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << ": " << c.pictureWidth << "x" << c.pictureHeight);
        int width = c.screenWidth, height = c.screenHeight;
        EXPECT_EQ(c.fitted, Picture_FitSize(c.mode, c.pictureWidth, c.pictureHeight, width, height));
        EXPECT_EQ(c.width, width);
        EXPECT_EQ(c.height, height);
    }
}

class PictureLoading : public ::testing::Test {
protected:
    void SetUp() override { dialogtests::UseScreen(240, 320, 96); }
    std::wstring Path(const std::wstring& name) const { return DevicePath(folder_, name); }
    // ImageMagick's picture; arguments may end in a format ("PNG32:") that the file name follows.
    bool Make(const std::string& arguments, const std::wstring& name) {
        const bool format = !arguments.empty() && arguments.back() == ':';
        return Convert(arguments + (format ? "\"" : " \"") + folder_.UnixFile(name) + "\"");
    }
    // Pixels as ImageMagick reads the picture (after options), truncated to RGB565.
    void ExpectImageMagicksPixels(const Image& image, const std::wstring& name, const std::string& options) {
        const std::vector<uint8_t> rgba = ImageMagickRgba(folder_, name, options);
        ASSERT_EQ(static_cast<size_t>(image.Width()) * image.Height() * 4, rgba.size());
        EXPECT_EQ(0, CountWrongPixels(image, [&](int x, int y) {
                      const uint8_t* p = &rgba[(static_cast<size_t>(y) * image.Width() + x) * 4];
                      return Rgb565_Narrow(p[0], p[1], p[2]);
                  }));
    }

    ScratchFolder folder_;
};

// Baseline, progressive and grey JPEGs made by cjpeg, decoded at every scale the loader
// picks, against djpeg of the same library version.
TEST_F(PictureLoading, JpegAtEveryScaleEqualsDjpeg) {
    ASSERT_TRUE(Make("-size 640x480 -seed 11 plasma: -depth 8", L"scene.ppm"));
    const struct {
        const wchar_t* name;
        const char* options;
    } jpegs[] = {{L"baseline.jpg", "-quality 85"}, {L"progressive.jpg", "-quality 80 -progressive"},
                 {L"grey.jpg", "-grayscale -quality 90"}};
    for (const auto& jpeg : jpegs)
        ASSERT_TRUE(RunJpegTool("cjpeg", std::string(jpeg.options) + " -outfile '" + folder_.UnixFile(jpeg.name) + "' '" +
                                             folder_.UnixFile(L"scene.ppm") + "'"));
    // The screen and mode that make the loader decode at each scale, a target the size
    // of the decoded picture, which then needs no scaling.
    const struct {
        int denominator, mode, screenWidth, screenHeight;
    } scales[] = {{1, kFitNone, 240, 320}, {1, kFitAll, 640, 480}, {2, kFitAll, 320, 240}, {4, kFitAll, 160, 120},
                  {8, kFitAll, 80, 60}};
    for (const auto& jpeg : jpegs) {
        for (const auto& scale : scales) {
            SCOPED_TRACE(testing::Message() << jpeg.options << " 1/" << scale.denominator);
            DeviceScreen_SetMode(scale.screenWidth, scale.screenHeight, 96);
            ImagePtr ours = Picture_LoadJpeg(Path(jpeg.name).c_str(), scale.mode, true);
            Pnm theirs;
            ASSERT_TRUE(ours);
            ASSERT_TRUE(Djpeg(folder_, jpeg.name, scale.denominator, theirs));
            ASSERT_EQ(640 / scale.denominator, ours->Width());
            ASSERT_EQ(theirs.width, ours->Width());
            ASSERT_EQ(theirs.height, ours->Height());
            EXPECT_EQ(0, CountWrongPixels(*ours, [&](int x, int y) { return theirs.Rgb565(x, y); }));
        }
    }
}

// At its own size a JPEG wider than the cap is decoded at half size, whatever the screen.
TEST_F(PictureLoading, LargeJpegAtItsOwnSizeStaysWithinTheCap) {
    ASSERT_TRUE(Make("-size 3200x40 gradient:#102030-#F0E0D0 -depth 8", L"wide.ppm"));
    ASSERT_TRUE(RunJpegTool("cjpeg", "-outfile '" + folder_.UnixFile(L"wide.jpg") + "' '" + folder_.UnixFile(L"wide.ppm") + "'"));
    ImagePtr ours = Picture_LoadJpeg(Path(L"wide.jpg").c_str(), kFitNone, true);
    Pnm theirs;
    ASSERT_TRUE(ours);
    ASSERT_TRUE(Djpeg(folder_, L"wide.jpg", 2, theirs));
    ASSERT_EQ(1600, ours->Width());
    ASSERT_EQ(20, ours->Height());
    EXPECT_EQ(0, CountWrongPixels(*ours, [&](int x, int y) { return theirs.Rgb565(x, y); }));
    // One pixel wide, fitted: a target 1 wide (never 0), to which the picture is scaled.
    ASSERT_TRUE(Make("-size 1x1000 gradient:white-black -quality 90", L"thin.jpg"));
    ImagePtr thin = Picture_LoadJpeg(Path(L"thin.jpg").c_str(), kFitAll, true);
    ASSERT_TRUE(thin);
    EXPECT_EQ(1, thin->Width());
    EXPECT_EQ(320, thin->Height());
    // Not a JPEG, or no file: null, for the other decoders to try.
    ASSERT_TRUE(Make("-size 8x8 xc:red", L"red.png"));
    EXPECT_FALSE(Picture_LoadJpeg(Path(L"red.png").c_str(), kFitNone, true));
    EXPECT_FALSE(Picture_LoadJpeg(Path(L"missing.jpg").c_str(), kFitNone, true));
}

// A picture fitted to the screen, or filling it, is the whole picture scaled to its
// target: as ImageMagick resizes (smoothly) or samples (without smoothing) the same file,
// within an RGB565 step for all but a few pixels where the two filters part. A picture
// at 1/2 of the decoder's scale still covers its target and is scaled from there.
TEST_F(PictureLoading, FittedJpegIsTheWholePictureScaledToItsTarget) {
    const struct {
        int width, height, mode, targetWidth, targetHeight;
    } pictures[] = {{300, 400, kFitAll, 240, 320},         {320, 240, kFitLargerOnly, 240, 180},
                    {700, 520, kFitAll, 240, 178},         {270, 330, kFitAll, 240, 293},
                    {270, 330, kFillLargerFitSmaller, 261, 320}, {120, 100, kFitAll, 240, 200}};
    for (const auto& picture : pictures) {
        const std::string size = std::to_string(picture.width) + "x" + std::to_string(picture.height);
        const std::wstring name = L"scene-" + std::wstring(size.begin(), size.end()) + L".jpg";
        ASSERT_TRUE(Make("-size " + size + " gradient:#FF2000-#0010FF \\( -size " + std::to_string(picture.height) + "x" +
                             std::to_string(picture.width) + " gradient:black-#00F080 -rotate 90 \\) -compose plus "
                             "-composite -quality 95",
                         name));
        const std::string target = std::to_string(picture.targetWidth) + "x" + std::to_string(picture.targetHeight) + "!";
        for (bool smooth : {true, false}) {
            SCOPED_TRACE(testing::Message() << size << " mode " << picture.mode << (smooth ? " smooth" : " nearest"));
            ImagePtr ours = Picture_LoadJpeg(Path(name).c_str(), picture.mode, smooth);
            ASSERT_TRUE(ours);
            ASSERT_EQ(picture.targetWidth, ours->Width());
            ASSERT_EQ(picture.targetHeight, ours->Height());
            const std::vector<uint8_t> theirs =
                ImageMagickRgba(folder_, name, std::string(smooth ? "-resize " : "-sample ") + target);
            EXPECT_LE(CountPixelsBeyondAStep(*ours, theirs), ours->Width() * ours->Height() / 100);
        }
    }
}

TEST_F(PictureLoading, ImagingFactoryGivesImageMagicksPixels) {
    ASSERT_TRUE(Make(std::string(kScene) + " " + kAlphaRamp, L"scene.png"));
    ASSERT_TRUE(Make(std::string(kScene) + " -colors 64 GIF:", L"scene.gif"));
    ASSERT_TRUE(Make(std::string(kScene) + " BMP3:", L"scene.bmp"));
    SIZE size = {240, 320};
    for (const wchar_t* name : {L"scene.gif", L"scene.bmp"}) {
        SCOPED_TRACE(testing::Message() << name);
        ImagePtr picture = Picture_LoadWithImaging(Path(name).c_str(), kFitNone, true, size);
        ASSERT_TRUE(picture);
        ExpectImageMagicksPixels(*picture, name, "");
    }
    EXPECT_EQ(240, size.cx);  // no target: the size stays

    // Translucent pixels come out over black; GDI and ImageMagick may round them apart.
    ImagePtr png = Picture_LoadWithImaging(Path(L"scene.png").c_str(), kFitNone, true, size);
    ASSERT_TRUE(png);
    EXPECT_EQ(0, CountPixelsBeyondAStep(*png, ImageMagickRgba(folder_, L"scene.png", "-background black -flatten")));
    GdiFlush();
    EXPECT_EQ(0x0000, png->Row(11)[0]);   // fully transparent: black
    EXPECT_NE(0x0000, png->Row(11)[36]);  // opaque: its colour

    // With a target the factory's thumbnail of that size comes back, and the size says so.
    ImagePtr fitted = Picture_LoadWithImaging(Path(L"scene.bmp").c_str(), kFitAll, true, size);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(240, fitted->Width());
    EXPECT_EQ(149, fitted->Height());
    EXPECT_EQ(149, size.cy);
    EXPECT_FALSE(Picture_LoadWithImaging(Path(L"missing.png").c_str(), kFitNone, true, size));
}

// Below OS version 4: the device's imgdecmp.dll decodes, the picture is scaled to the target.
TEST_F(PictureLoading, OlderDecompressorGivesImageMagicksPixels) {
    ASSERT_TRUE(DeviceControl_SetOsVersion(3, 0));
    ASSERT_TRUE(Make(std::string(kScene) + " " + kAlphaRamp, L"scene.png"));
    ASSERT_TRUE(Make(std::string(kScene) + " -colors 64 GIF:", L"scene.gif"));
    ASSERT_TRUE(Make(std::string(kScene) + " BMP3:", L"scene.bmp"));
    SIZE size = {37, 23};
    // Not installed: nothing is decoded.
    EXPECT_FALSE(Picture_LoadWithImgDecmp(Path(L"scene.bmp").c_str(), kFitAll, false, size));
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(ORVALEN_IMGDECMP_DLL), L"\\Windows\\imgdecmp.dll"));

    // A target of the picture's own size, without smoothing: the pixels themselves (the
    // PNG's colours as stored, its alpha left aside).
    for (const wchar_t* name : {L"scene.png", L"scene.gif", L"scene.bmp"}) {
        SCOPED_TRACE(testing::Message() << name);
        ImagePtr picture = Picture_LoadWithImgDecmp(Path(name).c_str(), kFitAll, false, size);
        ASSERT_TRUE(picture);
        ASSERT_EQ(37, picture->Width());
        ExpectImageMagicksPixels(*picture, name, "");
    }
    EXPECT_EQ(nullptr, GetModuleHandleW(L"imgdecmp.dll"));  // freed after each picture

    // Scaled smoothly to a smaller target; without a target, at its own size.
    size = {24, 24};
    ImagePtr smaller = Picture_LoadWithImgDecmp(Path(L"scene.bmp").c_str(), kFitAll, true, size);
    ASSERT_TRUE(smaller);
    EXPECT_EQ(24, smaller->Width());
    EXPECT_EQ(14, smaller->Height());
    ImagePtr own = Picture_LoadWithImgDecmp(Path(L"scene.png").c_str(), kFitNone, true, size);
    ASSERT_TRUE(own);
    ASSERT_EQ(37, own->Width());
    ExpectImageMagicksPixels(*own, L"scene.png", "");
    ASSERT_TRUE(testsupport::WriteBytes(folder_.File(L"noise.png"), "not a picture"));
    EXPECT_FALSE(Picture_LoadWithImgDecmp(Path(L"noise.png").c_str(), kFitAll, true, size));
}

TEST(ImageStrip, NearestAndSmoothScaling) {
    Dib source;
    ASSERT_TRUE(source.Create(4, 2));
    GdiFlush();
    for (int x = 0; x < 4; ++x) {
        source.Row(0)[x] = 0xFF000000u | static_cast<uint32_t>(x * 0x40);
        source.Row(1)[x] = 0x80FFFFFFu;
    }
    // Nearest, half the width: every second pixel.
    std::unique_ptr<Dib> half = ImageStrip_Create(source, 2, 2, false);
    ASSERT_TRUE(half);
    EXPECT_EQ(0xFF000000u, half->Row(0)[0]);
    EXPECT_EQ(0xFF000080u, half->Row(0)[1]);
    EXPECT_EQ(0x80FFFFFFu, half->Row(1)[1]);
    // Smooth, twice the width: between the neighbours, every byte (alpha too) mixed.
    std::unique_ptr<Dib> wide = ImageStrip_Create(source, 8, 4, true);
    ASSERT_TRUE(wide);
    for (int x = 1; x < 8; ++x) EXPECT_GE(wide->Row(0)[x] & 0xFF, wide->Row(0)[x - 1] & 0xFF);
    EXPECT_LT(wide->Row(0)[7] & 0xFF, 0xC0u);
    const uint32_t middle = wide->Row(2)[0];
    EXPECT_GT(middle >> 24, 0x80u);
    EXPECT_LT(middle >> 24, 0xFFu);
    // A source one pixel wide has no right neighbour to read, one pixel high no row
    // below. Each of these fills exactly one page, so a read past it is a fault, not
    // a pixel weighted 0.
    for (SIZE size : {SIZE{1, 1024}, SIZE{1024, 1}}) {
        Dib line;
        ASSERT_TRUE(line.Create(size.cx, size.cy));
        GdiFlush();
        for (int y = 0; y < size.cy; ++y)
            for (int x = 0; x < size.cx; ++x) line.Row(y)[x] = 0xFF102030u;
        std::unique_ptr<Dib> grown = ImageStrip_Create(line, 5, 5, true);
        ASSERT_TRUE(grown);
        EXPECT_EQ(0xFF102030u, grown->Row(4)[4]);
        EXPECT_FALSE(ImageStrip_Create(line, 0, 5, true));
    }
}

}  // namespace
