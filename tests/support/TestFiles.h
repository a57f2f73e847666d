#pragma once
// Files a test or its child programs write, and waiting for them.
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

bool ReadBytes(const std::wstring& path, std::string* bytes);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
// A file of UTF-16 text, as our programs write it (no byte-order mark).
bool ReadUtf16(const std::wstring& path, std::wstring* text);
// The records of a file of counted UTF-16 texts (a 32-bit length, then the characters),
// as today_translation.txt holds them; empty when the file is missing or not whole.
std::vector<std::wstring> ReadCountedTexts(const std::wstring& path);
// Copies a host file to a device path ("\Windows\x.exe"), creating its folders.
bool CopyIntoDevice(const std::wstring& hostFile, const std::wstring& cePath);
// Deletes a folder with everything in it; true when it is gone.
bool DeleteTree(const std::wstring& folder);
// Polls `ready` until it gives true; false when the time is up first.
bool PollUntil(DWORD timeoutMs, const std::function<bool()>& ready);
// Polls until the file exists (and is not being written); false on timeout.
bool WaitForFile(const std::wstring& path, DWORD timeoutMs);
// Polls until a top-level window of the class exists; null on timeout.
HWND WaitForWindow(const std::wstring& className, DWORD timeoutMs);

}  // namespace testsupport
