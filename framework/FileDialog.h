#pragma once
// The open-file chooser: the device's own chooser library when it has one, the
// system's open dialog otherwise.
#include <windows.h>
#include <commdlg.h>

BOOL FileDialog_GetOpenName(OPENFILENAMEW* record);
