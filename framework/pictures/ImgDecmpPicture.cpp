// Pictures through the older decompressor "imgdecmp.dll" (OS versions before 4).
#include <cstdio>

#include "DeviceLibraries.h"
#include "DeviceScreen.h"
#include "Dib.h"
#include "GdiHandles.h"
#include "ImageStrip.h"
#include "PictureLoading.h"
#include "imgdecmp.h"

namespace {

constexpr DWORD kReadBlock = 4096;
constexpr int kOwnSizePercent = 100;
constexpr int kMaxDecodedSide = 10000;

DWORD CALLBACK ReadFromFile(BYTE* buffer, DWORD size, LPARAM file) {
    return static_cast<DWORD>(fread(buffer, 1, size, reinterpret_cast<FILE*>(file)));
}

int ScreenBitsPerPixel() {
    HDC screen = GetDC(nullptr);
    const int bits = DeviceScreen_GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return bits;
}

// The picture as the decompressor returns it: a bitmap of the screen's depth at its own size.
HBITMAP Decompress(const wchar_t* path) {
    FILE* file = Picture_OpenFile(path);
    if (!file) return nullptr;
    HBITMAP bitmap = nullptr;
    if (HMODULE library = Device_LoadLibrary(IMGDECMP_LIBRARY)) {
        auto decompress = reinterpret_cast<DecompressImageIndirectFunction>(
            reinterpret_cast<void*>(GetProcAddress(library, IMGDECMP_EXPORT)));
        BYTE block[kReadBlock];
        IMAGE_DECOMPRESSION_RECORD record = {};
        record.size = sizeof record;
        record.readBuffer = block;
        record.readBufferSize = kReadBlock;
        record.bitmap = &bitmap;
        record.bitDepth = ScreenBitsPerPixel();
        record.readParameter = reinterpret_cast<LPARAM>(file);
        record.read = ReadFromFile;
        record.scale = kOwnSizePercent;
        record.maxWidth = record.maxHeight = kMaxDecodedSide;
        record.transparentColour = CLR_INVALID;
        const HRESULT result = decompress ? decompress(&record) : E_FAIL;
        if (FAILED(result) && bitmap) DeleteObject(bitmap);
        if (FAILED(result)) bitmap = nullptr;
        FreeLibrary(library);
    }
    fclose(file);
    return bitmap;
}

}  // namespace

ImagePtr Picture_LoadWithImgDecmp(const wchar_t* path, int mode, bool smooth, SIZE& size) {
    BitmapHandle bitmap(Decompress(path));
    Dib decoded;
    if (!bitmap || !decoded.FromHbitmap(bitmap.Get())) return nullptr;
    bitmap.Reset();
    int width = static_cast<int>(size.cx), height = static_cast<int>(size.cy);
    // Without a target the picture is shown at its own size, as the imaging factory's path does.
    if (!Picture_FitSize(mode, decoded.Width(), decoded.Height(), width, height)) return Image::FromDib(decoded);
    size.cx = width;
    size.cy = height;
    std::unique_ptr<Dib> scaled = ImageStrip_Create(decoded, width, height, smooth);
    return scaled ? Image::FromDib(*scaled) : nullptr;
}
