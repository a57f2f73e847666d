#include "MainMenuProbe.h"

#include <cwchar>

#include "MainMenuPopup.h"
#include "QuestionBox.h"

namespace main_menu_probe {

namespace {

bool IsPopup(HWND window) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    const LONG wanted = WS_POPUP | WS_VISIBLE | WS_SYSMENU;
    return wcscmp(name, L"#32770") == 0 && (style & (wanted | WS_CAPTION | WS_CHILD)) == wanted &&
           GetWindowTextLengthW(window) == 0;
}

// A text the program holds, read from its memory. The program and this test are built by
// the same compiler: libstdc++ keeps a string's characters' address first, then its length.
std::wstring ReadRemoteString(HANDLE process, const BYTE* remote) {
    struct StringHead {
        const wchar_t* characters;
        size_t length;
    } head = {};
    static_assert(sizeof(std::wstring) >= sizeof(StringHead), "a string starts with its address and length");
    if (!ReadProcessMemory(process, remote, &head, sizeof head, nullptr) || head.length > 256) return std::wstring();
    std::wstring text(head.length, L'\0');
    if (head.length && !ReadProcessMemory(process, head.characters, &text[0], head.length * sizeof(wchar_t), nullptr))
        return std::wstring();
    return text;
}

}  // namespace

HWND WaitForPopup(DWORD timeoutMs) { return testsupport::FindDeviceWindow(timeoutMs, IsPopup); }

bool WaitForNoPopup(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (testsupport::FindDeviceWindow(0, IsPopup)) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(50);
    }
    return true;
}

void ChooseCell(HWND popup, int cell) {
    PostMessageW(popup, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageW(popup, WM_KEYDOWN, '1' + cell, 0);
}

std::vector<std::wstring> Captions(HWND popup, HANDLE process) {
    // Where each caption lies in a popup object, measured on one of this process.
    const MainMenuPopup local;
    const auto* localBase = reinterpret_cast<const BYTE*>(static_cast<const DialogBase*>(&local));
    const auto* remoteBase = reinterpret_cast<const BYTE*>(GetWindowLongPtrW(popup, DWLP_USER));
    std::vector<std::wstring> captions;
    for (int cell = 0; remoteBase && cell < MainMenuLayout::kCellCount; ++cell) {
        const auto* localCaption = reinterpret_cast<const BYTE*>(&local.Caption(cell));
        captions.push_back(ReadRemoteString(process, remoteBase + (localCaption - localBase)));
    }
    return captions;
}

}  // namespace main_menu_probe
