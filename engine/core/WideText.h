#pragma once
// Helpers for the standard wide string, used where code keeps std::wstring
// instead of RcString, and the one conversion to 8-bit text.
#include <windows.h>
#include <cstdarg>
#include <string>

// Formats into out (msvcrt wide conventions); returns 1, or 0 with out empty when the
// formatter fails at every size up to a limit. Out of memory throws std::bad_alloc.
// Never hand it a language pack's text as the format: use WString_FillMark.
int WString_Format(std::wstring& out, const wchar_t* format, ...);
int WString_FormatV(std::wstring& out, const wchar_t* format, va_list args);
// text with its first mark (such as "%s") replaced by value; text without the mark as it
// is. How a translated text takes a value: whatever else the text holds stays as written.
std::wstring WString_FillMark(const std::wstring& text, const wchar_t* mark, const std::wstring& value);
// Assigns a string-table entry: the unit before the text holds its character count.
void WString_AssignCounted(std::wstring& out, const wchar_t* resourceText);
// Reads a window's whole text; returns 1.
int Window_GetTextString(HWND window, std::wstring& out);
// New 8-bit text in the system code page, freed by the caller with free(); null on failure.
char* Text_WideToMultiByte(const wchar_t* text);
