#pragma once
// The optional file-chooser library of some devices: "tgetfile.dll" exporting
// "tGetFile". Programs bind it by name and use the system's open dialog without it.
#include <windows.h>
#include <commdlg.h>

#define TGETFILE_LIBRARY L"tgetfile.dll"
#define TGETFILE_EXPORT "tGetFile"

// Mode of the call.
#define TGETFILE_OPEN 0
#define TGETFILE_SAVE 1

// Shows the chooser on the record as GetOpenFileName would; TRUE when a file was picked.
typedef BOOL (*TGetFileFunction)(int mode, OPENFILENAMEW* record);
