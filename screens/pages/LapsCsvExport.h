#pragma once
// The stopwatch's two lap lists written to a CSV file the user chooses: a header
// "lap 1;lap 2", then one line per row of the longer list with the lap times of both
// lists (empty where a list is shorter). The chosen folder is remembered.
#include <windows.h>

// No rows: "Nothing to save!" and no file.
void Laps_ExportCsv(HWND owner, HWND firstList, HWND secondList);
