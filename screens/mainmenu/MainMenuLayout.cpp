#include "MainMenuLayout.h"

int MainMenuLayout::CellSize(int dpiX) { return ((dpiX + 6) * 8) / 96 + (dpiX < 192 ? 48 : 96); }

void MainMenuLayout::Arrange(int width, int height, bool portrait, int dpiY) {
    rows = portrait ? 3 : 2;
    columns = portrait ? 2 : 3;
    const int gapX = (width - cellSize * columns) / (columns + 1);
    const int gapY = (height - cellSize * rows) / (rows + 1);
    // The captions hang below the cells: the grid starts a little higher.
    const int top = gapY - ((dpiY + 6) * 8) / 96;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            POINT& cell = cells[row * columns + column];
            cell.x = gapX + column * (cellSize + gapX);
            cell.y = top + row * (cellSize + gapY);
        }
    }
}

int MainMenuLayout::CellAt(int x, int y) const {
    for (int cell = 0; cell < kCellCount; ++cell) {
        const POINT& corner = cells[cell];
        if (x >= corner.x && x < corner.x + cellSize && y >= corner.y && y < corner.y + cellSize) return cell;
    }
    return kNoCell;
}

RECT MainMenuLayout::CellRect(int cell) const {
    const POINT& corner = cells[cell];
    return RECT{corner.x, corner.y, corner.x + cellSize, corner.y + cellSize};
}

int MainMenuLayout::Move(int from, UINT key) const {
    int to = kNoCell;
    switch (key) {
    case VK_LEFT: to = from - 1; break;
    case VK_RIGHT: to = from + 1; break;
    case VK_UP: to = from - columns; break;
    case VK_DOWN: to = from + columns; break;
    default: return kNoCell;
    }
    return to >= 0 && to < kCellCount ? to : kNoCell;
}
