#pragma once
// The handheld's shortcut files (".lnk"): one line of narrow text,
//   <count>#<command>?<icon file>,<icon index>
// where the command is a program (quoted when it holds blanks) and its arguments, and
// the icon part is optional; "<count>#<icon file>,<icon index>" holds an icon only.
// The shell opens a shortcut by starting its program with its arguments.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// A shortcut file's parts; program is empty for one that holds only an icon.
typedef struct DeviceShortcut {
    wchar_t program[MAX_PATH];
    wchar_t arguments[MAX_PATH];
    wchar_t iconFile[MAX_PATH];
    int iconIndex;
    BOOL hasIcon;
} DeviceShortcut;

// Reads the shortcut file (a device or host path). FALSE with ERROR_BAD_FORMAT when
// it is no shortcut, or with the file's error when it cannot be read.
BOOL Device_ReadShortcut(const wchar_t* shortcutFile, DeviceShortcut* out);
// The program the shortcut starts, without its arguments, so that it can be started
// with arguments of the caller's own; at most cchMax characters with the terminator.
BOOL SHGetShortcutTarget(const wchar_t* shortcutFile, wchar_t* target, int cchMax);
// Opens a shortcut as the shell does when the user taps it.
BOOL Device_OpenShortcut(const wchar_t* shortcutFile);

#ifdef __cplusplus
}
#endif
