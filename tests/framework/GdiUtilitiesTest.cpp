#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ByteBuffer.h"
#include "CaptionCtl.h"
#include "DialogTestSupport.h"
#include "Dpi.h"
#include "Fonts.h"
#include "GdiHandles.h"
#include "Gfx.h"
#include "HslColour.h"
#include "IconButton.h"
#include "Interval.h"
#include "OffscreenDc.h"
#include "SlotPtr.h"
#include "resource.h"

using namespace dialogtests;

namespace {

// A 32-bit memory surface to draw on and read back.
class Surface {
public:
    Surface(int width, int height) : dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
        RECT all = {0, 0, width, height};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Surface() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
};

}  // namespace

// (|v| * dpi + 48) / 96 with the sign kept, at the densities the handhelds have.
TEST(DpiTest, ScalingRuleAt96And128And192) {
    struct Case {
        int value, at96, at128, at192;
    };
    const Case cases[] = {
        {0, 0, 0, 0},     {1, 1, 1, 2},       {3, 3, 4, 6},       {22, 22, 29, 44},
        {-2, -2, -3, -4}, {-1, -1, -1, -2},   {8, 8, 11, 16},     {33, 33, 44, 66},
        {-23, -23, -31, -46}, {100, 100, 133, 200},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.at96, Dpi_Scale(c.value, 96)) << c.value;
        EXPECT_EQ(c.at128, Dpi_Scale(c.value, 128)) << c.value;
        EXPECT_EQ(c.at192, Dpi_Scale(c.value, 192)) << c.value;
    }
}

// The densities are the simulated screen's, read once until the cache is reset.
TEST(DpiTest, DensityFollowsTheDeviceScreen) {
    UseScreen(240, 320, 96);
    EXPECT_EQ(96, Dpi_GetX());
    EXPECT_EQ(22, Dpi_ScaleX(22));
    UseScreen(480, 640, 192);
    EXPECT_EQ(192, Dpi_GetX());
    EXPECT_EQ(192, Dpi_GetY());
    EXPECT_EQ(-4, Dpi_ScaleY(-2));
    EXPECT_EQ(32, Gfx_IconSizeForDpi());
    EXPECT_EQ((192 * 12 + 48) / -96, Font_TitleHeight());
    HFONT font = nullptr;
    FontHandle owned(Font_CreateTahoma(font, 90, true));
    ASSERT_TRUE(owned);
    LOGFONTW logFont = {};
    GetObjectW(font, sizeof logFont, &logFont);
    EXPECT_EQ(-(90 * 192 / 720), logFont.lfHeight);
    EXPECT_EQ(FW_BOLD, logFont.lfWeight);
    EXPECT_STREQ(L"Tahoma", logFont.lfFaceName);
    FontHandle bold(Font_CreateBoldSystem());
    GetObjectW(bold.Get(), sizeof logFont, &logFont);
    EXPECT_EQ(FW_BOLD, logFont.lfWeight);
}

// The framed box draws four lines of the pen's width inside the rectangle, and the
// off-screen buffer lands drawing in target coordinates.
TEST(GfxTest, FramedBoxAndOffscreenBuffer) {
    Surface surface(40, 40);
    const RECT box = {5, 5, 25, 25};
    Gfx_DrawFramedBox(surface.Dc(), box, 1, RGB(255, 0, 0));
    EXPECT_EQ(RGB(255, 0, 0), surface.Pixel(10, 5));   // top
    EXPECT_EQ(RGB(255, 0, 0), surface.Pixel(24, 10));  // right: right - 1
    EXPECT_EQ(RGB(255, 0, 0), surface.Pixel(10, 24));  // bottom: bottom - 1
    EXPECT_EQ(RGB(255, 0, 0), surface.Pixel(5, 10));   // left
    EXPECT_EQ(RGB(255, 255, 255), surface.Pixel(15, 15));
    EXPECT_EQ(RGB(255, 255, 255), surface.Pixel(25, 10));

    {
        OffscreenDc buffer;
        const RECT area = {20, 20, 40, 40};
        ASSERT_TRUE(buffer.Begin(surface.Dc(), area));
        BrushHandle blue(CreateSolidBrush(RGB(0, 0, 255)));
        RECT inner = {30, 30, 35, 35};
        RECT all = area;
        FillRect(buffer.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        FillRect(buffer.Dc(), &inner, blue.Get());
        EXPECT_EQ(RGB(255, 255, 255), surface.Pixel(32, 32));  // nothing shows before the end
    }
    EXPECT_EQ(RGB(0, 0, 255), surface.Pixel(32, 32));
    EXPECT_EQ(RGB(255, 255, 255), surface.Pixel(36, 36));

    // A bitmap stretched by the density: unchanged at 96 DPI.
    BitmapHandle small(CreateBitmap(10, 6, 1, 32, nullptr));
    int width = 0, height = 0;
    BitmapHandle scaled(Gfx_GetBitmapSizeDpi(small.Get(), width, height));
    EXPECT_TRUE(scaled);
    EXPECT_EQ(10, width);
    EXPECT_EQ(6, height);
    EXPECT_EQ(nullptr, Gfx_GetBitmapSizeDpi(nullptr, width, height));
}

TEST(HslColourTest, ConversionsAndAdjustments) {
    const DWORD grey = Rgb_ToHsl(RGB(128, 128, 128));
    EXPECT_EQ(0, Hsl_Saturation(grey));
    EXPECT_EQ(RGB(128, 128, 128), Hsl_ToRgb(grey));

    const DWORD red = Rgb_ToHsl(RGB(255, 0, 0));
    EXPECT_EQ(0, Hsl_Hue(red));
    EXPECT_EQ(255, Hsl_Saturation(red));
    EXPECT_EQ(127, Hsl_Lightness(red));
    const DWORD blue = Rgb_ToHsl(RGB(0, 0, 255));
    EXPECT_EQ(240 * 255 / 360, Hsl_Hue(blue));
    const COLORREF backToBlue = Hsl_ToRgb(blue);
    EXPECT_LE(GetRValue(backToBlue), 2);
    EXPECT_GE(GetBValue(backToBlue), 250);
    // Equal largest channels: blue wins over green (cyan is 180 degrees).
    EXPECT_EQ(180 * 255 / 360, Hsl_Hue(Rgb_ToHsl(RGB(0, 255, 255))));

    EXPECT_EQ(RGB(178, 178, 178), Rgb_AdjustHsv(RGB(128, 128, 128), 40, 0));
    EXPECT_EQ(RGB(102, 102, 102), Rgb_AdjustHsv(RGB(128, 128, 128), -20, 0));
    EXPECT_EQ(RGB(128, 128, 128), Rgb_AdjustHsv(RGB(128, 128, 128), 0, 50));
    const DWORD paler = Rgb_ToHsl(Rgb_AdjustHsv(RGB(255, 0, 0), 0, -50));
    EXPECT_NEAR(127, Hsl_Saturation(paler), 2);

    EXPECT_EQ(255, Hue_ToChannel(0.0, 1.0, 120.0));
    EXPECT_EQ(Hue_ToChannel(0.0, 1.0, 30.0), Hue_ToChannel(0.0, 1.0, 390.0));
    EXPECT_EQ(0, Hue_ToChannel(0.0, 1.0, -60.0));
}

TEST(ByteBufferTest, GrowsInWholeKilobytes) {
    ByteBuffer buffer;
    const char first[] = "abc";
    ASSERT_TRUE(buffer.Append(first, 3));
    EXPECT_EQ(1024u, buffer.Capacity());
    std::string big(3000, 'x');
    ASSERT_TRUE(buffer.Append(big.data(), big.size()));
    EXPECT_EQ(1024u + 3072u, buffer.Capacity());
    EXPECT_EQ(3003u, buffer.Size());
    EXPECT_EQ(0, memcmp(buffer.Data(), "abcxxx", 6));
    EXPECT_EQ('x', buffer.Data()[3002]);
}

TEST(SlotPtrTest, MapsSlotsZeroAndOneBeforeVersion6) {
    for (uint32_t address : {0x00011234u, 0x01FFFFF0u, 0x02000010u, 0x03ABCDEFu}) {
        const uint32_t mapped = SlotPtr_MapFor(address, 5, 3);
        EXPECT_EQ(4u, (mapped >> 25) & 0x3F) << std::hex << address;
        EXPECT_EQ(address, SlotPtr_UnmapFor(mapped, 5)) << std::hex << address;
    }
    EXPECT_TRUE(SlotPtr_MapFor(0x02000010u, 5, 3) & 0x80000000u);
    EXPECT_FALSE(SlotPtr_MapFor(0x00000010u, 5, 3) & 0x80000000u);
    EXPECT_EQ(0x0A000010u, SlotPtr_MapFor(0x0A000010u, 5, 3));  // another process's slot
    EXPECT_EQ(0u, SlotPtr_MapFor(0u, 5, 3));
    EXPECT_EQ(0x00011234u, SlotPtr_MapFor(0x00011234u, 6, 3));
    EXPECT_EQ(0x08011234u, SlotPtr_UnmapFor(0x08011234u, 6));
}

TEST(IntervalTest, SplitsIntoParts) {
    const uint64_t interval = 2 * 864000000000ull + 3 * 36000000000ull + 4 * 600000000ull + 5 * 10000000ull +
                              678 * 10000ull + 9999;
    const IntervalParts parts = Interval_Split(interval);
    EXPECT_EQ(2, parts.days);
    EXPECT_EQ(3, parts.hours);
    EXPECT_EQ(4, parts.minutes);
    EXPECT_EQ(5, parts.seconds);
    EXPECT_EQ(678, parts.milliseconds);
}

// A text that fits is drawn whole; one that does not ends in "..." and stays inside.
TEST(IconButtonTest, EllipsizedTextAndDrawing) {
    Surface surface(120, 40);
    FontHandle font(Font_CreateFace(FW_NORMAL, -12, false));
    SelectScope selection(surface.Dc(), font.Get());
    const RECT wide = {0, 0, 400, 20};
    EXPECT_EQ(L"Snooze", IconButton::EllipsizeText(surface.Dc(), wide, L"Snooze"));
    const RECT narrow = {0, 0, 50, 20};
    const std::wstring cut = IconButton::EllipsizeText(surface.Dc(), narrow, L"Snooze for ten minutes");
    ASSERT_GE(cut.size(), 3u);
    EXPECT_EQ(L"...", cut.substr(cut.size() - 3));
    EXPECT_EQ(0u, std::wstring(L"Snooze for ten minutes").find(cut.substr(0, cut.size() - 3)));
    SIZE size = {};
    GetTextExtentPoint32W(surface.Dc(), cut.c_str(), static_cast<int>(cut.size()), &size);
    EXPECT_LE(size.cx, 50);

    auto button = IconButton::Create(nullptr, 77, IDI_PROGRAM, IDI_PROGRAM, L"Dismiss");
    ASSERT_TRUE(button);
    EXPECT_EQ(77u, button->CommandId());
    EXPECT_TRUE(button->NormalIcon());
    DRAWITEMSTRUCT item = {};
    item.hDC = surface.Dc();
    item.rcItem = RECT{0, 0, 120, 40};
    button->DrawPushed(item);
    // Pushed: white text on black somewhere right of the icon.
    bool sawBlack = false;
    for (int x = 40; x < 118 && !sawBlack; ++x)
        for (int y = 10; y < 30 && !sawBlack; ++y)
            sawBlack = surface.Pixel(x, y) == RGB(0, 0, 0);
    EXPECT_TRUE(sawBlack);
    EXPECT_FALSE(IconButton::Create(nullptr, 1, 4711, 4712, nullptr)->LoadIcons(nullptr, 4711, 4712));
}

// The caption spans the screen at its own top and draws its band even without text.
TEST(CaptionCtlTest, LayoutAndUnderlineBand) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 200, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    CaptionCtl caption;
    ASSERT_TRUE(caption.Create(parent, nullptr, WS_CHILD | WS_VISIBLE, 5, 30, 50, 5, L"", 1, nullptr));
    const RECT rect = ChildRect(parent, caption.GetHwnd());
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(30, rect.top);
    EXPECT_EQ(240, rect.right);
    EXPECT_GT(rect.bottom - rect.top, 5);

    Surface surface(240, 40);
    const RECT client = {0, 0, 240, 40};
    caption.Draw(surface.Dc(), client);
    bool sawLine = false;
    for (int y = 0; y < 40 && !sawLine; ++y)
        sawLine = surface.Pixel(10, y) == CaptionCtl::kLineColour;
    EXPECT_TRUE(sawLine);
    // The band fades out towards the right edge.
    bool fadedAtEnd = false;
    for (int y = 0; y < 40 && !fadedAtEnd; ++y)
        fadedAtEnd = surface.Pixel(10, y) == CaptionCtl::kLineColour && surface.Pixel(238, y) != CaptionCtl::kLineColour;
    EXPECT_TRUE(fadedAtEnd);
    DestroyWindow(parent);
}
