#pragma once
// Messages between the editor pages and their settings dialog.
#include <windows.h>

namespace EditorMessage {
// A page changed a value, or the tab changed: the dialog refreshes its soft-key menu.
constexpr UINT kPageChanged = WM_USER + 362;  // 1386
}  // namespace EditorMessage

// Tells the page's dialog (its parent) that the page changed.
inline void Editor_NotifyPageChanged(HWND page) { SendMessageW(GetParent(page), EditorMessage::kPageChanged, 0, 0); }
