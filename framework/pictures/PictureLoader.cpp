#include "PictureLoader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

#include "DeviceFiles.h"
#include "DeviceScreen.h"
#include "ImageComposite.h"
#include "PictureLoading.h"
#include "PlatformHelpers.h"

namespace {

const wchar_t* const kPicturePatterns[] = {L"*.bmp", L"*.gif", L"*.png", L"*.jpg"};
// The imaging factory exists from this OS version on; older devices have the decompressor.
constexpr int kImagingOsVersion = 4;
constexpr unsigned kRandRange = 0x8000;  // rand() gives 15 bits

SIZE ScreenSize() { return {DeviceScreen_GetSystemMetrics(SM_CXSCREEN), DeviceScreen_GetSystemMetrics(SM_CYSCREEN)}; }

ImagePtr Placeholder() {
    ImagePtr grey(new (std::nothrow) Image());
    if (!grey || !grey->Create(PictureLoader::kPlaceholderSide, PictureLoader::kPlaceholderSide)) return nullptr;
    grey->Fill(PictureLoader::kPlaceholderColour);
    return grey;
}

// A picture narrower or lower than the screen, in the middle of a black picture at least
// the screen's size; larger ones (and any when memory runs out) as they are.
ImagePtr CentredOnScreen(ImagePtr picture) {
    const SIZE screen = ScreenSize();
    if (picture->Width() >= screen.cx && picture->Height() >= screen.cy) return picture;
    ImagePtr canvas(new (std::nothrow) Image());
    const int width = std::max<int>(picture->Width(), screen.cx), height = std::max<int>(picture->Height(), screen.cy);
    if (!canvas || !canvas->Create(width, height)) return picture;
    canvas->Fill(0);
    Image_Composite(*canvas, *picture, (width - picture->Width()) / 2, (height - picture->Height()) / 2, 0, 0, -1, -1,
                    kCompositeAsIs, 0);
    return canvas;
}

}  // namespace

void Picture_ShuffleNames(std::vector<std::wstring>::iterator first, std::vector<std::wstring>::iterator last) {
    const ptrdiff_t count = last - first;
    for (ptrdiff_t i = 1; i < count; ++i) {
        const uint64_t choices = static_cast<uint64_t>(i) + 1;
        uint64_t value = static_cast<unsigned>(rand()), range = kRandRange;
        for (; range < choices; range <<= 15) value = value << 15 | static_cast<unsigned>(rand());
        std::swap(first[i], first[static_cast<ptrdiff_t>(value % choices)]);
    }
}

PictureLoader::PictureLoader() { InitializeCriticalSection(&lock_); }

PictureLoader::~PictureLoader() {
    JoinLoader();
    DeleteCriticalSection(&lock_);
}

bool PictureLoader::ScanFolder(const wchar_t* folder, int fitMode, bool shuffle) {
    // The loader thread reads every field below.
    JoinLoader();
    folder_ = folder ? folder : L"";
    if (folder_.empty() || folder_.back() != L'\\') folder_ += L'\\';
    fitMode_ = fitMode;
    wchar_t mapped[MAX_PATH];
    if (Device_MapPath(folder_.c_str(), mapped, MAX_PATH)) {
        for (const wchar_t* pattern : kPicturePatterns) {
            WIN32_FIND_DATAW found = {};
            HANDLE search = FindFirstFileW((std::wstring(mapped) + L"\\" + pattern).c_str(), &found);
            if (search == INVALID_HANDLE_VALUE) continue;
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names_.push_back(found.cFileName);
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
    }
    shuffle_ = shuffle;
    if (names_.empty()) return false;
    if (shuffle_) Picture_ShuffleNames(names_.begin(), names_.end());
    position_ = 0;
    StartLoader();
    return true;
}

ImagePtr PictureLoader::RestartLoader(bool synchronous) {
    JoinLoader();
    // The picture a thread made is the next one; without one (a synchronous load came
    // before, or nothing was scanned) it is loaded here.
    if (!next_) LoadNext(false);
    ImagePtr picture = std::move(next_);
    if (!synchronous) StartLoader();
    return picture;
}

DWORD WINAPI PictureLoader::LoaderThread(void* loader) {
    // rand() keeps its state per thread, starting alike in each: without a seed every
    // reshuffle made here would put the names in the same new order.
    srand(static_cast<unsigned>(GetTickCount() ^ GetCurrentThreadId() << 16));
    try {
        static_cast<PictureLoader*>(loader)->LoadNext(true);
    } catch (...) {
        // Out of memory: the slot keeps what it has.
    }
    return 0;
}

void PictureLoader::LoadNext(bool smooth) {
    next_.reset(new (std::nothrow) Image());
    ImagePtr picture;
    for (size_t attempt = 0; attempt < names_.size() && !picture; ++attempt) {
        picture = LoadPicture(folder_ + names_[position_], smooth);
        MoveToNextName();
    }
    if (picture) next_ = CentredOnScreen(std::move(picture));
}

ImagePtr PictureLoader::LoadPicture(const std::wstring& path, bool smooth) const {
    ImagePtr picture = Picture_LoadJpeg(path.c_str(), fitMode_, smooth);
    if (!picture) {
        SIZE size = ScreenSize();
        picture = Sys_GetOsMajorVersion() < kImagingOsVersion
                      ? Picture_LoadWithImgDecmp(path.c_str(), fitMode_, smooth, size)
                      : Picture_LoadWithImaging(path.c_str(), fitMode_, smooth, size);
    }
    return picture ? std::move(picture) : Placeholder();
}

void PictureLoader::MoveToNextName() {
    if (++position_ < names_.size()) return;
    if (shuffle_) Picture_ShuffleNames(names_.begin(), names_.end());
    position_ = 0;
}

void PictureLoader::StartLoader() {
    EnterCriticalSection(&lock_);
    thread_ = CreateThread(nullptr, 0, LoaderThread, this, 0, nullptr);
    LeaveCriticalSection(&lock_);
}

void PictureLoader::JoinLoader() {
    EnterCriticalSection(&lock_);
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    LeaveCriticalSection(&lock_);
}
