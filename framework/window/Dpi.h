#pragma once
// The screen's density, read once, and the rule that scales a value designed at 96 DPI.

// LOGPIXELSX / LOGPIXELSY of the screen; -1 when no screen DC could be had.
int Dpi_GetX();
int Dpi_GetY();
// (|v| * dpi + 48) / 96 with the sign of v kept.
int Dpi_Scale(int value, int dpi);
// A design value scaled by the horizontal or vertical density.
int Dpi_ScaleX(int value);
int Dpi_ScaleY(int value);
// Forgets the cached densities. The handheld's density never changes while the
// program runs; a test that gives the simulated device another screen calls this.
void Dpi_ResetCache();
