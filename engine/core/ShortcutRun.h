#pragma once
// Runs a command line as the device does: a quoted program and the text after its
// closing quote as the program's command text, or the whole line as the program.
// Programs are started through the device layer, so a bare name is found in \Windows
// and the program sees exactly the argument text. A shortcut file (".lnk") named as
// the program is replaced by the program it starts.
#include <windows.h>

#include <string>

// Splits a command line whose first character is a double quote into the program
// between the quotes (the closing one is the first quote not preceded by a backslash)
// and the arguments after it, leading blanks included. Any other line, or one
// without a closing quote, is all program and no arguments.
void Shortcut_SplitCommandLine(const wchar_t* commandLine, std::wstring& program, std::wstring& arguments);
// Starts the command line's program with its arguments: 0 on success, else the error.
DWORD Shortcut_Create(const wchar_t* commandLine);
