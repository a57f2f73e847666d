#pragma once
// Replacing a whole file as one step: the bytes go to a file beside it, which is flushed
// and then renamed over the old one, so a crash or a failed write at any point leaves
// the old file or the new one, never one cut short.
#include <string>

// Writes bytes as the file at path; false (the old file untouched) when it cannot.
bool File_Replace(const std::wstring& path, const std::string& bytes);
