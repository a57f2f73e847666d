#pragma once
// The device's imaging component: a COM factory that decodes PNG, GIF, JPEG and BMP
// pictures from memory or from a file into image objects, which report their size and
// format, make scaled thumbnails, draw themselves into a DC and become lockable 32-bit
// bitmaps. Only what our code uses is declared.
//
// The handheld registers the factory with COM; this device layer serves it from
// Device_CoCreateInstance, to which CoCreateInstance is mapped below. Every other class
// goes on to ole32.
#include <windows.h>
#include <objbase.h>

typedef DWORD PixelFormatID;

// Pixel formats (index | bits per pixel << 8 | kind flags).
#define PixelFormat24bppRGB 0x00021808
#define PixelFormat32bppARGB 0x0026200A  // bytes blue, green, red, alpha; alpha not premultiplied

// ImageInfo.Flags.
#define ImageFlagsAlphaOpaque 0x00010000  // an alpha channel whose every pixel is opaque
#define ImageFlagsHasAlpha 0x00040000     // the picture carries an alpha channel or a transparent colour

// LockBits modes; only reading is offered.
#define ImageLockModeRead 0x0001

// How CreateBitmapFromImage may resample; the default is the only hint.
typedef enum InterpolationHint { InterpolationHintDefault = 0 } InterpolationHint;

// Who frees the buffer given to CreateImageFromBuffer: the caller keeps it and must
// keep it alive while the image object lives.
typedef enum BufferDisposalFlag { BufferDisposalFlagNone = 0 } BufferDisposalFlag;

typedef struct ImageInfo {
    GUID RawDataFormat;
    PixelFormatID PixelFormat;
    UINT Width;
    UINT Height;
    UINT TileWidth;
    UINT TileHeight;
    double Xdpi;
    double Ydpi;
    UINT Flags;
} ImageInfo;

typedef struct BitmapData {
    UINT Width;
    UINT Height;
    LONG Stride;  // bytes from one row to the next
    PixelFormatID PixelFormat;
    void* Scan0;
    UINT_PTR Reserved;
} BitmapData;

// A decoded picture.
struct IImage : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetImageInfo(ImageInfo* info) = 0;
    // Draws the picture (or the source rectangle of it, null = all) stretched into the
    // destination rectangle, blended by its alpha when it has one.
    virtual HRESULT STDMETHODCALLTYPE Draw(HDC dc, const RECT* destination, const RECT* source) = 0;
    // A new image of the given size, averaged down or sampled up from this one.
    virtual HRESULT STDMETHODCALLTYPE GetThumbnail(UINT width, UINT height, IImage** thumbnail) = 0;
};

// A picture in memory whose pixels can be read.
struct IBitmapImage : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetSize(SIZE* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPixelFormatID(PixelFormatID* format) = 0;
    // rect null: the whole bitmap. Only ImageLockModeRead in PixelFormat32bppARGB.
    virtual HRESULT STDMETHODCALLTYPE LockBits(const RECT* rect, UINT flags, PixelFormatID format,
                                               BitmapData* locked) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockBits(const BitmapData* locked) = 0;
};

struct IImagingFactory : public IUnknown {
    // path: a device path. E_FAIL when the file cannot be read or decoded.
    virtual HRESULT STDMETHODCALLTYPE CreateImageFromFile(const WCHAR* path, IImage** image) = 0;
    // The bytes are decoded at once; E_FAIL when they hold no picture this device reads.
    virtual HRESULT STDMETHODCALLTYPE CreateImageFromBuffer(const void* buffer, UINT size,
                                                            BufferDisposalFlag disposal, IImage** image) = 0;
    // width and height 0: the image's own size.
    virtual HRESULT STDMETHODCALLTYPE CreateBitmapFromImage(IImage* image, UINT width, UINT height,
                                                            PixelFormatID format, InterpolationHint hints,
                                                            IBitmapImage** bitmap) = 0;
};

#ifdef __cplusplus
extern "C" {
#endif

extern const CLSID CLSID_ImagingFactory;  // {327ABDA8-072B-11D3-9D7B-0000F81EF32E}
extern const IID IID_IImagingFactory;     // {327ABDA7-072B-11D3-9D7B-0000F81EF32E}
extern const IID IID_IImage;
extern const IID IID_IBitmapImage;

// CoCreateInstance with the device's own classes: the imaging factory is created here
// (in-process only, no aggregation); every other class goes to ole32.
HRESULT Device_CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);
#define CoCreateInstance Device_CoCreateInstance

#ifdef __cplusplus
}
#endif
