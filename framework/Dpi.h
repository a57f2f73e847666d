#pragma once
// The screen's density, read once, and the rule that scales a value designed at 96 DPI.

// LOGPIXELSX / LOGPIXELSY of the screen; -1 when no screen DC could be had.
int Dpi_GetX();
int Dpi_GetY();
// (|v| * dpi + 48) / 96 with the sign of v kept.
int Dpi_Scale(int value, int dpi);
