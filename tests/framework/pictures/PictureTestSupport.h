#pragma once
// Helpers of the picture-loading tests: pictures made by ImageMagick and cjpeg in a
// folder of the device, djpeg's reading of a JPEG, and pixel checks.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Image.h"
#include "ImageTestSupport.h"

namespace picturetests {

// The device path ("\name") of a file in a scratch folder under the device root.
std::wstring DevicePath(const imagetests::ScratchFolder& folder, const std::wstring& name = std::wstring());
// Runs a host tool of libjpeg-turbo-progs (cjpeg, djpeg) with the arguments.
bool RunJpegTool(const std::string& tool, const std::string& arguments);

// A picture as a PNM file holds it: 1 (grey) or 3 (RGB) bytes per pixel, rows top-down.
struct Pnm {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> samples;
    WORD Rgb565(int x, int y) const;
};
// djpeg's picture at 1/denominator; false when djpeg failed or wrote no PNM.
bool Djpeg(const imagetests::ScratchFolder& folder, const std::wstring& jpeg, int denominator, Pnm& out);

// How many pixels differ from the expected RGB565 value at (x, y).
template <typename Expected>
int CountWrongPixels(const Image& image, Expected expected) {
    GdiFlush();
    int wrong = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) wrong += image.Row(y)[x] != expected(x, y);
    return wrong;
}

}  // namespace picturetests
