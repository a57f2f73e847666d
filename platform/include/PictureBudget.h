#pragma once
// What the device's picture decoders take at most, and every picture loader of the
// program with them: a side, a pixel count, and the bytes that one buffer of a picture's
// decoding may hold (decoded pixels, a scaled copy, the decoder's own tables).
#include <cstddef>

constexpr unsigned kMaxPictureSide = 16384;
constexpr unsigned kMaxPicturePixels = 48u * 1024 * 1024;
// An eight-megapixel camera picture at 32 bits a pixel fits.
constexpr size_t kPictureMemoryBudget = size_t{32} << 20;

// True when a picture of that size is one the device decodes at all.
inline bool Picture_SizeAccepted(unsigned width, unsigned height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           static_cast<unsigned long long>(width) * height <= kMaxPicturePixels;
}
