#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "BmpWriter.h"
#include "ImageTestSupport.h"
#include "TestSupport.h"

using namespace imagetests;

namespace {

uint32_t U32(const std::vector<BYTE>& b, size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; }
uint16_t U16(const std::vector<BYTE>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

// The picture as the file should show it, written as a plain PPM for ImageMagick:
// RGB565 expanded by shifting only.
void WriteExpectedPpm(const Image& image, const std::wstring& path) {
    std::string ppm = "P6\n" + std::to_string(image.Width()) + " " + std::to_string(image.Height()) + "\n255\n";
    GdiFlush();
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const WORD p = image.Row(y)[x];
            ppm += static_cast<char>((p >> 11) << 3);
            ppm += static_cast<char>(((p >> 5) & 0x3F) << 2);
            ppm += static_cast<char>((p & 0x1F) << 3);
        }
    ASSERT_TRUE(testsupport::WriteBytes(path, ppm));
}

// Writes the image, checks the headers, and lets ImageMagick read the file back.
void SaveAndCheck(const ScratchFolder& folder, const Image& image, const std::wstring& name) {
    SCOPED_TRACE(testing::Message() << image.Width() << " x " << image.Height());
    ASSERT_TRUE(Surface_SaveBmp(image, folder.File(name).c_str()));
    const std::vector<BYTE> file = ReadFile(folder.File(name));
    const size_t rowBytes = (image.Width() * 3 + 3) / 4 * 4;
    ASSERT_EQ(54 + rowBytes * image.Height(), file.size());
    EXPECT_EQ(0x4D42, U16(file, 0));
    EXPECT_EQ(file.size(), U32(file, 2));
    EXPECT_EQ(54u, U32(file, 10));
    EXPECT_EQ(40u, U32(file, 14));
    EXPECT_EQ(static_cast<uint32_t>(image.Height()), U32(file, 22));  // positive: bottom-up
    EXPECT_EQ(24, U16(file, 28));
    EXPECT_EQ(rowBytes * image.Height(), U32(file, 34));

    std::string identified;
    ASSERT_TRUE(testsupport::RunHostTool("identify", "-format \"%m %w %h %z %r\" \"" + folder.UnixFile(name) + "\"", &identified));
    identified.erase(identified.find_last_not_of(" \n") + 1);
    EXPECT_EQ("BMP3 " + std::to_string(image.Width()) + " " + std::to_string(image.Height()) + " 8 DirectClass sRGB",
              identified);  // three 8-bit channels of direct colour: 24 bits
    const std::wstring expected = name + L".ppm";
    WriteExpectedPpm(image, folder.File(expected));
    std::string differing;
    EXPECT_TRUE(testsupport::RunHostTool("compare", "-metric AE \"" + folder.UnixFile(name) + "\" \"" +
                                                        folder.UnixFile(expected) + "\" null:", &differing));
    EXPECT_EQ("0", differing) << "pixels that differ";
}

}  // namespace

TEST(BmpWriter, WritesWhatImageMagickReads) {
    ScratchFolder folder;
    for (int width : {1, 4, 5}) {
        ImagePtr image = MakeImage(width, 3, Pattern);
        SaveAndCheck(folder, *image, L"w" + std::to_wstring(width) + L".bmp");
    }
    ImagePtr white = MakeImage(1, 1, [](int, int) { return WORD(0xFFFF); });
    ASSERT_TRUE(Surface_SaveBmp(*white, folder.File(L"white.bmp").c_str()));
    const std::vector<BYTE> file = ReadFile(folder.File(L"white.bmp"));
    ASSERT_EQ(58u, file.size());
    EXPECT_EQ(248, file[54]);
    EXPECT_EQ(252, file[55]);
    EXPECT_EQ(248, file[56]);
    EXPECT_EQ(0, file[57]);

    // A capture of the device's screen (240 x 320). The null display keeps no pixels, so
    // the "screen" is a display-compatible bitmap with the clock drawn on it.
    HDC display = GetDC(nullptr);
    HDC shown = CreateCompatibleDC(display);
    HBITMAP content = CreateCompatibleBitmap(display, 240, 320);
    ReleaseDC(nullptr, display);
    HGDIOBJ previous = SelectObject(shown, content);
    const RECT all = {0, 0, 240, 320}, band = {10, 20, 200, 90};
    FillRect(shown, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    FillRect(shown, &band, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TextOutW(shown, 12, 40, L"12:05 Weckzeit", 14);
    Ellipse(shown, 40, 120, 210, 300);
    Image screen;
    const bool captured = screen.CaptureDc(shown, 0, 0, -1, -1);
    SelectObject(shown, previous);
    DeleteObject(content);
    DeleteDC(shown);
    ASSERT_TRUE(captured);
    ASSERT_EQ(240, screen.Width());
    ASSERT_EQ(320, screen.Height());
    SaveAndCheck(folder, screen, L"screen.bmp");
}

TEST(BmpWriter, FailuresLeaveNoFile) {
    ScratchFolder folder;
    Image empty;
    EXPECT_FALSE(Surface_SaveBmp(empty, folder.File(L"empty.bmp").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.File(L"empty.bmp").c_str()));
    ImagePtr image = MakeImage(5, 3, Pattern);
    EXPECT_FALSE(Surface_SaveBmp(*image, folder.File(L"no such folder\\x.bmp").c_str()));

    // A file that takes no bytes (opened for reading): every write fails, and the
    // partial file is deleted rather than reported as saved.
    const std::wstring path = folder.File(L"refused.bmp");
    ASSERT_TRUE(testsupport::WriteBytes(path, "old"));
    FILE* readOnly = _wfopen(path.c_str(), L"rb");
    ASSERT_NE(nullptr, readOnly);
    EXPECT_FALSE(Surface_WriteBmp(*image, readOnly, path.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
}
