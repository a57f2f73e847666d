#include <gtest/gtest.h>

#include <cmath>

#include "Dib.h"
#include "ImageComposite.h"
#include "ImageTestSupport.h"

using namespace imagetests;

namespace {

// The fields of an RGB565 pixel and back.
struct Fields {
    int r, g, b;
};
Fields Split(WORD p) { return {p >> 11, (p >> 5) & 0x3F, p & 0x1F}; }
WORD Join(int r, int g, int b) { return static_cast<WORD>(r << 11 | g << 5 | b); }

// Blend565 as written: widened channels (low bits empty), floor of the weighted step.
WORD BlendOracle(WORD d, WORD s, int a) {
    if (a == 0) return d;
    if (a == 255) return s;
    const Fields fd = Split(d), fs = Split(s);
    auto mix = [a](int cd, int cs) { return cd + static_cast<int>(std::floor((cs - cd) * a / 256.0)); };
    return Join(mix(fd.r << 3, fs.r << 3) >> 3, mix(fd.g << 2, fs.g << 2) >> 2, mix(fd.b << 3, fs.b << 3) >> 3);
}

WORD Composite1(WORD d, WORD s, int mode, int f, int alpha = -1) {
    ImagePtr destination = MakeImage(1, 1, [d](int, int) { return d; });
    ImagePtr source = alpha < 0 ? MakeImage(1, 1, [s](int, int) { return s; })
                                : MakeImage(1, 1, [s](int, int) { return s; }, [alpha](int, int) { return BYTE(alpha); });
    EXPECT_TRUE(Image_Composite(*destination, *source, 0, 0, 0, 0, -1, -1, mode, f));
    return destination->Row(0)[0];
}

const WORD kPairs[][2] = {{0x0000, 0xFFFF}, {0xFFFF, 0x0000}, {0x1234, 0xFEDC}, {0xF800, 0x07E0}, {0x8410, 0x4A69},
                          {0x001F, 0xC618}, {0xA5A5, 0x5A5A}};

}  // namespace

TEST(ImageComposite, FixedWeightBlends) {
    EXPECT_EQ(0x7BEF, Composite1(0x0000, 0xFFFF, kCompositeBlend, 128));  // white over black at a half
    for (const auto& pair : kPairs) {
        const WORD d = pair[0], s = pair[1];
        const Fields fd = Split(d), fs = Split(s);
        EXPECT_EQ(d, Composite1(d, s, kCompositeBlend, 0));
        EXPECT_EQ(s, Composite1(d, s, kCompositeBlend, 255));
        // The shortcut weights work field by field on the unwidened values.
        EXPECT_EQ(Join((fd.r >> 1) + (fs.r >> 1), (fd.g >> 1) + (fs.g >> 1), (fd.b >> 1) + (fs.b >> 1)),
                  Composite1(d, s, kCompositeBlend, 131));
        EXPECT_EQ(Join((fd.r >> 1) + (fd.r >> 2) + (fs.r >> 2), (fd.g >> 1) + (fd.g >> 2) + (fs.g >> 2),
                       (fd.b >> 1) + (fd.b >> 2) + (fs.b >> 2)),
                  Composite1(d, s, kCompositeBlend, 64));
        EXPECT_EQ(Join((fs.r >> 1) + (fs.r >> 2) + (fd.r >> 2), (fs.g >> 1) + (fs.g >> 2) + (fd.g >> 2),
                       (fs.b >> 1) + (fs.b >> 2) + (fd.b >> 2)),
                  Composite1(d, s, kCompositeBlend, 199));
        for (int f : {1, 63, 72, 100, 136, 200, 254}) EXPECT_EQ(BlendOracle(d, s, f), Composite1(d, s, kCompositeBlend, f)) << f;
        // The source's alpha plays no part in this mode.
        EXPECT_EQ(BlendOracle(d, s, 100), Composite1(d, s, kCompositeBlend, 100, 0));
    }
}

TEST(ImageComposite, AlphaBrightnessGreyAndBitModes) {
    for (const auto& pair : kPairs) {
        const WORD d = pair[0], s = pair[1];
        for (int mode : {0, 3, 8, int(kCompositeAsIs)}) {
            EXPECT_EQ(s, Composite1(d, s, mode, 0));  // no alpha plane: copied
            EXPECT_EQ(d, Composite1(d, s, mode, 0, 0));
            EXPECT_EQ(s, Composite1(d, s, mode, 0, 255));
            EXPECT_EQ(BlendOracle(d, s, 128), Composite1(d, s, mode, 0, 128));
        }
        EXPECT_EQ(WORD(d & s), Composite1(d, s, kCompositeAnd, 0, 0));
        EXPECT_EQ(WORD(d | s), Composite1(d, s, kCompositeOr, 0, 0));
        // Brightness 128 is the plain alpha blend.
        EXPECT_EQ(BlendOracle(d, s, 77), Composite1(d, s, kCompositeBrightness, 128, 77));
        for (int f : {0, 64, 200, 255}) {
            const Fields fs = Split(s);
            const int luma = (9 * (fs.g << 2) + 2 * (fs.b << 3) + 5 * (fs.r << 3)) >> 4;
            auto grey = [f, luma](int c) { return ((255 - f) * luma + f * c) >> 8; };
            const WORD greyed = Join(grey(fs.r << 3) >> 3, grey(fs.g << 2) >> 2, grey(fs.b << 3) >> 3);
            EXPECT_EQ(greyed, Composite1(d, s, kCompositeGrey, f));
            EXPECT_EQ(BlendOracle(d, greyed, 90), Composite1(d, s, kCompositeGrey, f, 90));
        }
    }
    // A widened red of 200 brightened by 255/128 is capped at 255.
    const WORD red200 = Join(25, 10, 2);
    EXPECT_EQ(31, Split(Composite1(0, red200, kCompositeBrightness, 255)).r);
    EXPECT_EQ(Join(31, 19, 3), Composite1(0, red200, kCompositeBrightness, 255));
}

TEST(ImageComposite, ClipsToBothPictures) {
    ImagePtr source = MakeImage(30, 8, Pattern);
    auto blank = [] { return MakeImage(40, 10, [](int, int) { return WORD(0x0841); }); };

    {  // x = -10: the right 20 columns land at x = 0.
        ImagePtr destination = blank();
        ASSERT_TRUE(Image_Composite(*destination, *source, -10, 1, 0, 0, -1, -1, kCompositeAsIs, 0));
        for (int x = 0; x < 40; ++x)
            EXPECT_EQ(x < 20 ? source->Row(0)[x + 10] : WORD(0x0841), destination->Row(1)[x]) << x;
        EXPECT_EQ(0x0841, destination->Row(0)[0]);
    }
    {  // Width and height -1 are what is left of the source from its start.
        ImagePtr destination = blank();
        ASSERT_TRUE(Image_Composite(*destination, *source, 2, 0, 25, 5, -1, -1, kCompositeAsIs, 0));
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool inside = x >= 2 && x < 7 && y < 3;
                EXPECT_EQ(inside ? source->Row(y + 5)[x - 2 + 25] : WORD(0x0841), destination->Row(y)[x]) << x << "," << y;
            }
    }
    {  // A rectangle reaching past the source's edge is cut there; the destination's bottom too.
        ImagePtr destination = blank();
        ASSERT_TRUE(Image_Composite(*destination, *source, 36, 6, 20, 0, 25, 20, kCompositeAsIs, 0));
        EXPECT_EQ(source->Row(3)[23], destination->Row(9)[39]);
    }
    ImagePtr destination = blank();
    EXPECT_FALSE(Image_Composite(*destination, *source, 0, 0, -1, 0, -1, -1, kCompositeAsIs, 0));
    EXPECT_FALSE(Image_Composite(*destination, *source, 0, 0, 0, -3, -1, -1, kCompositeAsIs, 0));
    EXPECT_FALSE(Image_Composite(*destination, *source, 0, 0, 30, 0, -1, -1, kCompositeAsIs, 0));
    EXPECT_FALSE(Image_Composite(*destination, *source, 40, 0, 0, 0, -1, -1, kCompositeAsIs, 0));
    EXPECT_FALSE(Image_Composite(*destination, *source, -30, 0, 0, 0, -1, -1, kCompositeAsIs, 0));
    EXPECT_FALSE(Image_Composite(*destination, *source, 0, -8, 0, 0, -1, -1, kCompositeAsIs, 0));
    EXPECT_FALSE(Image_Composite(*destination, *source, 0, 0, 0, 0, 0, 5, kCompositeAsIs, 0));
    for (int x = 0; x < 40; ++x) EXPECT_EQ(0x0841, destination->Row(0)[x]);
}

TEST(ImageComposite, DibBlendsByItsAlphaByte) {
    Dib destination, source;
    ASSERT_TRUE(destination.Create(6, 3));
    ASSERT_TRUE(source.Create(4, 2));
    GdiFlush();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) destination.Row(y)[x] = 0x7F102030;
    const uint32_t pixels[4] = {0x00FFFFFF, 0xFF405060, 0x80FFFFFF, 0x80000000};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) source.Row(y)[x] = pixels[x];

    ASSERT_TRUE(Dib_Composite(destination, source, -1, 0, -1));  // columns 1-3 of the source at 0-2
    EXPECT_EQ(0xFF405060u, destination.Row(0)[0]);
    EXPECT_EQ(0x7F000000u | (0x10 + ((0xFF - 0x10) * 128 >> 8)) << 16 | (0x20 + ((0xFF - 0x20) * 128 >> 8)) << 8 |
                  (0x30 + ((0xFF - 0x30) * 128 >> 8)),
              destination.Row(1)[1]);
    EXPECT_EQ(0x7F000000u | (0x10 + (-0x10 * 128 >> 8)) << 16 | (0x20 + (-0x20 * 128 >> 8)) << 8 | (0x30 + (-0x30 * 128 >> 8)),
              destination.Row(0)[2]);
    EXPECT_EQ(0x7F102030u, destination.Row(0)[3]);
    EXPECT_EQ(0x7F102030u, destination.Row(2)[0]);  // rows only as far as the lower picture

    // Width -1 from a later column is only what is left of the row: one column here.
    ASSERT_TRUE(Dib_Composite(destination, source, 4, 3, -1));
    EXPECT_EQ(0x7F081018u, destination.Row(0)[4]);
    EXPECT_EQ(0x7F102030u, destination.Row(0)[5]);
    EXPECT_FALSE(Dib_Composite(destination, source, 0, -1, 2));
    EXPECT_FALSE(Dib_Composite(destination, source, -4, 0, -1));
}
