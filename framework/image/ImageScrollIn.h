#pragma once
// The picture slides up into the rectangle from its bottom edge in 300 ms. Busy-loops
// on the calling (GUI) thread at raised priority and processes no messages meanwhile.
#include <windows.h>

class Image;

void Image_ScrollIn(HDC dc, Image& image, const RECT& rect);
