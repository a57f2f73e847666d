#pragma once
// What the scalers of Image and Dib share: the running source positions in 16.16 fixed
// point, the walk over the target pixels and the bilinear mix of one 8-bit channel.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

// Entry k: the fraction of position k in its low 16 bits and, in its high 16 bits, how
// many whole pixels position k lies past position k - 1. Built once per call.
struct StepTable {
    explicit StepTable(int count) : entries(static_cast<uint32_t*>(malloc((count + 1) * sizeof(uint32_t)))) {}
    ~StepTable() { free(entries); }
    StepTable(const StepTable&) = delete;
    StepTable& operator=(const StepTable&) = delete;

    void Fill(int count, uint32_t step) {
        entries[0] = 0;
        for (int k = 0; k < count; ++k) entries[k + 1] = step + (entries[k] & 0xFFFF);
    }
    uint32_t* entries;
};

// The 16.16 step that spreads span source pixels over count target pixels (truncated).
inline uint32_t Scale_Step(int span, int count) { return static_cast<uint32_t>(static_cast<int64_t>(span * 65536.0 / count)); }

// Where a target pixel lies in the source: the columns and rows on either side of its
// position (the last one repeated at the edge) and the fractions between them.
struct ScalePoint {
    int x0, x1, y0, y1;
    int fx, fy;
};

// Calls visit(i, j, point) for every target pixel (i, j) of width x height, row by row,
// with positions advancing by stepX and stepY. False when the tables cannot be made.
template <typename Visit>
bool Scale_Walk(int sourceWidth, int sourceHeight, int width, int height, uint32_t stepX, uint32_t stepY, Visit visit) {
    StepTable columns(width), rows(height);
    if (!columns.entries || !rows.entries) return false;
    columns.Fill(width, stepX);
    rows.Fill(height, stepY);
    // A source one pixel wide or high has nothing beyond its last column or row to read.
    const int lastX = sourceWidth - 1, lastY = sourceHeight - 1;
    ScalePoint point = {};
    int y = 0;
    for (int j = 0; j < height; ++j) {
        y += rows.entries[j] >> 16;
        point.fy = rows.entries[j] & 0xFFFF;
        point.y0 = std::min(y, lastY);
        point.y1 = std::min(y + 1, lastY);
        int x = 0;
        for (int i = 0; i < width; ++i) {
            x += columns.entries[i] >> 16;
            point.fx = columns.entries[i] & 0xFFFF;
            point.x0 = std::min(x, lastX);
            point.x1 = std::min(x + 1, lastX);
            visit(i, j, point);
        }
    }
    return true;
}

// One channel between four neighbours by the fractions fx and fy (16 bits each).
inline int Bilinear(int p00, int p10, int p01, int p11, int fx, int fy) {
    const int top = (p00 + ((p10 - p00) * fx >> 16)) & 0xFF;
    const int bottom = (p01 + ((p11 - p01) * fx >> 16)) & 0xFF;
    return top + ((bottom - top) * fy >> 16);
}
