#pragma once
// New images made from an image: flips, mirror, rotation, doubling, a band of rows and
// bilinear scaling. Each returns null when the new image cannot be made.
#include "Image.h"

// Rows in reverse order; the alpha plane too.
ImagePtr Image_FlipVertical(const Image& source);
// Each row reversed; the alpha plane too.
ImagePtr Image_MirrorHorizontal(const Image& source);
// A quarter turn counter-clockwise: height x width, source (x, y) at column y, row
// width - 1 - x; the alpha plane too.
ImagePtr Image_Rotate90(const Image& source);
// Twice the size, each pixel a 2 x 2 block, no alpha; a 1 x 1 image when the double
// size cannot be made.
ImagePtr Image_Scale2x(const Image& source);
// The full width of the rows from firstRow on (height -1: to the last row; a band past
// the last row is cut there); the alpha plane too.
ImagePtr Image_CopyRect(const Image& source, int firstRow, int height);
// Bilinear resampling to width x height in 16.16 fixed point; no alpha plane.
ImagePtr Image_Scale(const Image& source, int width, int height);
