// Pictures through the platform's imaging factory (OS version 4 and later).
#include "ComRef.h"
#include "GdiHandles.h"
#include "PictureLoading.h"
#include "imaging.h"

namespace {

// The picture drawn into a bitmap compatible with the screen, of its own size.
HBITMAP DrawOnScreenBitmap(IImage* picture, int width, int height) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(screen, width, height) : nullptr;
    ReleaseDC(nullptr, screen);
    bool drawn = false;
    if (bitmap) {
        SelectScope selected(memory, bitmap);
        const RECT whole = {0, 0, width, height};
        drawn = SUCCEEDED(picture->Draw(memory, &whole, nullptr));
    }
    if (memory) DeleteDC(memory);
    if (!drawn && bitmap) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    return bitmap;
}

HBITMAP DecodeToBitmap(const wchar_t* path, int mode, SIZE& size) {
    ComRef<IImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_ImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IImagingFactory,
                                reinterpret_cast<void**>(factory.Receive()))))
        return nullptr;
    ComRef<IImage> image;
    ImageInfo info = {};
    if (FAILED(factory.Get()->CreateImageFromFile(path, image.Receive())) || FAILED(image.Get()->GetImageInfo(&info)))
        return nullptr;
    int width = static_cast<int>(size.cx), height = static_cast<int>(size.cy);
    if (!Picture_FitSize(mode, static_cast<int>(info.Width), static_cast<int>(info.Height), width, height))
        return DrawOnScreenBitmap(image.Get(), static_cast<int>(info.Width), static_cast<int>(info.Height));
    size.cx = width;
    size.cy = height;
    ComRef<IImage> thumbnail;
    if (FAILED(image.Get()->GetThumbnail(static_cast<UINT>(width), static_cast<UINT>(height), thumbnail.Receive())))
        return nullptr;
    return DrawOnScreenBitmap(thumbnail.Get(), width, height);
}

}  // namespace

// The factory's thumbnails have one filter of their own, so smoothing is not asked.
ImagePtr Picture_LoadWithImaging(const wchar_t* path, int mode, bool, SIZE& size) {
    if (!path) return nullptr;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    BitmapHandle bitmap(DecodeToBitmap(path, mode, size));
    if (SUCCEEDED(com)) CoUninitialize();
    if (!bitmap) return nullptr;
    ImagePtr picture(new (std::nothrow) Image());
    if (!picture || !picture->FromHbitmap(bitmap.Get())) return nullptr;
    return picture;
}
