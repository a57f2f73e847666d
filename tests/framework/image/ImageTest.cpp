#include <gtest/gtest.h>

#include "Dib.h"
#include "ImageComposite.h"
#include "ImageScrollIn.h"
#include "ImageTestSupport.h"
#include "Rgb565.h"

using namespace imagetests;

namespace {

// A screen-compatible memory DC with a 16-bit DIB section of the size, as the handheld's screen.
class Canvas {
public:
    Canvas(int width, int height) {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        image_.Create(width, height);
        previous_ = SelectObject(dc_, image_.Handle());
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    WORD Pixel(int x, int y) const {
        GdiFlush();
        return image_.Row(y)[x];
    }
    Image& Pixels() { return image_; }

private:
    HDC dc_;
    HGDIOBJ previous_;
    Image image_;
};

}  // namespace

TEST(Image, CreateFillFindAndCopy) {
    Image image;
    ASSERT_TRUE(image.Create(5, 4));
    EXPECT_EQ(6, image.Stride());
    EXPECT_FALSE(image.HasAlpha());
    image.Fill(0xF800);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(0xF800, image.Row(y)[x]);  // the padding pixel too
    image.Fill(0xFFFF);
    EXPECT_EQ(0xFFFF, image.Row(3)[5]);

    image.Row(2)[2] = 0x1234;  // before the start: not found
    image.Row(3)[1] = 0x1234;
    POINT position = {3, 2};
    EXPECT_EQ(&image.Row(3)[1], image.FindPixel(position, 0x1234));
    EXPECT_EQ(1, position.x);
    EXPECT_EQ(3, position.y);
    position = {5, 0};
    EXPECT_EQ(nullptr, image.FindPixel(position, 0x1234));  // x = width lies outside
    position = {2, 3};
    EXPECT_EQ(nullptr, image.FindPixel(position, 0x1234));

    // Re-creating at the same size keeps the pixels and the alpha plane.
    ASSERT_TRUE(image.CreateAlpha(77));
    ASSERT_TRUE(image.Create(5, 4));
    EXPECT_EQ(0x1234, image.Row(3)[1]);
    EXPECT_TRUE(image.HasAlpha());

    Image copy;
    ASSERT_TRUE(copy.Copy(image));
    EXPECT_EQ(0x1234, copy.Row(3)[1]);
    EXPECT_EQ(77, copy.AlphaRow(3)[4]);
    ImagePtr opaque = MakeImage(5, 4, Pattern);
    ASSERT_TRUE(copy.Copy(*opaque));
    EXPECT_FALSE(copy.HasAlpha());  // an exact copy: no stale alpha plane
    EXPECT_EQ(Pattern(4, 3), copy.Row(3)[4]);

    image.Free();
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_EQ(0, image.Width());
}

TEST(Image, SplitAlphaHalfAndFromDib) {
    // 100 x 40: left half a pattern, right half white, grey and black.
    ImagePtr picture = MakeImage(100, 40, [](int x, int y) {
        if (x < 50) return Pattern(x, y);
        return y < 10 ? WORD(0xFFFF) : y < 20 ? Rgb565_Narrow(128, 128, 128) : y < 30 ? Rgb565_Narrow(248, 0, 0) : WORD(0);
    });
    ASSERT_TRUE(picture->SplitAlphaHalf());
    ASSERT_EQ(50, picture->Width());
    ASSERT_TRUE(picture->HasAlpha());
    EXPECT_EQ(Pattern(49, 39), picture->Row(39)[49]);
    EXPECT_EQ(255, picture->AlphaRow(0)[7]);                             // white: 252 > 249
    EXPECT_EQ((9 * 128 + 5 * 128 + 2 * 128) >> 4, picture->AlphaRow(15)[0]);  // grey
    EXPECT_EQ((5 * 248) >> 4, picture->AlphaRow(25)[3]);                // red alone
    EXPECT_EQ(0, picture->AlphaRow(35)[49]);

    Dib dib;
    ASSERT_TRUE(dib.Create(1, 1));
    GdiFlush();
    dib.Row(0)[0] = 0x80FF8040;
    ImagePtr converted = Image::FromDib(dib);
    ASSERT_TRUE(converted);
    EXPECT_EQ(Rgb565_Narrow(0xFF, 0x80, 0x40), converted->Row(0)[0]);
    EXPECT_FALSE(converted->HasAlpha());
}

TEST(Image, DrawsPlainMaskedAndBlended) {
    Canvas canvas(20, 10);
    canvas.Pixels().Fill(Rgb565_Narrow(0, 0, 248));
    ImagePtr picture = MakeImage(4, 3, Pattern);
    ASSERT_TRUE(picture->Draw(canvas.Dc(), 2, 1, 1, 1, 2, 2));
    EXPECT_EQ(Pattern(1, 1), canvas.Pixel(2, 1));
    EXPECT_EQ(Pattern(2, 2), canvas.Pixel(3, 2));
    EXPECT_EQ(Rgb565_Narrow(0, 0, 248), canvas.Pixel(4, 1));
    EXPECT_TRUE(picture->Draw(canvas.Dc(), 0, 0, 0, 0, 0, 5));  // nothing to draw

    // Blended: alpha 0 keeps the canvas, 255 shows the picture, 128 mixes them.
    ImagePtr translucent = MakeImage(3, 1, [](int, int) { return WORD(0xFFFF); },
                                     [](int x, int) { return BYTE(x == 0 ? 0 : x == 1 ? 255 : 128); });
    ASSERT_TRUE(translucent->Draw(canvas.Dc(), 10, 5));
    EXPECT_EQ(Rgb565_Narrow(0, 0, 248), canvas.Pixel(10, 5));
    EXPECT_EQ(0xFFFF, canvas.Pixel(11, 5));
    EXPECT_EQ(Blend565(Rgb565_Narrow(0, 0, 248), 0xFFFF, 128), canvas.Pixel(12, 5));

    // Through a mask: its black keeps the picture, its white the background.
    auto mask = std::make_unique<Image>();
    ASSERT_TRUE(mask->Create(4, 3));
    mask->Fill(0xFFFF);
    mask->Row(0)[0] = 0;
    picture->AttachMask(std::move(mask));
    picture->EnableMask(true);
    canvas.Pixels().Fill(Rgb565_Narrow(0, 252, 0));
    ASSERT_TRUE(picture->Draw(canvas.Dc(), 0, 0));
    EXPECT_EQ(Pattern(0, 0), canvas.Pixel(0, 0));
    EXPECT_EQ(Rgb565_Narrow(0, 252, 0) | Pattern(1, 0), canvas.Pixel(1, 0));

    // A Dib blended by its alpha byte: transparent, opaque and half.
    Dib glyphs;
    ASSERT_TRUE(glyphs.Create(3, 1));
    GdiFlush();
    glyphs.Row(0)[0] = 0x00FFFFFF;
    glyphs.Row(0)[1] = 0xFFF80000;
    glyphs.Row(0)[2] = 0x80F80000;
    ASSERT_TRUE(glyphs.DrawAlpha(canvas.Dc(), 5, 8));
    EXPECT_EQ(Rgb565_Narrow(0, 252, 0), canvas.Pixel(5, 8));
    EXPECT_EQ(Rgb565_Narrow(248, 0, 0), canvas.Pixel(6, 8));
    EXPECT_EQ(Rgb565_Narrow(124, 126, 0), canvas.Pixel(7, 8));

    // A GDI bitmap copied at its own size; not while another DC holds it.
    Image copy;
    EXPECT_FALSE(copy.FromHbitmap(canvas.Pixels().Handle()));
    EXPECT_FALSE(copy.FromHbitmap(nullptr));
    HBITMAP bitmap = CreateCompatibleBitmap(canvas.Dc(), 7, 4);
    HDC painter = CreateCompatibleDC(canvas.Dc());
    HGDIOBJ previous = SelectObject(painter, bitmap);
    SetPixel(painter, 6, 3, RGB(248, 0, 248));
    SelectObject(painter, previous);
    DeleteDC(painter);
    ASSERT_TRUE(copy.FromHbitmap(bitmap));
    DeleteObject(bitmap);
    EXPECT_EQ(7, copy.Width());
    EXPECT_EQ(4, copy.Height());
    EXPECT_EQ(Rgb565_Narrow(248, 0, 248), copy.Row(3)[6]);
}

TEST(Image, ScrollsInFromTheBottom) {
    Canvas canvas(8, 12);
    canvas.Pixels().Fill(0);
    ImagePtr picture = MakeImage(8, 12, Pattern);
    const RECT empty = {0, 5, 8, 5};
    Image_ScrollIn(canvas.Dc(), *picture, empty);  // nothing moves, nothing is drawn
    for (int y = 0; y < 12; ++y) EXPECT_EQ(0, canvas.Pixel(0, y));

    const RECT whole = {0, 0, 8, 12};
    Image_ScrollIn(canvas.Dc(), *picture, whole);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(Pattern(x, y), canvas.Pixel(x, y)) << x << "," << y;
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, GetThreadPriority(GetCurrentThread()));
}
