#pragma once
// Screenshots as uncompressed 24-bit Windows bitmap files: rows bottom-up, each padded
// to 4 bytes, RGB565 expanded by shifting only (white becomes 248, 252, 248).
#include <windows.h>

#include <cstdio>

class Image;

// path: a device path. False when the image has no pixels or the file cannot be created
// or written whole; a file that could not be written whole is deleted.
bool Surface_SaveBmp(const Image& image, const wchar_t* path);
// Writes the bitmap to an open file and closes it; on any failure of a write or of the
// close, deletes hostPath and returns false.
bool Surface_WriteBmp(const Image& image, FILE* file, const wchar_t* hostPath);
