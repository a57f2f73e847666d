#include "WindowWatch.h"

#include "ScopedHandle.h"
#include "ShellTaskBar.h"

namespace {
// The desktop's own process draws the desktop; its windows are not the device's.
const wchar_t kDesktopProcess[] = L"explorer.exe";
const int kMaxText = 256;

std::wstring FileNameOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

struct CloseRequest {
    DWORD processId;
};

BOOL CALLBACK CloseIfOwned(HWND window, LPARAM request) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == reinterpret_cast<CloseRequest*>(request)->processId && IsWindowVisible(window))
        PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}
}  // namespace

WindowWatch::WindowWatch() : start_(GetTickCount64()) {}

void WindowWatch::Poll() {
    programWindowVisible_ = false;
    EnumWindows(OnWindow, reinterpret_cast<LPARAM>(this));
}

bool WindowWatch::ProgramWindowVisible() const { return programWindowVisible_; }

void WindowWatch::CloseWindowsOf(DWORD processId) const {
    CloseRequest request = {processId};
    EnumWindows(CloseIfOwned, reinterpret_cast<LPARAM>(&request));
}

BOOL CALLBACK WindowWatch::OnWindow(HWND window, LPARAM self) {
    reinterpret_cast<WindowWatch*>(self)->Look(window);
    return TRUE;
}

void WindowWatch::Look(HWND window) {
    if (!IsWindowVisible(window)) return;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == GetCurrentProcessId()) return;
    const std::wstring& process = ProcessName(processId);
    if (lstrcmpiW(process.c_str(), kDesktopProcess) == 0) return;

    wchar_t windowClass[kMaxText] = L"";
    GetClassNameW(window, windowClass, kMaxText);
    const bool shell = lstrcmpW(windowClass, SHELL_TASKBAR_CLASS) == 0;
    if (!shell) programWindowVisible_ = true;
    if (!seen_.insert(window).second) return;

    ShownWindow shown;
    shown.process = process;
    shown.windowClass = windowClass;
    wchar_t title[kMaxText] = L"";
    GetWindowTextW(window, title, kMaxText);
    shown.title = title;
    GetWindowRect(window, &shown.bounds);
    shown.shownAfterMs = GetTickCount64() - start_;
    shown.shell = shell;
    shown_.push_back(shown);
}

const std::wstring& WindowWatch::ProcessName(DWORD processId) {
    auto known = processNames_.find(processId);
    if (known != processNames_.end()) return known->second;
    std::wstring name = L"process " + std::to_wstring(processId);
    ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    wchar_t path[MAX_PATH];
    DWORD length = MAX_PATH;
    if (process && QueryFullProcessImageNameW(process.Get(), 0, path, &length)) name = FileNameOf(path);
    return processNames_[processId] = name;
}
