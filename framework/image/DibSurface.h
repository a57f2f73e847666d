#pragma once
// The part that Image (16-bit) and Dib (32-bit) share: a top-down DIB section whose
// pixels the program writes directly, a memory DC made on first draw, and an optional
// mask drawn under the picture. Decoding pictures into Image and Dib (their LoadBuffer
// and LoadResource) lives with the picture loaders in ../pictures, so that what only
// draws, as the Today item, links no picture decoder.
#include <windows.h>

#include <memory>

class DibSurface {
public:
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;
    // Releases the section, then destroys the attached mask.
    virtual ~DibSurface();
    // How many surfaces exist in the process: a leak, or one freed twice, shows as a
    // count that does not come back.
    static long LiveCount();

    HBITMAP Handle() const { return bitmap_; }
    bool IsEmpty() const { return bitmap_ == nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Pixels from one row to the next.
    int Stride() const { return stride_; }

    // (Re)creates the section at that size and copies the DC's area at (x, y) into it;
    // -1 takes the DC's HORZRES / VERTRES.
    bool CaptureDc(HDC dc, int x, int y, int width, int height);
    // A copy of a GDI bitmap at its own size.
    bool FromHbitmap(HBITMAP bitmap);
    // The encoded bytes of resource type "IMAGES" id of the module (null: the program);
    // false when it has none.
    static bool FindImagesResource(UINT id, HMODULE module, const BYTE*& data, UINT& size);

    // The mask belongs to this surface from now on; drawing uses it while enabled.
    void AttachMask(std::unique_ptr<DibSurface> mask) { mask_ = std::move(mask); }
    void EnableMask(bool enabled) { maskEnabled_ = enabled; }
    bool MaskEnabled() const { return maskEnabled_ && mask_ && !mask_->IsEmpty(); }

    // The memory DC with the section selected, made compatible with dc on first use;
    // null when it cannot be made.
    HDC MemoryDc(HDC dc);

protected:
    DibSurface(WORD bitsPerPixel, DWORD redMask, DWORD greenMask, DWORD blueMask);

    // Keeps the section when it already has that size; otherwise releases everything first.
    bool CreateSection(int width, int height);
    // The DC, the section and what the derived class adds (OnRelease; not called from
    // the destructor, so derived classes keep their extras in owners); sizes become 0.
    void ReleaseSection();
    virtual void OnRelease() {}
    virtual int StrideFor(int width) const = 0;
    void* Bits() const { return bits_; }
    // BitBlt of the area from (sx, sy), or through the mask (SRCAND, then SRCPAINT) when enabled.
    bool Blit(HDC dc, int x, int y, int sx, int sy, int width, int height);

private:
    const WORD bitsPerPixel_;
    const DWORD masks_[3];
    HBITMAP bitmap_ = nullptr;
    void* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    HDC memoryDc_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    std::unique_ptr<DibSurface> mask_;
    bool maskEnabled_ = false;
};
