#pragma once
// A private folder holding a copy of Orvalen.exe and its device root, from
// which the program is started as a real process. Processes it started and
// that still run are ended when the sandbox goes.
#include <windows.h>
#include <string>
#include <vector>

class ProgramSandbox {
public:
    ProgramSandbox();
    ~ProgramSandbox();

    const std::wstring& Folder() const { return folder_; }
    std::wstring ProgramPath() const { return folder_ + L"\\Orvalen.exe"; }
    std::wstring FileInFolder(const wchar_t* name) const { return folder_ + L"\\" + name; }

    // Starts the program with exactly this command text; null on failure.
    HANDLE Start(const std::wstring& commandText);
    // Waits for the process to end while this thread keeps handling its own window
    // messages; the exit code, or STILL_ACTIVE on time-out.
    static DWORD WaitForExit(HANDLE process, DWORD timeoutMs);

private:
    std::wstring folder_;
    std::vector<HANDLE> processes_;
};

// The product key's "Location", or empty when it is missing.
std::wstring ReadLocation();
void DeleteLocation();
