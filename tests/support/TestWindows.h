#pragma once
// Reading what windows show, also windows of another process on the test's desktop.
#include <windows.h>

#include <string>

namespace testsupport {

std::wstring WindowText(HWND window);
// The text of a dialog's control; empty when the control is missing.
std::wstring DialogItemText(HWND dialog, int controlId);
// The first window with this control id below parent, at any depth; null when none.
HWND FindChild(HWND parent, int id);

// The visible top-level window without owner first in the desktop's z-order (the one on
// top; popups it owns, such as its soft-key bar, stand above it), or null. Wine leaves a
// window whose own top-most popup is already first unmarked, so tests look at the order.
HWND FirstVisibleWindow();
// Text of a tool bar button (a soft key of a menu bar) by index.
std::wstring ButtonText(HWND bar, int index);

}  // namespace testsupport
