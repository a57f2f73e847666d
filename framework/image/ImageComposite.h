#pragma once
// The compositor of Image (RGB565 with alpha) and Dib (32-bit ARGB).
#include <windows.h>

class Dib;
class Image;

// Compositing modes; the parameter f is 0-255.
enum CompositeMode : int {
    kCompositeBlend = 1,       // fixed weight f, the source alpha ignored
    kCompositeBrightness = 2,  // source channels x f / 128 (capped), then by the source alpha
    kCompositeAnd = 6,         // d AND s
    kCompositeOr = 7,          // d OR s
    kCompositeGrey = 9,        // source towards its grey by 255 - f, then by the source alpha
    kCompositeAsIs = 10,       // by the source alpha, or copied without one (any other mode too)
};

// Composites the source rectangle (sourceX, sourceY, width, height) onto the destination
// at (x, y). Width -1 means the rest of the source row (source width - source x), height
// -1 the rest of its rows; the rectangle is clipped to both images, and negative source
// coordinates are refused. True when anything was drawn.
bool Image_Composite(Image& destination, const Image& source, int x, int y, int sourceX, int sourceY, int width,
                     int height, int mode, int parameter);

// Blends the source's columns from sourceX (width -1: to the source's right edge) onto the
// destination at column x by their alpha byte, rows from 0 for the lower of the two
// heights. True when anything was drawn.
bool Dib_Composite(Dib& destination, const Dib& source, int x, int sourceX, int width);
