#pragma once
// Scaling of a 32-bit Dib: the main menu's cell backgrounds and pictures decoded by the
// older decompressor are sized with it.
#include <memory>

#include "Dib.h"

// A new Dib of width x height scaled from the source in 16.16 fixed point. Smooth: each
// pixel mixes its four neighbours (every byte, alpha included), with steps of
// (source size - 1) / size; otherwise the nearest pixel, with steps of source size / size.
// Null when the source is empty, a size is not positive or memory runs out.
std::unique_ptr<Dib> ImageStrip_Create(const Dib& source, int width, int height, bool smooth);
