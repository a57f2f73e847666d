#pragma once
// Loading one picture file (a device path) into an RGB565 Image sized for the slide show.
// Each loader answers null when it cannot read the file; nothing is shown to the user.
#include <windows.h>

#include "Image.h"
#include "PictureFit.h"

// JPEG through libjpeg. With a target from the fit mode: decoded at the smallest of the
// scales 1, 1/2, 1/4 and 1/8 that still covers it, then scaled to it (smoothly when
// asked); else at the picture's own size, at most kMaxPictureTargetSide a side (decoded
// smaller or cut). Grey and colour JPEGs only.
ImagePtr Picture_LoadJpeg(const wchar_t* path, int mode, bool smooth);
// Any picture the imaging factory reads, as a thumbnail of the target size or at its own
// size. size comes in as the screen's and goes out as the target (when there is one).
ImagePtr Picture_LoadWithImaging(const wchar_t* path, int mode, bool smooth, SIZE& size);
// Any picture the older decompressor "imgdecmp.dll" reads, scaled to the target (smoothly
// when asked). Null without a target. size as for Picture_LoadWithImaging.
ImagePtr Picture_LoadWithImgDecmp(const wchar_t* path, int mode, bool smooth, SIZE& size);

// Opens a device path for reading in binary; null when it cannot.
FILE* Picture_OpenFile(const wchar_t* path);
