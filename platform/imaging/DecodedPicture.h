#pragma once
// A picture decoded by one of the device's decoders: straight (not premultiplied) ARGB
// pixels, rows top-down without padding, and what the imaging objects report of it.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "PictureBudget.h"
#include "imaging.h"

struct DecodedPicture {
    UINT width = 0;
    UINT height = 0;
    std::vector<uint32_t> argb;  // 0xAARRGGBB: bytes blue, green, red, alpha in memory
    bool hasAlpha = false;       // an alpha channel or a transparent colour
    PixelFormatID format = PixelFormat24bppRGB;

    // Allocates width x height opaque black pixels. False (nothing changed) when the size
    // is 0 or beyond what the device decodes, or the pixels would take more than the budget.
    bool Allocate(UINT w, UINT h);
    // ImageInfo.Flags for the picture: has-alpha, and alpha-opaque when no pixel is translucent.
    UINT Flags() const;
};

// One decoder per format: true when the bytes were a whole picture of that format.
// Each checks its own signature first, so a wrong format fails cheaply.
bool DecodePng(const BYTE* data, size_t size, DecodedPicture& out);
bool DecodeGif(const BYTE* data, size_t size, DecodedPicture& out);
bool DecodeJpeg(const BYTE* data, size_t size, DecodedPicture& out);
bool DecodeBmp(const BYTE* data, size_t size, DecodedPicture& out);

// Tries every decoder; false when none reads the bytes. Never throws.
bool DecodePicture(const BYTE* data, size_t size, DecodedPicture& out);

// A copy at another size: each target pixel averages the source pixels it covers
// (colours weighted by their alpha), or repeats the nearest one when enlarging.
// False when the size is 0 or too large or memory runs out.
bool ScalePicture(const DecodedPicture& source, UINT width, UINT height, DecodedPicture& out);
