#include <gtest/gtest.h>

#include "ImageTestSupport.h"
#include "ImageTransforms.h"
#include "Rgb565.h"

using namespace imagetests;

namespace {
BYTE AlphaPattern(int x, int y) { return static_cast<BYTE>(x * 40 + y * 7); }
}  // namespace

TEST(ImageTransforms, FlipMirrorRotateCarryTheAlphaPlane) {
    ImagePtr source = MakeImage(3, 2, Pattern, AlphaPattern);
    ImagePtr flipped = Image_FlipVertical(*source);
    ImagePtr mirrored = Image_MirrorHorizontal(*source);
    ImagePtr turned = Image_Rotate90(*source);
    ASSERT_TRUE(flipped && mirrored && turned);
    ASSERT_EQ(2, turned->Width());
    ASSERT_EQ(3, turned->Height());
    EXPECT_EQ(source->Row(0)[2], turned->Row(0)[0]);  // top-left is the source's top-right
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(source->Row(y)[x], flipped->Row(1 - y)[x]);
            EXPECT_EQ(AlphaPattern(x, y), flipped->AlphaRow(1 - y)[x]);
            EXPECT_EQ(source->Row(y)[x], mirrored->Row(y)[2 - x]);
            EXPECT_EQ(AlphaPattern(x, y), mirrored->AlphaRow(y)[2 - x]);
            EXPECT_EQ(source->Row(y)[x], turned->Row(2 - x)[y]);
            EXPECT_EQ(AlphaPattern(x, y), turned->AlphaRow(2 - x)[y]);
        }
    ImagePtr opaque = MakeImage(3, 2, Pattern);
    ImagePtr opaqueTurned = Image_Rotate90(*opaque);
    EXPECT_FALSE(opaqueTurned->HasAlpha());
}

TEST(ImageTransforms, DoublingAndBandsOfRows) {
    ImagePtr source = MakeImage(5, 4, Pattern, AlphaPattern);
    ImagePtr doubled = Image_Scale2x(*source);
    ASSERT_TRUE(doubled);
    EXPECT_EQ(10, doubled->Width());
    EXPECT_FALSE(doubled->HasAlpha());
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) EXPECT_EQ(source->Row(y / 2)[x / 2], doubled->Row(y)[x]);

    ImagePtr band = Image_CopyRect(*source, 1, 2);
    ASSERT_TRUE(band);
    EXPECT_EQ(5, band->Width());
    EXPECT_EQ(2, band->Height());
    EXPECT_EQ(source->Row(2)[4], band->Row(1)[4]);
    EXPECT_EQ(AlphaPattern(4, 2), band->AlphaRow(1)[4]);
    // Height -1 from a later row takes the rows that exist, no more.
    ImagePtr rest = Image_CopyRect(*source, 3, -1);
    ASSERT_TRUE(rest);
    EXPECT_EQ(1, rest->Height());
    EXPECT_EQ(source->Row(3)[0], rest->Row(0)[0]);
    EXPECT_EQ(nullptr, Image_CopyRect(*source, 4, 1));
    EXPECT_EQ(nullptr, Image_CopyRect(*source, -1, 1));
}

TEST(ImageTransforms, BilinearScaleLandsOnTheSourcePixels) {
    // Corners 2 x 2 to 4 x 4: positions 0, 1/4, 1/2 and 3/4 of the way in each direction.
    const WORD corners[2][2] = {{Rgb565_Narrow(0, 0, 0), Rgb565_Narrow(200, 100, 40)},
                                {Rgb565_Narrow(80, 252, 248), Rgb565_Narrow(248, 0, 120)}};
    ImagePtr source = MakeImage(2, 2, [&](int x, int y) { return corners[y][x]; });
    ImagePtr scaled = Image_Scale(*source, 4, 4);
    ASSERT_TRUE(scaled);
    EXPECT_FALSE(scaled->HasAlpha());
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            const int fx = i * 16384, fy = j * 16384;
            const Rgb8 p00 = Rgb565_Widen(corners[0][0]), p10 = Rgb565_Widen(corners[0][1]);
            const Rgb8 p01 = Rgb565_Widen(corners[1][0]), p11 = Rgb565_Widen(corners[1][1]);
            auto lerp = [&](int a, int b, int c, int d) {
                const int top = a + ((b - a) * fx >> 16), bottom = c + ((d - c) * fx >> 16);
                return top + ((bottom - top) * fy >> 16);
            };
            EXPECT_EQ(Rgb565_Narrow(lerp(p00.red, p10.red, p01.red, p11.red), lerp(p00.green, p10.green, p01.green, p11.green),
                                    lerp(p00.blue, p10.blue, p01.blue, p11.blue)),
                      scaled->Row(j)[i])
                << i << "," << j;
        }
    // Halving a 4 x 4 picture takes every other source pixel (steps of 1.5 from 0: 0 and 1.5).
    ImagePtr big = MakeImage(4, 4, [](int x, int y) { return Rgb565_Narrow(x * 64, y * 64, 0); });
    ImagePtr half = Image_Scale(*big, 2, 2);
    ASSERT_TRUE(half);
    EXPECT_EQ(big->Row(0)[0], half->Row(0)[0]);
    EXPECT_EQ(Rgb565_Narrow(96, 96, 0), half->Row(1)[1]);
}

TEST(ImageTransforms, ScaleNeverReadsPastAOnePixelSource) {
    // One row high: the row below would lie past the pixels. One column wide: the
    // padding pixel beside it holds another colour that must never show.
    ImagePtr row = MakeImage(3, 1, [](int x, int) { return Rgb565_Narrow(x * 100, 0, 0); });
    ImagePtr column = MakeImage(1, 3, [](int, int y) { return Rgb565_Narrow(0, y * 100, 0); });
    column->Row(0)[1] = column->Row(1)[1] = column->Row(2)[1] = 0xFFFF;
    ImagePtr wide = Image_Scale(*row, 6, 5);
    ImagePtr tall = Image_Scale(*column, 4, 6);
    ASSERT_TRUE(wide && tall);
    for (int j = 1; j < 5; ++j)
        for (int i = 0; i < 6; ++i) EXPECT_EQ(wide->Row(0)[i], wide->Row(j)[i]) << i << "," << j;
    for (int j = 0; j < 6; ++j)
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(tall->Row(j)[0], tall->Row(j)[i]);
            EXPECT_EQ(0, Rgb565_Widen(tall->Row(j)[i]).red);
        }
    EXPECT_EQ(nullptr, Image_Scale(*row, 0, 4));
    // A row that fills exactly one page: the row below it would be a fault, not a pixel weighted 0.
    ImagePtr page = MakeImage(2048, 1, [](int x, int) { return Rgb565_Narrow(0, 0, x & 0xFF); });
    ImagePtr grown = Image_Scale(*page, 8, 4);
    ASSERT_TRUE(grown);
    EXPECT_EQ(grown->Row(0)[3], grown->Row(3)[3]);
}
