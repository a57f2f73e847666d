// The imaging factory and its image and bitmap objects over the device's decoders.
// Image and bitmap objects share the decoded pixels, which never change once decoded.
#include <memory>
#include <new>

#include "DecodedPicture.h"
#include "DeviceFiles.h"
#include "ScopedHandle.h"

// The real ole32 entry point; imaging.h maps the name for everyone else.
#undef CoCreateInstance

const CLSID CLSID_ImagingFactory = {0x327ABDA8, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
const IID IID_IImagingFactory = {0x327ABDA7, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
const IID IID_IImage = {0xC559DDEE, 0x7456, 0x4BE2, {0xB7, 0xEE, 0x27, 0x07, 0xB9, 0xC1, 0xDB, 0xCE}};
const IID IID_IBitmapImage = {0x729677E2, 0xFD0F, 0x4CDA, {0x8D, 0xD1, 0x89, 0x5F, 0x13, 0x02, 0xAA, 0xA5}};

namespace {

// Larger picture files are refused before they are read: the bytes are held while they decode.
constexpr DWORD kMaxPictureFileBytes = kPictureMemoryBudget;

using PicturePtr = std::shared_ptr<const DecodedPicture>;

// IUnknown for an object that offers one interface.
template <typename Interface>
class ComObject : public Interface {
public:
    explicit ComObject(const IID& iid) : iid_(iid) {}
    virtual ~ComObject() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, iid_)) {
            *object = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

private:
    const IID& iid_;
    LONG references_ = 1;
};

// A BITMAPINFO describing the picture's pixels to GDI (top-down, 32 bits).
BITMAPINFO PictureInfo(const DecodedPicture& picture) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(picture.width);
    info.bmiHeader.biHeight = -static_cast<LONG>(picture.height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Pixels with alpha are blended: GDI's blend wants them premultiplied.
bool DrawBlended(HDC dc, const DecodedPicture& picture, const RECT& to, const RECT& from) {
    BITMAPINFO info = PictureInfo(picture);
    void* bits = nullptr;
    HBITMAP premultiplied = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!premultiplied) return false;
    auto* out = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < picture.argb.size(); ++i) {
        const uint32_t p = picture.argb[i], a = p >> 24;
        out[i] = a << 24 | (((p >> 16) & 0xFF) * a / 255) << 16 | (((p >> 8) & 0xFF) * a / 255) << 8 | (p & 0xFF) * a / 255;
    }
    HDC memory = CreateCompatibleDC(dc);
    bool ok = false;
    if (memory) {
        HGDIOBJ previous = SelectObject(memory, premultiplied);
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ok = GdiAlphaBlend(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, memory, from.left, from.top,
                           from.right - from.left, from.bottom - from.top, blend) != FALSE;
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    DeleteObject(premultiplied);
    return ok;
}

class PictureImage : public ComObject<IImage> {
public:
    explicit PictureImage(PicturePtr picture) : ComObject(IID_IImage), picture_(std::move(picture)) {}
    const PicturePtr& Picture() const { return picture_; }

    HRESULT STDMETHODCALLTYPE GetImageInfo(ImageInfo* info) override {
        if (!info) return E_POINTER;
        *info = ImageInfo();
        info->PixelFormat = picture_->format;
        info->Width = info->TileWidth = picture_->width;
        info->Height = info->TileHeight = picture_->height;
        info->Xdpi = info->Ydpi = 96.0;
        info->Flags = picture_->Flags();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Draw(HDC dc, const RECT* destination, const RECT* source) override {
        if (!dc || !destination) return E_INVALIDARG;
        const RECT whole = {0, 0, static_cast<LONG>(picture_->width), static_cast<LONG>(picture_->height)};
        const RECT& from = source ? *source : whole;
        if ((picture_->Flags() & (ImageFlagsHasAlpha | ImageFlagsAlphaOpaque)) == ImageFlagsHasAlpha)
            return DrawBlended(dc, *picture_, *destination, from) ? S_OK : E_FAIL;
        const BITMAPINFO info = PictureInfo(*picture_);
        const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
        const int lines = StretchDIBits(dc, destination->left, destination->top, destination->right - destination->left,
                                        destination->bottom - destination->top, from.left, from.top,
                                        from.right - from.left, from.bottom - from.top, picture_->argb.data(), &info,
                                        DIB_RGB_COLORS, SRCCOPY);
        if (oldMode) SetStretchBltMode(dc, oldMode);
        return lines > 0 ? S_OK : E_FAIL;
    }

    HRESULT STDMETHODCALLTYPE GetThumbnail(UINT width, UINT height, IImage** thumbnail) override;

private:
    PicturePtr picture_;
};

class PictureBitmap : public ComObject<IBitmapImage> {
public:
    explicit PictureBitmap(PicturePtr picture) : ComObject(IID_IBitmapImage), picture_(std::move(picture)) {}

    HRESULT STDMETHODCALLTYPE GetSize(SIZE* size) override {
        if (!size) return E_POINTER;
        size->cx = static_cast<LONG>(picture_->width);
        size->cy = static_cast<LONG>(picture_->height);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPixelFormatID(PixelFormatID* format) override {
        if (!format) return E_POINTER;
        *format = PixelFormat32bppARGB;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LockBits(const RECT* rect, UINT flags, PixelFormatID format, BitmapData* locked) override {
        if (!locked || flags != ImageLockModeRead || format != PixelFormat32bppARGB) return E_INVALIDARG;
        const RECT whole = {0, 0, static_cast<LONG>(picture_->width), static_cast<LONG>(picture_->height)};
        const RECT r = rect ? *rect : whole;
        if (r.left < 0 || r.top < 0 || r.right > whole.right || r.bottom > whole.bottom || r.left >= r.right ||
            r.top >= r.bottom)
            return E_INVALIDARG;
        if (locked_) return E_FAIL;  // one lock at a time
        locked_ = true;
        locked->Width = static_cast<UINT>(r.right - r.left);
        locked->Height = static_cast<UINT>(r.bottom - r.top);
        locked->Stride = static_cast<LONG>(picture_->width * 4);
        locked->PixelFormat = PixelFormat32bppARGB;
        locked->Scan0 = const_cast<uint32_t*>(&picture_->argb[static_cast<size_t>(r.top) * picture_->width + r.left]);
        locked->Reserved = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UnlockBits(const BitmapData* locked) override {
        if (!locked || !locked_) return E_INVALIDARG;
        locked_ = false;
        return S_OK;
    }

private:
    PicturePtr picture_;
    bool locked_ = false;
};

// A scaled copy, or the picture itself at its own size.
PicturePtr PictureAtSize(const PicturePtr& picture, UINT width, UINT height) {
    if (width == picture->width && height == picture->height) return picture;
    auto scaled = std::make_shared<DecodedPicture>();
    if (!ScalePicture(*picture, width, height, *scaled)) return nullptr;
    return scaled;
}

HRESULT PictureImage::GetThumbnail(UINT width, UINT height, IImage** thumbnail) {
    if (!thumbnail) return E_POINTER;
    *thumbnail = nullptr;
    try {
        PicturePtr scaled = PictureAtSize(picture_, width, height);
        if (!scaled) return E_INVALIDARG;
        *thumbnail = new PictureImage(std::move(scaled));
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ImageFromBytes(const BYTE* data, size_t size, IImage** image) {
    try {
        auto picture = std::make_shared<DecodedPicture>();
        if (!DecodePicture(data, size, *picture)) return E_FAIL;
        *image = new PictureImage(std::move(picture));
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

class ImagingFactory : public ComObject<IImagingFactory> {
public:
    ImagingFactory() : ComObject(IID_IImagingFactory) {}

    HRESULT STDMETHODCALLTYPE CreateImageFromFile(const WCHAR* path, IImage** image) override {
        if (!path || !image) return E_POINTER;
        *image = nullptr;
        wchar_t hostPath[MAX_PATH];
        if (!Device_MapPath(path, hostPath, MAX_PATH)) return E_INVALIDARG;
        ScopedFile file(CreateFileW(hostPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file) return HRESULT_FROM_WIN32(GetLastError());
        LARGE_INTEGER size = {};
        if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > kMaxPictureFileBytes) return E_FAIL;
        try {
            std::unique_ptr<BYTE[]> bytes(new BYTE[static_cast<size_t>(size.QuadPart)]);
            DWORD read = 0;
            if (!ReadFile(file.Get(), bytes.get(), static_cast<DWORD>(size.QuadPart), &read, nullptr) ||
                read != size.QuadPart)
                return E_FAIL;
            return ImageFromBytes(bytes.get(), read, image);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

    HRESULT STDMETHODCALLTYPE CreateImageFromBuffer(const void* buffer, UINT size, BufferDisposalFlag,
                                                    IImage** image) override {
        if (!buffer || !image) return E_POINTER;
        *image = nullptr;
        return ImageFromBytes(static_cast<const BYTE*>(buffer), size, image);
    }

    HRESULT STDMETHODCALLTYPE CreateBitmapFromImage(IImage* image, UINT width, UINT height, PixelFormatID format,
                                                    InterpolationHint, IBitmapImage** bitmap) override {
        if (!image || !bitmap) return E_POINTER;
        *bitmap = nullptr;
        auto* ours = dynamic_cast<PictureImage*>(image);
        if (!ours || format != PixelFormat32bppARGB) return E_INVALIDARG;
        const PicturePtr& picture = ours->Picture();
        try {
            PicturePtr sized = PictureAtSize(picture, width ? width : picture->width, height ? height : picture->height);
            if (!sized) return E_INVALIDARG;
            *bitmap = new PictureBitmap(std::move(sized));
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
};

}  // namespace

HRESULT Device_CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object) {
    if (!IsEqualCLSID(clsid, CLSID_ImagingFactory)) return CoCreateInstance(clsid, outer, context, iid, object);
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    auto* factory = new (std::nothrow) ImagingFactory();
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT result = factory->QueryInterface(iid, object);
    factory->Release();
    return result;
}
