#pragma once
// The grid of the main-menu popup: six square cells, two per row on a tall screen and
// three on a wide one, numbered row by row; where they lie and how the keys move the
// selection among them. Pure arithmetic, so the popup and its tests share it.
#include <windows.h>

struct MainMenuLayout {
    static constexpr int kCellCount = 6;
    static constexpr int kNoCell = -1;

    int cellSize = 0;  // S: the side of a cell's square
    int rows = 3;
    int columns = 2;
    POINT cells[kCellCount] = {};

    // S for the screen's horizontal dots per inch: 56 at 96, 112 at 192.
    static int CellSize(int dpiX);
    // Places the cells in a client area of width x height; portrait: the screen is narrower than high.
    void Arrange(int width, int height, bool portrait, int dpiY);
    // The first cell whose square holds the point; kNoCell when none.
    int CellAt(int x, int y) const;
    RECT CellRect(int cell) const;
    // Where an arrow key moves the selection from cell `from`; kNoCell when the target
    // lies outside the grid or the key is no arrow.
    int Move(int from, UINT key) const;
};
