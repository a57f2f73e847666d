#include "EditorProbe.h"

#include <commctrl.h>

#include "TestFiles.h"
#include "TestWindows.h"

namespace editor_probe {

namespace {

constexpr int kFrameTitle = 11700;
constexpr int kTabStrip = 10200;
constexpr int kTextLength = 512;
constexpr int kBoxText = 0xFFFF;

struct TopSearch {
    DWORD processId;
    const std::wstring* text;
    int childId;
    HWND found;
};

// Sends a message whose lParam points at a copy of data in the program's memory; 0 when
// no copy could be made there.
LRESULT SendWithCopy(HANDLE process, HWND control, UINT message, WPARAM wParam, const void* data, SIZE_T size) {
    void* block = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    if (!block) return 0;
    LRESULT answer = 0;
    if (WriteProcessMemory(process, block, data, size, nullptr))
        answer = SendMessageW(control, message, wParam, reinterpret_cast<LPARAM>(block));
    VirtualFreeEx(process, block, 0, MEM_RELEASE);
    return answer;
}

// A visible top-level window of the process whose child childId shows text.
HWND FindTopLevel(DWORD processId, const std::wstring& text, int childId) {
    TopSearch search = {processId, &text, childId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<TopSearch*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if ((s->processId && owner != s->processId) || !IsWindowVisible(window)) return TRUE;
            HWND child = GetDlgItem(window, s->childId);
            if (!child || Text(child) != *s->text) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Notify(HWND page, int id, UINT code) {
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

}  // namespace

std::wstring Text(HWND window) {
    wchar_t text[kTextLength] = {};
    SendMessageW(window, WM_GETTEXT, kTextLength, reinterpret_cast<LPARAM>(text));
    return text;
}

HWND WaitForEditor(DWORD processId, const std::wstring& caption, DWORD timeoutMs) {
    HWND frame = nullptr;
    testsupport::PollUntil(timeoutMs, [&] { return (frame = FindTopLevel(processId, caption, kFrameTitle)) != nullptr; });
    return frame;
}

HWND PageWith(HWND frame, int controlId) {
    HWND control = testsupport::FindChild(frame, controlId);
    return control ? GetParent(control) : nullptr;
}

int TabCount(HWND frame) {
    HWND strip = testsupport::FindChild(frame, kTabStrip);
    return strip ? static_cast<int>(SendMessageW(strip, TCM_GETITEMCOUNT, 0, 0)) : 0;
}

void SetText(HWND page, int id, const std::wstring& text) {
    SendMessageW(GetDlgItem(page, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void SetCheck(HWND page, int id, bool on) {
    SendMessageW(GetDlgItem(page, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    Notify(page, id, BN_CLICKED);
}

bool SelectByData(HWND page, int id, LPARAM data) {
    HWND combo = GetDlgItem(page, id);
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        if (static_cast<LPARAM>(SendMessageW(combo, CB_GETITEMDATA, index, 0)) != data) continue;
        SendMessageW(combo, CB_SETCURSEL, index, 0);
        Notify(page, id, CBN_SELCHANGE);
        return true;
    }
    return false;
}

bool SelectByText(HWND page, int id, const std::wstring& text) {
    HWND combo = GetDlgItem(page, id);
    const LRESULT index =
        SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    if (index < 0) return false;
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    Notify(page, id, CBN_SELCHANGE);
    return true;
}

std::wstring ComboTexts(HWND page, int id, wchar_t separator) {
    HWND combo = GetDlgItem(page, id);
    std::wstring texts;
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        wchar_t text[kTextLength] = {};
        if (SendMessageW(combo, CB_GETLBTEXTLEN, index, 0) >= kTextLength) continue;
        SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
        if (index) texts += separator;
        texts += text;
    }
    return texts;
}

bool SetPickerTime(HANDLE process, HWND page, int id, WORD hour, WORD minute, WORD second, bool utc) {
    SYSTEMTIME value = {};
    if (utc) GetSystemTime(&value);
    else GetLocalTime(&value);
    value.wHour = hour;
    value.wMinute = minute;
    value.wSecond = second;
    value.wMilliseconds = 0;
    return SendWithCopy(process, GetDlgItem(page, id), DTM_SETSYSTEMTIME, GDT_VALID, &value, sizeof value) != 0;
}

bool SelectListRow(HANDLE process, HWND page, int id, int row) {
    HWND list = GetDlgItem(page, id);
    if (row < 0 || row >= static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0))) return false;
    LVITEMW state = {};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    return SendWithCopy(process, list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), &state, sizeof state) != 0;
}

bool SetSnoozePicker(HANDLE process, HWND page, int id, WORD minute, WORD second) {
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    return SetPickerTime(process, page, id, now.wHour, minute, second, true);
}

void TapDay(HWND page, int id, int cell) {
    HWND days = GetDlgItem(page, id);
    RECT client = {};
    GetClientRect(days, &client);
    const int x = client.right * (2 * cell + 1) / 14, y = client.bottom / 2;
    SendMessageW(days, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(days, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void PressOk(HWND frame) { PostMessageW(frame, WM_COMMAND, IDOK, 0); }

void PressCancel(HWND frame) { PostMessageW(frame, WM_COMMAND, IDCANCEL, 0); }

std::wstring AnswerBox(DWORD processId, const std::wstring& text, UINT button, DWORD timeoutMs) {
    HWND box = nullptr;
    testsupport::PollUntil(timeoutMs, [&] { return (box = FindTopLevel(processId, text, kBoxText)) != nullptr; });
    if (!box) return std::wstring();
    const std::wstring shown = Text(GetDlgItem(box, kBoxText));
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    return shown;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info = {sizeof info};
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

}  // namespace editor_probe
