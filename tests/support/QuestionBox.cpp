#include "QuestionBox.h"

#include <cwchar>

#include "TestFiles.h"

namespace testsupport {

namespace {

// The message box's text is its static control 0xFFFF.
std::wstring BoxText(HWND box) {
    wchar_t text[512] = {};
    SendMessageW(GetDlgItem(box, 0xFFFF), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

}  // namespace

std::wstring AnswerQuestion(UINT button, DWORD timeoutMs, const std::wstring& text) {
    struct Search {
        const std::wstring* text;
        HWND box;
    } search = {&text, nullptr};
    testsupport::PollUntil(timeoutMs, [&] {
        search.box = nullptr;
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                wchar_t name[16] = {};
                GetClassNameW(window, name, 16);
                if (wcscmp(name, L"#32770") != 0 || !IsWindowVisible(window) || !GetDlgItem(window, IDYES))
                    return TRUE;
                if (!s->text->empty() && BoxText(window) != *s->text) return TRUE;
                s->box = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.box != nullptr;
    });
    if (!search.box) return std::wstring();
    const std::wstring shown = BoxText(search.box);
    PostMessageW(search.box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(search.box, button)));
    return shown;
}

}  // namespace testsupport
