#include "BmpWriter.h"

#include <cstdint>
#include <new>
#include <vector>

#include "DeviceFiles.h"
#include "Image.h"

namespace {

#pragma pack(push, 1)
struct BmpFileHeader {
    uint16_t type;
    uint32_t size;
    uint16_t reserved1;
    uint16_t reserved2;
    uint32_t offBits;
};
struct BmpInfoHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t clrUsed;
    uint32_t clrImportant;
};
#pragma pack(pop)
static_assert(sizeof(BmpFileHeader) == 14, "file header is 14 bytes on disk");
static_assert(sizeof(BmpInfoHeader) == 40, "info header is 40 bytes on disk");

constexpr uint16_t kBmpType = 0x4D42;  // "BM"
constexpr uint32_t kHeadersSize = sizeof(BmpFileHeader) + sizeof(BmpInfoHeader);

size_t RowBytes(int width) { return (static_cast<size_t>(width) * 3 + 3) / 4 * 4; }

// The rows in file order: the bottom image row first, pixels blue, green, red.
std::vector<BYTE> FileRows(const Image& image) {
    const size_t rowBytes = RowBytes(image.Width());
    std::vector<BYTE> rows(rowBytes * image.Height(), 0);
    GdiFlush();
    for (int k = 0; k < image.Height(); ++k) {
        const WORD* from = image.Row(image.Height() - 1 - k);
        BYTE* to = &rows[rowBytes * k];
        for (int x = 0; x < image.Width(); ++x) {
            const WORD p = from[x];
            *to++ = static_cast<BYTE>(p << 3);
            *to++ = static_cast<BYTE>((p >> 3) & 0xFC);
            *to++ = static_cast<BYTE>((p >> 8) & 0xF8);
        }
    }
    return rows;
}

bool WriteAll(FILE* file, const void* data, size_t size) { return size == 0 || fwrite(data, 1, size, file) == size; }

}  // namespace

bool Surface_WriteBmp(const Image& image, FILE* file, const wchar_t* hostPath) {
    bool ok = false;
    try {
        const std::vector<BYTE> rows = FileRows(image);
        BmpFileHeader fileHeader = {kBmpType, static_cast<uint32_t>(kHeadersSize + rows.size()), 0, 0, kHeadersSize};
        BmpInfoHeader info = {};
        info.size = sizeof info;
        info.width = image.Width();
        info.height = image.Height();
        info.planes = 1;
        info.bitCount = 24;
        info.compression = BI_RGB;
        info.sizeImage = static_cast<uint32_t>(rows.size());
        ok = WriteAll(file, &fileHeader, sizeof fileHeader) && WriteAll(file, &info, sizeof info) &&
             WriteAll(file, rows.data(), rows.size());
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    // A full storage card shows at the close, when the buffer is written out.
    if (fclose(file) != 0) ok = false;
    if (!ok) _wremove(hostPath);
    return ok;
}

bool Surface_SaveBmp(const Image& image, const wchar_t* path) {
    if (image.IsEmpty() || !path) return false;
    wchar_t hostPath[MAX_PATH];
    if (!Device_MapPath(path, hostPath, MAX_PATH)) return false;
    FILE* file = _wfopen(hostPath, L"wb");
    if (!file) return false;
    return Surface_WriteBmp(image, file, hostPath);
}
