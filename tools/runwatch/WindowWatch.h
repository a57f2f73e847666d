#pragma once
// Watches the top-level windows of the desktop it runs on and remembers each one that
// became visible, with its process and when it showed.
#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

struct ShownWindow {
    std::wstring process;  // file name of the process's program
    std::wstring windowClass;
    std::wstring title;
    RECT bounds;
    ULONGLONG shownAfterMs;  // since the watch began
    bool shell;              // the device shell's own (its task bar), not a program's
};

class WindowWatch {
public:
    WindowWatch();

    // Looks at the desktop's windows once.
    void Poll();
    // True when a program's window (not the shell's) is visible now.
    bool ProgramWindowVisible() const;
    // Asks every visible window of the process to close, as a person would.
    void CloseWindowsOf(DWORD processId) const;
    const std::vector<ShownWindow>& Shown() const { return shown_; }

private:
    static BOOL CALLBACK OnWindow(HWND window, LPARAM self);
    void Look(HWND window);
    const std::wstring& ProcessName(DWORD processId);

    ULONGLONG start_;
    bool programWindowVisible_ = false;
    std::set<HWND> seen_;
    std::map<DWORD, std::wstring> processNames_;
    std::vector<ShownWindow> shown_;
};
