#include "DibSurface.h"

#include "DeviceScreen.h"

namespace {

// BITMAPINFOHEADER followed by the three colour masks of BI_BITFIELDS.
struct BitfieldsInfo {
    BITMAPINFOHEADER header;
    DWORD masks[3];
};

// Resource type of the program's pictures.
const wchar_t kImagesType[] = L"IMAGES";

volatile LONG g_liveSurfaces = 0;

}  // namespace

DibSurface::DibSurface(WORD bitsPerPixel, DWORD redMask, DWORD greenMask, DWORD blueMask)
    : bitsPerPixel_(bitsPerPixel), masks_{redMask, greenMask, blueMask} {
    InterlockedIncrement(&g_liveSurfaces);
}

DibSurface::~DibSurface() {
    ReleaseSection();
    InterlockedDecrement(&g_liveSurfaces);
}

long DibSurface::LiveCount() { return InterlockedCompareExchange(&g_liveSurfaces, 0, 0); }

bool DibSurface::CreateSection(int width, int height) {
    if (bitmap_ && width == width_ && height == height_) return true;
    ReleaseSection();
    if (width <= 0 || height <= 0) return false;
    BitfieldsInfo info = {};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = width;
    info.header.biHeight = -height;  // top-down
    info.header.biPlanes = 1;
    info.header.biBitCount = bitsPerPixel_;
    info.header.biCompression = BI_BITFIELDS;
    info.header.biSizeImage = static_cast<DWORD>(width) * height * (bitsPerPixel_ / 8);
    for (int i = 0; i < 3; ++i) info.masks[i] = masks_[i];
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bits) {
        if (bitmap) DeleteObject(bitmap);
        return false;
    }
    bitmap_ = bitmap;
    bits_ = bits;
    width_ = width;
    height_ = height;
    stride_ = StrideFor(width);
    return true;
}

void DibSurface::ReleaseSection() {
    if (memoryDc_) {
        SelectObject(memoryDc_, previousBitmap_);
        DeleteDC(memoryDc_);
        memoryDc_ = nullptr;
        previousBitmap_ = nullptr;
    }
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = nullptr;
    bits_ = nullptr;
    OnRelease();
    width_ = height_ = stride_ = 0;
}

HDC DibSurface::MemoryDc(HDC dc) {
    if (!memoryDc_ && bitmap_) {
        memoryDc_ = CreateCompatibleDC(dc);
        if (memoryDc_) previousBitmap_ = SelectObject(memoryDc_, bitmap_);
    }
    return memoryDc_;
}

bool DibSurface::Blit(HDC dc, int x, int y, int sx, int sy, int width, int height) {
    HDC memory = MemoryDc(dc);
    if (!memory) return false;
    if (!MaskEnabled()) return BitBlt(dc, x, y, width, height, memory, sx, sy, SRCCOPY) != FALSE;
    HDC maskDc = mask_->MemoryDc(dc);
    if (!maskDc) return false;
    // The mask's black keeps the picture's pixels, its white keeps the background.
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    const bool ok = BitBlt(dc, x, y, width, height, maskDc, sx, sy, SRCAND) &&
                    BitBlt(dc, x, y, width, height, memory, sx, sy, SRCPAINT);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
    return ok;
}

bool DibSurface::CaptureDc(HDC dc, int x, int y, int width, int height) {
    if (width == -1) width = DeviceScreen_GetDeviceCaps(dc, HORZRES);
    if (height == -1) height = DeviceScreen_GetDeviceCaps(dc, VERTRES);
    if (!CreateSection(width, height)) return false;
    HDC memory = MemoryDc(dc);
    if (!memory) return false;
    const bool ok = BitBlt(memory, 0, 0, width, height, dc, x, y, SRCCOPY) != FALSE;
    GdiFlush();
    return ok;
}

bool DibSurface::FromHbitmap(HBITMAP bitmap) {
    BITMAP info = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return false;
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!source) return false;
    // Fails while the bitmap is selected into another DC.
    HGDIOBJ previous = SelectObject(source, bitmap);
    const bool ok = previous && CaptureDc(source, 0, 0, info.bmWidth, info.bmHeight);
    if (previous) SelectObject(source, previous);
    DeleteDC(source);
    return ok;
}

bool DibSurface::FindImagesResource(UINT id, HMODULE module, const BYTE*& data, UINT& size) {
    if (!module) module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), kImagesType);
    if (!found) return false;
    HGLOBAL loaded = ::LoadResource(module, found);
    size = SizeofResource(module, found);
    data = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    return data && size != 0;
}
