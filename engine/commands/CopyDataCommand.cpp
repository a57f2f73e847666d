#include "CopyDataCommand.h"

#include <wchar.h>

CopyDataCommand::CopyDataCommand(const wchar_t* text) {
    if (!text) text = L"";
    record_.dwData = kCommandId;
    record_.cbData = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    record_.lpData = const_cast<wchar_t*>(text);
}

LRESULT CopyDataCommand::SendTo(HWND target) const {
    return SendMessageW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record_));
}

HWND CopyDataCommand::FindEngineWindow() {
    for (int attempt = 0; attempt < kFindAttempts; ++attempt) {
        HWND window = FindWindowW(kEngineWindowClass, nullptr);
        if (window) return window;
        Sleep(kFindIntervalMs);
    }
    return nullptr;
}

bool CopyDataCommand::TextOf(const COPYDATASTRUCT* record, std::wstring& text) {
    text.clear();
    if (!record || record->dwData != kCommandId || !record->lpData) return false;
    // Whole UTF-16 units, at least the terminator, and the terminator inside the record.
    if (record->cbData < sizeof(wchar_t) || record->cbData % sizeof(wchar_t) != 0) return false;
    const wchar_t* data = static_cast<const wchar_t*>(record->lpData);
    const wchar_t* end = wmemchr(data, 0, record->cbData / sizeof(wchar_t));
    if (!end) return false;
    text.assign(data, static_cast<size_t>(end - data));
    return true;
}
