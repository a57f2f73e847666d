#pragma once
// The handheld's older picture decompressor, "imgdecmp.dll", which programs load by
// name on OS versions that lack the imaging factory. One call decodes a whole picture
// (PNG, GIF, JPEG or BMP) that the caller feeds through a read callback, and returns
// it as a GDI bitmap of the depth asked for. Only what our code uses is declared.
#include <windows.h>

#define IMGDECMP_LIBRARY L"imgdecmp.dll"
#define IMGDECMP_EXPORT "DecompressImageIndirect"

// Fills buffer with up to size bytes of the picture; returns how many (0: the end).
typedef DWORD(CALLBACK* ImageReadFunction)(BYTE* buffer, DWORD size, LPARAM parameter);

// What to decompress and how. The record is 60 bytes on the handheld's 32-bit build;
// here `size` is sizeof the record.
typedef struct IMAGE_DECOMPRESSION_RECORD {
    DWORD size;                  // sizeof(IMAGE_DECOMPRESSION_RECORD)
    BYTE* readBuffer;            // the caller's buffer the callback reads into
    DWORD readBufferSize;
    HBITMAP* bitmap;             // out: a DIB section of bitDepth bits; the caller deletes it
    int bitDepth;                // 16 (RGB565), 24 or 32
    LPARAM readParameter;        // handed to read
    ImageReadFunction read;
    int scale;                   // percent of the picture's own size (100: its own size)
    int maxWidth;                // the bitmap fits within these, the picture's proportions kept
    int maxHeight;
    COLORREF transparentColour;  // CLR_INVALID: see-through pixels keep their own colour;
                                 // otherwise they are blended over this colour
} IMAGE_DECOMPRESSION_RECORD;

// S_OK with the bitmap made; a negative HRESULT when the record is wrong, the picture
// cannot be read or no bitmap can be made.
typedef HRESULT(WINAPI* DecompressImageIndirectFunction)(IMAGE_DECOMPRESSION_RECORD* record);
