#pragma once
// A control's text as the dialog resource holds it.
#include <windows.h>

#include <string>

// The title of the first item with that id whose class is a predefined one: its text
// for a button or static, "No text" for other classes, "Unknown" when there is none;
// "Error1" / "Error2" when the dialog resource cannot be found / loaded.
std::wstring DialogTemplate_GetItemText(HMODULE module, UINT dialogId, UINT controlId);
