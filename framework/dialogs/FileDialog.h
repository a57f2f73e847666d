#pragma once
// The file choosers: the device's own chooser library when it has one, the system's
// open or save dialog otherwise.
#include <windows.h>
#include <commdlg.h>

BOOL FileDialog_GetOpenName(OPENFILENAMEW* record);
BOOL FileDialog_GetSaveName(OPENFILENAMEW* record);
