#pragma once
// The main window's tab strip on the older shells, which have no soft-key menu: icon
// tabs along the bottom with a blue "Settings" link beside them, painted through a
// memory bitmap. A tap on the link opens the options sheet instead of switching tabs.
#include <windows.h>

namespace MainTabStrip {

// The strip's height at 96 DPI, taken from the page area.
constexpr int kHeight = 22;

// Makes the view's tab control the strip: owner-drawn icon tabs of a fixed width,
// placed along the bottom of a view of that client height, and the strip's painting
// and link taps.
void Attach(HWND strip, int clientHeight);
// Moves the strip along the bottom of a view of that client size.
void Place(HWND strip, int clientWidth, int clientHeight);
// Draws a tab: the icon centred in its item.
void DrawTab(const DRAWITEMSTRUCT& item, HICON icon);
// The link's rectangle in the strip's client coordinates.
RECT LinkRect(HWND strip);

}  // namespace MainTabStrip
