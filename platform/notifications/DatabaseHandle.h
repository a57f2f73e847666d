#pragma once
// Handles of the database functions: a small unnamed section that holds the cursor, so
// the handle is a real kernel handle that CloseHandle frees with everything it holds.
#include <windows.h>
#include <cstdint>

class DatabaseHandle {
public:
    enum Kind : uint32_t { kDatabase = 1, kSearch = 2 };
    struct Cursor {
        uint32_t magic;
        uint32_t kind;
        uint32_t current;   // database: CEOID of the current record (0: none); search: databases listed
        uint32_t filter;    // search: database type asked for (0: all)
    };

    // A new handle holding `cursor`; null on failure.
    static HANDLE Create(Kind kind, uint32_t filter);
    // The cursor of a handle of this kind; false (ERROR_INVALID_HANDLE) for any other handle.
    static bool Read(HANDLE handle, Kind kind, Cursor* cursor);
    static bool Write(HANDLE handle, const Cursor& cursor);
};
