#pragma once
// How the Today item hands a command to the program: to the running instance's engine
// window as one WM_COPYDATA record, or, when no instance runs (or its window never
// shows), by starting the program named by "Location" with the command as its command
// text (also when the instance refuses the record, as one that is quitting does).
// Failures are silent. Blocks the caller for up to 2.5 s while it waits for the
// engine window, and for as long as the program takes to answer.
#include <windows.h>

class TodayCommandSender {
public:
    // The bytes of "Location" read at most; a longer value starts nothing.
    static constexpr DWORD kMaxLocationBytes = 520;
    // KEY_READ | KEY_WRITE, as the key is opened.
    static constexpr REGSAM kProductKeyAccess = 0x2001F;

    // text null: only start the program, with an empty command text. The record's
    // answer, or 0 when the program was started (or nothing happened).
    static LRESULT Send(const wchar_t* text);
    // Starts the program named by "Location" with text (null: none); false when
    // "Location" is missing or damaged or the start failed.
    static bool StartProgram(const wchar_t* text);
};
