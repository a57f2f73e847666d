#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <set>
#include <thread>

#include "DeviceVersion.h"
#include "DialogTestSupport.h"
#include "PictureFit.h"
#include "PictureLoader.h"
#include "PictureTestSupport.h"
#include "TestSupport.h"

using namespace imagetests;
using namespace picturetests;

namespace {

// What the process holds now and the most it has held since it started.
struct Memory {
    SIZE_T now = 0, peak = 0;
};
Memory ProcessMemory() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return Memory();
    return Memory{counters.WorkingSetSize, counters.PeakWorkingSetSize};
}

// Ends the test program at once when it holds far more than `limit` above `base`: a load
// that runs away must not take the machine's memory before the test can fail.
class MemoryWatch {
public:
    MemoryWatch(SIZE_T base, SIZE_T limit)
        : thread_([=] {
              while (!stop_) {
                  if (ProcessMemory().now > base + limit) {
                      std::fprintf(stderr, "the load held more than %zu MB: ended\n", limit >> 20);
                      std::fflush(stderr);
                      TerminateProcess(GetCurrentProcess(), 3);
                  }
                  Sleep(5);
              }
          }) {}
    ~MemoryWatch() {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The picture no decoder read: 50 x 50 grey in the middle of a black screen.
void ExpectGreyPicture(const ImagePtr& picture) {
    ASSERT_TRUE(picture);
    ASSERT_EQ(240, picture->Width());
    ASSERT_EQ(320, picture->Height());
    EXPECT_EQ(0, CountWrongPixels(*picture, [](int x, int y) {
                  const bool inside = x >= 95 && x < 145 && y >= 135 && y < 185;
                  return inside ? PictureLoader::kPlaceholderColour : WORD(0);
              }));
}

// Colours exact in RGB565, one per picture.
const WORD kColours[] = {0xF800, 0x07E0, 0x001F, 0xFFE0, 0x07FF};
const char* const kColourNames[] = {"#F80000", "#00FC00", "#0000F8", "#F8FC00", "#00FCF8"};
constexpr int kPictures = 5;

class Loader : public ::testing::Test {
protected:
    void SetUp() override { dialogtests::UseScreen(240, 320, 96); }
    std::wstring Folder() const { return DevicePath(folder_); }
    // Small BMPs, one per colour, made by ImageMagick: pic-0.bmp ...
    void MakeColouredPictures() {
        std::string arguments;
        for (const char* colour : kColourNames) arguments += std::string(" -size 16x12 xc:") + colour;
        ASSERT_TRUE(Convert(arguments + " +adjoin BMP3:\"" + folder_.UnixFile(L"pic-%d.bmp") + "\""));
    }
    // Which coloured picture this is, by its centre; -1 for none.
    static int ColourOf(const Image& picture) {
        GdiFlush();
        const WORD centre = picture.Row(picture.Height() / 2)[picture.Width() / 2];
        for (int i = 0; i < kPictures; ++i)
            if (kColours[i] == centre) return i;
        return -1;
    }

    ScratchFolder folder_;
};

}  // namespace

TEST_F(Loader, EmptyOrMissingFolderFindsNothingAndStartsNoThread) {
    PictureLoader loader;
    ASSERT_TRUE(testsupport::WriteBytes(folder_.File(L"notes.txt"), "no pictures here"));
    CreateDirectoryW(folder_.File(L"folder.jpg").c_str(), nullptr);  // a folder is no picture
    EXPECT_FALSE(loader.ScanFolder(Folder().c_str(), kFitAll, true));
    EXPECT_FALSE(loader.HasLoaderThread());
    EXPECT_FALSE(loader.ScanFolder((Folder() + L"\\missing").c_str(), kFitAll, false));
    EXPECT_FALSE(loader.HasLoaderThread());
    EXPECT_TRUE(loader.Names().empty());
}

TEST_F(Loader, FilesNoDecoderReadsShowAsTheGreyPicture) {
    ASSERT_TRUE(testsupport::WriteBytes(folder_.File(L"garbage.jpg"), std::string(3000, 'x')));
    ASSERT_TRUE(Convert("-size 64x64 plasma: \"" + folder_.UnixFile(L"whole.png") + "\""));
    ASSERT_TRUE(Convert("-size 64x64 plasma: -quality 80 \"" + folder_.UnixFile(L"whole.jpg") + "\""));
    const std::vector<BYTE> png = ReadFile(folder_.File(L"whole.png")), jpeg = ReadFile(folder_.File(L"whole.jpg"));
    ASSERT_TRUE(testsupport::WriteBytes(folder_.File(L"cut.png"), std::string(png.begin(), png.begin() + png.size() / 2)));
    ASSERT_TRUE(testsupport::WriteBytes(folder_.File(L"cut.jpg"), std::string(jpeg.begin(), jpeg.begin() + 120)));
    DeleteFileW(folder_.File(L"whole.png").c_str());
    DeleteFileW(folder_.File(L"whole.jpg").c_str());

    PictureLoader loader;
    ASSERT_TRUE(loader.ScanFolder(Folder().c_str(), kFitLargerOnly, false));
    ASSERT_EQ(3u, loader.Names().size());
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(loader.Names()[i]);
        ExpectGreyPicture(loader.RestartLoader(i == 1));
    }
}

// Headers that claim far more than their bytes hold (make_hostile_pictures.py): JPEGs of
// 65500 x 65500, progressive and baseline (8188 x 8188 at 1/8), a progressive one of the
// device's largest size, whose coefficients alone take 95 MB, and a GIF whose logical
// screen of 190 MB holds one pixel. Each shows as the grey picture, and loading them all
// holds less than 64 MB more than the process did before.
TEST_F(Loader, PicturesClaimingGigabytesShowGreyWithinTheBudget) {
    const std::wstring script = testsupport::SourceDir() + L"\\tests\\framework\\pictures\\make_hostile_pictures.py";
    ASSERT_TRUE(testsupport::RunHostTool("python3", "'" + testsupport::UnixPath(script) + "' '" + folder_.UnixFile(L"") + "'"));
    PictureLoader loader;
    const Memory before = ProcessMemory();
    ASSERT_NE(0u, before.now);
    {
        MemoryWatch watch(before.now, SIZE_T{512} << 20);
        ASSERT_TRUE(loader.ScanFolder(Folder().c_str(), kFitAll, false));
        ASSERT_EQ(4u, loader.Names().size());
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(loader.Names()[i]);
            ExpectGreyPicture(loader.RestartLoader(i % 2 == 1));
        }
    }
    const SIZE_T held = ProcessMemory().peak - before.now;
    std::printf("hostile pictures: peak %zu bytes above the start\n", held);
    RecordProperty("peak_bytes", std::to_string(held));
    EXPECT_LT(held, SIZE_T{64} << 20);
}

// Fit mode 1: a 640 x 480 JPEG on a 240 x 320 screen is decoded at half size, scaled to
// 240 x 180 and centred on a black picture of the screen's size, on the thread and on the
// caller's thread alike: the whole picture shows, its right edge too.
TEST_F(Loader, FittedJpegIsCentredOnBlack) {
    ASSERT_TRUE(Convert("-size 640x480 xc:#F8FCF8 -fill red -draw \"rectangle 600,0 639,479\" -quality 95 \"" +
                        folder_.UnixFile(L"white.jpg") + "\""));
    PictureLoader loader;
    ASSERT_TRUE(loader.ScanFolder(Folder().c_str(), kFitAll, false));
    for (bool synchronous : {false, true, true}) {
        ImagePtr picture = loader.RestartLoader(synchronous);
        ASSERT_TRUE(picture);
        ASSERT_EQ(240, picture->Width());
        ASSERT_EQ(320, picture->Height());
        GdiFlush();
        for (int y : {0, 69, 70, 160, 249, 250, 319}) {
            const bool inside = y >= 70 && y < 250;
            EXPECT_EQ(inside, picture->Row(y)[100] > 0xE000) << y;
            EXPECT_EQ(inside, (picture->Row(y)[238] & 0xF800) == 0xF800) << y;  // the red right edge
            if (!inside) {
                EXPECT_EQ(0, picture->Row(y)[0]) << y;
            }
        }
    }
}

// The loader's first picture is taken by the first synchronous load, not skipped.
TEST_F(Loader, PicturesComeInOrderAndShuffledOncePerPass) {
    MakeColouredPictures();
    PictureLoader loader;
    ASSERT_TRUE(loader.ScanFolder(Folder().c_str(), kFitNone, false));
    ASSERT_EQ(static_cast<size_t>(kPictures), loader.Names().size());
    std::vector<int> expected;
    for (const std::wstring& name : loader.Names()) expected.push_back(name[4] - L'0');
    for (int round = 0; round < 2 * kPictures; ++round) {
        ImagePtr picture = loader.RestartLoader(round % 3 == 0);
        ASSERT_TRUE(picture);
        EXPECT_EQ(expected[round % kPictures], ColourOf(*picture)) << round;
    }

    PictureLoader shuffled;
    ASSERT_TRUE(shuffled.ScanFolder(Folder().c_str(), kFitNone, true));
    std::set<std::vector<int>> orders;
    for (int pass = 0; pass < 4; ++pass) {
        std::vector<int> order;
        for (int i = 0; i < kPictures; ++i) {
            ImagePtr picture = shuffled.RestartLoader(i == 2);
            ASSERT_TRUE(picture);
            order.push_back(ColourOf(*picture));
        }
        EXPECT_EQ(kPictures, static_cast<int>(std::set<int>(order.begin(), order.end()).size())) << pass;
        orders.insert(order);
    }
    EXPECT_GT(orders.size(), 1u);  // the order changes from pass to pass
}

// Below OS version 4 the pictures come through the device's imgdecmp.dll.
TEST_F(Loader, OlderDeviceLoadsThroughTheDecompressor) {
    ASSERT_TRUE(DeviceControl_SetOsVersion(3, 0));
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(ORVALEN_IMGDECMP_DLL), L"\\Windows\\imgdecmp.dll"));
    MakeColouredPictures();
    PictureLoader loader;
    ASSERT_TRUE(loader.ScanFolder(Folder().c_str(), kFitAll, false));
    for (bool synchronous : {true, false, false}) {
        ImagePtr picture = loader.RestartLoader(synchronous);
        ASSERT_TRUE(picture);
        EXPECT_EQ(240, picture->Width());
        EXPECT_NE(-1, ColourOf(*picture));
    }
}

// Scans, restarts and destruction while the thread loads: every picture is freed once.
TEST_F(Loader, EveryPictureIsFreedExactlyOnce) {
    MakeColouredPictures();
    ASSERT_TRUE(Convert("-size 1600x1200 -seed 3 plasma: -quality 90 \"" + folder_.UnixFile(L"big.jpg") + "\""));
    const long before = DibSurface::LiveCount();
    for (int round = 0; round < 12; ++round) {
        PictureLoader loader;
        ASSERT_TRUE(loader.ScanFolder(Folder().c_str(), round % 4, round % 2 == 0));
        if (round % 3 == 0) loader.RestartLoader(false);
        if (round % 3 == 1) {
            ASSERT_TRUE(loader.ScanFolder(Folder().c_str(), kFitAll, true));  // names pile up
        }
        ImagePtr kept = loader.RestartLoader(round % 2 == 1);
        if (round % 4 == 2) kept.reset();
        // The loader goes while its thread may still decode.
    }
    EXPECT_EQ(before, DibSurface::LiveCount());
}
