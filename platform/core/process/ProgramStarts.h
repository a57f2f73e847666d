#pragma once
// Inside the layer: how often each program was started with each command text on this
// device, so tests can tell that something started a program, and how often.
#include <windows.h>

namespace ProgramStarts {
// Counts a start of the program at host path `program` with `args` (null: none).
void Count(const wchar_t* program, const wchar_t* args);
// Starts counted for that program (a device or host path) and command text; keptUp (may
// be null) gets how many of them an unattended-mode request held the device up for.
DWORD Get(const wchar_t* program, const wchar_t* args, DWORD* keptUp);
}  // namespace ProgramStarts
