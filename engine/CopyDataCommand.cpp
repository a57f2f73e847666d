#include "CopyDataCommand.h"

#include "EngineWnd.h"

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
        HWND window = FindWindowW(EngineWnd::kClassName, nullptr);
        if (window) return window;
        Sleep(kFindIntervalMs);
    }
    return nullptr;
}

bool CopyDataCommand::TextOf(const COPYDATASTRUCT* record, std::wstring& text) {
    text.clear();
    if (!record || record->dwData != kCommandId) return false;
    const wchar_t* data = static_cast<const wchar_t*>(record->lpData);
    size_t units = data ? record->cbData / sizeof(wchar_t) : 0;
    const wchar_t* end = units ? wmemchr(data, 0, units) : nullptr;
    text.assign(data ? data : L"", end ? static_cast<size_t>(end - data) : units);
    return true;
}
