#pragma once
// The program's message box: its caption is the translated product name.
#include <windows.h>

int AppMessageBox_Show(HWND owner, const wchar_t* text, UINT flags);
