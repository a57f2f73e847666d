#pragma once
// The two backgrounds of a main-menu cell, made once for the program's life: the cell
// picture scaled to the cell's size, and a copy whose opaque rim is white (pressed or
// selected).
class Dib;

// Null when the picture cannot be loaded or scaled.
const Dib* MainMenuCellArt_Background(int cellSize, bool highlighted);
