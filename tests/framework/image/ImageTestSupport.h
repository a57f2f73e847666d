#pragma once
// Small helpers for the picture tests: images of known pixels, RGB565 oracles and
// pictures made by ImageMagick in the test's own folder.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Image.h"

namespace imagetests {

// An image of the size whose pixels come from pixel(x, y); with alphaOf, an alpha plane too.
template <typename PixelFn>
ImagePtr MakeImage(int width, int height, PixelFn pixel) {
    ImagePtr image(new Image());
    if (!image->Create(width, height)) return nullptr;
    GdiFlush();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image->Row(y)[x] = pixel(x, y);
    return image;
}
template <typename PixelFn, typename AlphaFn>
ImagePtr MakeImage(int width, int height, PixelFn pixel, AlphaFn alphaOf) {
    ImagePtr image = MakeImage(width, height, pixel);
    if (!image || !image->CreateAlpha(0)) return nullptr;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image->AlphaRow(y)[x] = alphaOf(x, y);
    return image;
}

// A colourful test pattern that differs from pixel to pixel.
inline WORD Pattern(int x, int y) { return static_cast<WORD>((x * 2654435761u + y * 40503u) >> 7); }

// A folder of its own for the files of one test, deleted with the object.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
    std::string UnixFile(const std::wstring& name) const;

private:
    std::wstring path_;
};

// Runs ImageMagick's convert with the arguments; true when it succeeded.
bool Convert(const std::string& arguments);
// The picture's pixels as ImageMagick reads them: RGBA bytes, row by row.
std::vector<uint8_t> ImageMagickRgba(const ScratchFolder& folder, const std::wstring& picture,
                                     const std::string& options = std::string());
// How many pixels differ from the RGBA bytes (of the image's size) by more than one
// RGB565 step (8 in red and blue, 4 in green): decoders may round apart by that much.
int CountPixelsBeyondAStep(const Image& image, const std::vector<uint8_t>& rgba);
// The whole file, or empty.
std::vector<BYTE> ReadFile(const std::wstring& path);

}  // namespace imagetests
