#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceLibraries.h"
#include "DeviceScreen.h"
#include "DeviceVersion.h"
#include "TestSupport.h"
#include "imgdecmp.h"

namespace {

// The file's bytes handed out in the caller's blocks, as fread would.
struct Feed {
    std::string bytes;
    size_t position = 0;
    size_t overstate = 0;  // claims this many bytes more than it gave, once
};

DWORD CALLBACK ReadFeed(BYTE* buffer, DWORD size, LPARAM parameter) {
    Feed& feed = *reinterpret_cast<Feed*>(parameter);
    const size_t count = std::min<size_t>(size, feed.bytes.size() - feed.position);
    memcpy(buffer, feed.bytes.data() + feed.position, count);
    feed.position += count;
    const size_t extra = feed.overstate;
    feed.overstate = 0;
    return static_cast<DWORD>(count + extra);
}

class ImgDecmp : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(nullptr, Device_LoadLibrary(IMGDECMP_LIBRARY));  // the device has none yet
        ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(IMGDECMP_DLL), L"\\Windows\\imgdecmp.dll"));
        library_ = Device_LoadLibrary(IMGDECMP_LIBRARY);
        ASSERT_NE(nullptr, library_);
        decompress_ = reinterpret_cast<DecompressImageIndirectFunction>(
            reinterpret_cast<void*>(GetProcAddress(library_, IMGDECMP_EXPORT)));
        ASSERT_NE(nullptr, decompress_);
        // Left half transparent red, right half opaque blue, made by ImageMagick.
        const std::wstring png = testsupport::DevicePath(L"\\halves.png");
        ASSERT_TRUE(testsupport::RunHostTool("convert", "-size 20x20 xc:\"rgba(255,0,0,0)\" -size 20x20 xc:\"rgb(0,0,255)\" "
                                                        "+append PNG32:'" + testsupport::UnixPath(png) + "'"));
        ASSERT_TRUE(testsupport::ReadBytes(png, &feed_.bytes));
    }
    void TearDown() override {
        if (library_) FreeLibrary(library_);
    }
    IMAGE_DECOMPRESSION_RECORD Record(int depth, int scale, int maxSide, COLORREF transparent) {
        IMAGE_DECOMPRESSION_RECORD record = {};
        record.size = sizeof record;
        record.readBuffer = block_;
        record.readBufferSize = sizeof block_;
        record.bitmap = &bitmap_;
        record.bitDepth = depth;
        record.readParameter = reinterpret_cast<LPARAM>(&feed_);
        record.read = ReadFeed;
        record.scale = scale;
        record.maxWidth = record.maxHeight = maxSide;
        record.transparentColour = transparent;
        feed_.position = 0;
        return record;
    }
    // The bitmap's size and depth, and its row y.
    DIBSECTION Section() const {
        DIBSECTION section = {};
        GetObjectW(bitmap_, sizeof section, &section);
        return section;
    }
    const BYTE* Row(int y) const {
        const DIBSECTION section = Section();
        return static_cast<const BYTE*>(section.dsBm.bmBits) + static_cast<size_t>(y) * section.dsBm.bmWidthBytes;
    }
    void Release() {
        if (bitmap_) DeleteObject(bitmap_);
        bitmap_ = nullptr;
    }

    HMODULE library_ = nullptr;
    DecompressImageIndirectFunction decompress_ = nullptr;
    Feed feed_;
    BYTE block_[100];
    HBITMAP bitmap_ = nullptr;
};

}  // namespace

TEST_F(ImgDecmp, DecodesAtTheDepthScaleAndColourAsked) {
    IMAGE_DECOMPRESSION_RECORD record = Record(32, 100, 10000, CLR_INVALID);
    ASSERT_EQ(S_OK, decompress_(&record));
    EXPECT_EQ(40, Section().dsBm.bmWidth);
    EXPECT_EQ(20, Section().dsBm.bmHeight);
    EXPECT_EQ(0xFF0000u, reinterpret_cast<const uint32_t*>(Row(5))[5] & 0xFFFFFF);  // its own colour
    EXPECT_EQ(0x0000FFu, reinterpret_cast<const uint32_t*>(Row(5))[30] & 0xFFFFFF);
    Release();

    record = Record(24, 100, 10000, RGB(0, 255, 0));  // see-through pixels over green
    ASSERT_EQ(S_OK, decompress_(&record));
    EXPECT_EQ(24, Section().dsBm.bmBitsPixel);
    const BYTE* row = Row(19);
    EXPECT_EQ(0x00, row[5 * 3 + 2]);
    EXPECT_EQ(0xFF, row[5 * 3 + 1]);
    EXPECT_EQ(0xFF, row[30 * 3]);
    Release();

    record = Record(16, 50, 10000, CLR_INVALID);  // RGB565 at half size
    ASSERT_EQ(S_OK, decompress_(&record));
    EXPECT_EQ(20, Section().dsBm.bmWidth);
    EXPECT_EQ(10, Section().dsBm.bmHeight);
    EXPECT_EQ(0x001F, reinterpret_cast<const WORD*>(Row(2))[17]);
    Release();

    record = Record(16, 100, 10, CLR_INVALID);  // within 10 x 10, proportions kept
    ASSERT_EQ(S_OK, decompress_(&record));
    EXPECT_EQ(10, Section().dsBm.bmWidth);
    EXPECT_EQ(5, Section().dsBm.bmHeight);
    Release();
}

TEST_F(ImgDecmp, RefusesBadRecordsAndBadPictures) {
    IMAGE_DECOMPRESSION_RECORD record = Record(8, 100, 10000, CLR_INVALID);
    EXPECT_EQ(E_INVALIDARG, decompress_(&record));
    record = Record(16, 0, 10000, CLR_INVALID);
    EXPECT_EQ(E_INVALIDARG, decompress_(&record));
    record = Record(16, 100, 10000, CLR_INVALID);
    record.size = 60;
    EXPECT_EQ(E_INVALIDARG, decompress_(&record));
    EXPECT_EQ(E_INVALIDARG, decompress_(nullptr));

    feed_.overstate = 1000;  // a callback that claims more than the buffer holds
    record = Record(16, 100, 10000, CLR_INVALID);
    EXPECT_TRUE(FAILED(decompress_(&record)));
    feed_.bytes.resize(feed_.bytes.size() / 2);  // cut short
    record = Record(16, 100, 10000, CLR_INVALID);
    EXPECT_TRUE(FAILED(decompress_(&record)));
    feed_.bytes = "no picture in these bytes";
    record = Record(16, 100, 10000, CLR_INVALID);
    EXPECT_TRUE(FAILED(decompress_(&record)));
    EXPECT_EQ(nullptr, bitmap_);
}

TEST(DeviceVersion, TestsGiveTheDeviceAnotherVersion) {
    OSVERSIONINFOW host = {sizeof host};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(GetVersionExW(&host));
#pragma GCC diagnostic pop
    OSVERSIONINFOW device = {sizeof device};
    ASSERT_TRUE(Device_GetVersionEx(&device));
    EXPECT_EQ(host.dwMajorVersion, device.dwMajorVersion);
    ASSERT_TRUE(DeviceControl_SetOsVersion(3, 1));
    ASSERT_TRUE(Device_GetVersionEx(&device));
    EXPECT_EQ(3u, device.dwMajorVersion);
    EXPECT_EQ(1u, device.dwMinorVersion);
    ASSERT_TRUE(DeviceControl_SetOsVersion(0, 0));
    ASSERT_TRUE(Device_GetVersionEx(&device));
    EXPECT_EQ(host.dwMajorVersion, device.dwMajorVersion);
    // The handheld's display is RGB565.
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(16, DeviceScreen_GetDeviceCaps(screen, BITSPIXEL));
    ReleaseDC(nullptr, screen);
}
