#include "MainMenuCellArt.h"

#include <memory>

#include "Dib.h"
#include "ImageStrip.h"
#include "resource.h"

namespace {

constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr uint32_t kRimAlpha = 0xC8;

std::unique_ptr<Dib> g_normal;
std::unique_ptr<Dib> g_highlighted;

void Make(int cellSize) {
    Dib picture;
    if (!picture.LoadResource(IDR_MENU_CELL, nullptr, 1.0f, 1.0f)) return;
    g_normal = ImageStrip_Create(picture, cellSize, cellSize, true);
    if (!g_normal) return;
    g_highlighted = ImageStrip_Create(*g_normal, cellSize, cellSize, false);
    if (!g_highlighted) return;
    GdiFlush();
    for (int y = 0; y < cellSize; ++y) {
        uint32_t* row = g_highlighted->Row(y);
        for (int x = 0; x < cellSize; ++x)
            if ((row[x] >> 24) >= kRimAlpha) row[x] = kOpaqueWhite;
    }
}

}  // namespace

const Dib* MainMenuCellArt_Background(int cellSize, bool highlighted) {
    // Made for the first size asked; the screen's density does not change while the program runs.
    if (!g_normal) Make(cellSize);
    return highlighted ? g_highlighted.get() : g_normal.get();
}
