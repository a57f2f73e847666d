#include "MainWindowProbe.h"

#include <commctrl.h>

#include "QuestionBox.h"
#include "TestFiles.h"
#include "TestWindows.h"

namespace main_window_probe {

namespace {

constexpr int kTitleControl = 11700;
constexpr int kAlarmsList = 10300;
constexpr int kTextLength = 128;

// One block in the program's memory for a request and its answer.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, SIZE_T size)
        : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteBlock() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    BYTE* At(SIZE_T offset) const { return static_cast<BYTE*>(address_) + offset; }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
        return WriteProcessMemory(process_, At(offset), data, size, nullptr) != FALSE;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const {
        return ReadProcessMemory(process_, At(offset), data, size, nullptr) != FALSE;
    }
    bool Valid() const { return address_ != nullptr; }

private:
    HANDLE process_;
    void* address_;
};

bool HasClass(HWND window, const wchar_t* className) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return wcscmp(name, className) == 0;
}

}  // namespace

HWND WaitForMainWindow(DWORD timeoutMs) { return testsupport::WaitForWindow(L"OrvalenMainWnd", timeoutMs); }

std::wstring PageCaption(HWND mainWindow) {
    HWND title = testsupport::FindChild(mainWindow, kTitleControl);
    wchar_t text[kTextLength] = {};
    if (title) SendMessageW(title, WM_GETTEXT, kTextLength, reinterpret_cast<LPARAM>(text));
    return text;
}

bool WaitForPage(HWND mainWindow, const std::wstring& caption, DWORD timeoutMs) {
    return testsupport::PollUntil(timeoutMs, [&] { return PageCaption(mainWindow) == caption; });
}

// Each row's texts and its image, read through a block in the program's memory.
template <class Visit>
void ReadRows(HWND mainWindow, HANDLE process, int listId, int columns, Visit visit) {
    HWND list = testsupport::FindChild(mainWindow, listId);
    const int count = list ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
    RemoteBlock block(process, sizeof(LVITEMW) + kTextLength * sizeof(wchar_t));
    if (!block.Valid()) return;
    for (int index = 0; index < count; ++index) {
        std::vector<std::wstring> texts;
        int image = -1;
        for (int column = 0; column < columns; ++column) {
            LVITEMW item = {};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = index;
            item.iSubItem = column;
            item.pszText = reinterpret_cast<wchar_t*>(block.At(sizeof(LVITEMW)));
            item.cchTextMax = kTextLength;
            block.Write(0, &item, sizeof item);
            SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block.At(0)));
            wchar_t text[kTextLength] = {};
            block.Read(sizeof(LVITEMW), text, sizeof text);
            text[kTextLength - 1] = 0;
            texts.push_back(text);
            if (column == 0) {
                block.Read(0, &item, sizeof item);
                image = item.iImage;
            }
        }
        visit(texts, image);
    }
}

std::vector<Row> AlarmRows(HWND mainWindow, HANDLE process) {
    std::vector<Row> rows;
    ReadRows(mainWindow, process, kAlarmsList, 3, [&](const std::vector<std::wstring>& texts, int image) {
        rows.push_back(Row{texts[0], texts[1], texts[2], image});
    });
    return rows;
}

std::vector<std::vector<std::wstring>> ListTexts(HWND mainWindow, HANDLE process, int listId, int columns) {
    std::vector<std::vector<std::wstring>> rows;
    ReadRows(mainWindow, process, listId, columns,
             [&](const std::vector<std::wstring>& texts, int) { rows.push_back(texts); });
    return rows;
}

void SelectRow(HWND mainWindow, int row, int listId) {
    HWND list = testsupport::FindChild(mainWindow, listId);
    SendMessageW(list, LVM_SETSELECTIONMARK, 0, row);
}

int SelectedRow(HWND mainWindow) {
    HWND list = testsupport::FindChild(mainWindow, kAlarmsList);
    return list ? static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) : -1;
}

RECT RowRect(HWND mainWindow, HANDLE process, int row) {
    HWND list = testsupport::FindChild(mainWindow, kAlarmsList);
    RECT rect = {};
    RemoteBlock block(process, sizeof rect);
    if (!list || !block.Valid()) return rect;
    rect.left = LVIR_BOUNDS;
    block.Write(0, &rect, sizeof rect);
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block.At(0)));
    block.Read(0, &rect, sizeof rect);
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HWND OpenPopupMenu(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND menu;
    } search = {processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (!HasClass(window, L"#32768") || owner != s->processId || !IsWindowVisible(window)) return TRUE;
            s->menu = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.menu;
}

std::vector<std::wstring> SoftKeys(HWND owner, HANDLE process) {
    HWND host = testsupport::FindDeviceWindow(0, [owner](HWND window) {
        return HasClass(window, L"OrvalenShellMenuBar") && GetWindow(window, GW_OWNER) == owner;
    });
    std::vector<std::wstring> keys;
    HWND bar = host ? GetWindow(host, GW_CHILD) : nullptr;
    RemoteBlock block(process, sizeof(TBBUTTONINFOW) + kTextLength * sizeof(wchar_t));
    if (!bar || !block.Valid()) return keys;
    const int count = static_cast<int>(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        TBBUTTONINFOW info = {};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_TEXT | TBIF_BYINDEX;
        info.pszText = reinterpret_cast<wchar_t*>(block.At(sizeof info));
        info.cchText = kTextLength;
        wchar_t text[kTextLength] = {};
        block.Write(sizeof info, text, sizeof text);
        block.Write(0, &info, sizeof info);
        SendMessageW(bar, TB_GETBUTTONINFOW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(block.At(0)));
        block.Read(sizeof info, text, sizeof text);
        text[kTextLength - 1] = 0;
        keys.push_back(text);
    }
    return keys;
}

void Command(HWND mainWindow, UINT id) { SendMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

}  // namespace main_window_probe
