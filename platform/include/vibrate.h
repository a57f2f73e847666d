#pragma once
// The shell's vibrator functions (aygshell.dll, bound by name).
#include <windows.h>

// One note of a vibration pattern.
typedef struct VibrateNote {
    WORD wDuration;  // ms
    BYTE bAmplitude;
    BYTE bFrequency;
} VIBRATENOTE;

// Vibrate(note count, notes, repeat, time-out in ms or INFINITE): S_OK when the vibrator
// runs; VibrateStop() stops it.
typedef HRESULT (*VibrateFunction)(DWORD noteCount, const VIBRATENOTE* notes, BOOL repeat, DWORD timeout);
typedef HRESULT (*VibrateStopFunction)(void);
