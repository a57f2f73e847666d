#include "QuestionBox.h"

#include <cwchar>

#include "DeviceSession.h"
#include "ScopedHandle.h"
#include "TestFiles.h"

namespace testsupport {

namespace {

// The message box's text is its static control 0xFFFF.
std::wstring BoxText(HWND box) {
    wchar_t text[512] = {};
    SendMessageW(GetDlgItem(box, 0xFFFF), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

// The desktop of the device the test runs: the boxes of other tests' devices are not
// ours to answer, and a helper thread of the test starts on the process's own desktop.
ScopedDesktop DeviceDesktop() {
    wchar_t name[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(DEVICE_DESKTOP_VARIABLE, name, MAX_PATH);
    return ScopedDesktop(n > 0 && n < MAX_PATH ? OpenDesktopW(name, 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE)
                                               : nullptr);
}

}  // namespace

HWND FindDeviceWindow(DWORD timeoutMs, const std::function<bool(HWND)>& match) {
    struct Search {
        const std::function<bool(HWND)>* match;
        HWND found;
    } search = {&match, nullptr};
    const ScopedDesktop device = DeviceDesktop();
    const HDESK desktop = device ? device.Get() : GetThreadDesktop(GetCurrentThreadId());
    testsupport::PollUntil(timeoutMs, [&] {
        search.found = nullptr;
        EnumDesktopWindows(
            desktop,
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                if (!(*s->match)(window)) return TRUE;
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    return search.found;
}

std::wstring AnswerQuestion(UINT button, DWORD timeoutMs, const std::wstring& text) {
    HWND box = FindDeviceWindow(timeoutMs, [&](HWND window) {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        // Its own style: IsWindowVisible of a window on another thread's desktop is false.
        const bool shown = (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
        if (wcscmp(name, L"#32770") != 0 || !shown || !GetDlgItem(window, button)) return false;
        return text.empty() || BoxText(window) == text;
    });
    if (!box) return std::wstring();
    const std::wstring shown = BoxText(box);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    return shown;
}

}  // namespace testsupport
