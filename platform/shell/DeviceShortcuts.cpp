#include "DeviceShortcuts.h"

#include "DeviceFiles.h"
#include "DeviceProcess.h"
#include "ScopedHandle.h"

#include <cwchar>
#include <string>
#include <vector>

namespace {

// Far more than a program, its arguments and an icon need.
constexpr DWORD kMaxShortcutBytes = 4096;

bool Fail(DWORD error) {
    SetLastError(error);
    return false;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool ReadText(const wchar_t* shortcutFile, std::wstring& text) {
    wchar_t path[MAX_PATH];
    if (!shortcutFile || !Device_MapPath(shortcutFile, path, MAX_PATH)) return Fail(ERROR_INVALID_PARAMETER);
    ScopedFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    std::vector<char> bytes(kMaxShortcutBytes + 1);
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return false;
    if (read == 0 || read > kMaxShortcutBytes) return Fail(ERROR_BAD_FORMAT);
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(read), nullptr, 0);
    if (n <= 0) return Fail(ERROR_BAD_FORMAT);
    text.assign(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(read), &text[0], n);
    // A file written by hand may end its line.
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || IsBlank(text.back()))) text.pop_back();
    return true;
}

bool CopyField(const std::wstring& text, wchar_t* out, size_t cch) {
    if (text.size() + 1 > cch) return false;
    wmemcpy(out, text.c_str(), text.size() + 1);
    return true;
}

// "<file>,<index>" with a signed decimal index.
bool ParseIcon(const std::wstring& part, DeviceShortcut& out) {
    size_t comma = part.rfind(L',');
    if (comma == std::wstring::npos || comma == 0) return false;
    std::wstring number = part.substr(comma + 1);
    size_t digits = number[0] == L'-' ? 1 : 0;
    if (number.size() <= digits || number.size() > digits + 9 ||
        number.find_first_not_of(L"0123456789", digits) != std::wstring::npos)
        return false;
    if (!CopyField(part.substr(0, comma), out.iconFile, MAX_PATH)) return false;
    out.iconIndex = _wtoi(number.c_str());
    out.hasIcon = TRUE;
    return true;
}

// The program token, quoted or up to the first blank, and the text after the blanks
// that follow it.
bool ParseCommand(const std::wstring& command, DeviceShortcut& out) {
    std::wstring program, rest;
    if (!command.empty() && command[0] == L'"') {
        size_t close = command.find(L'"', 1);
        if (close == std::wstring::npos) return false;
        program = command.substr(1, close - 1);
        rest = command.substr(close + 1);
    } else {
        size_t blank = command.find_first_of(L" \t");
        program = command.substr(0, blank);
        if (blank != std::wstring::npos) rest = command.substr(blank);
    }
    size_t start = 0;
    while (start < rest.size() && IsBlank(rest[start])) ++start;
    return !program.empty() && CopyField(program, out.program, MAX_PATH) &&
           CopyField(rest.substr(start), out.arguments, MAX_PATH);
}

bool Parse(const std::wstring& text, DeviceShortcut& out) {
    size_t hash = text.find(L'#');
    if (hash == 0 || hash == std::wstring::npos || text.find_first_not_of(L"0123456789") != hash) return false;
    const std::wstring body = text.substr(hash + 1);
    // Arguments may hold a question mark; the icon part never does.
    size_t mark = body.rfind(L'?');
    if (mark != std::wstring::npos && ParseIcon(body.substr(mark + 1), out)) return ParseCommand(body.substr(0, mark), out);
    out.hasIcon = FALSE;
    out.iconFile[0] = 0;
    // No command: the shortcut only carries an icon.
    if (body[0] != L'"' && ParseIcon(body, out)) return true;
    return ParseCommand(body, out);
}

}  // namespace

BOOL Device_ReadShortcut(const wchar_t* shortcutFile, DeviceShortcut* out) {
    if (!out) return Fail(ERROR_INVALID_PARAMETER);
    std::wstring text;
    if (!ReadText(shortcutFile, text)) return FALSE;
    DeviceShortcut parsed = {};
    if (text.empty() || !Parse(text, parsed)) return Fail(ERROR_BAD_FORMAT);
    *out = parsed;
    return TRUE;
}

BOOL SHGetShortcutTarget(const wchar_t* shortcutFile, wchar_t* target, int cchMax) {
    DeviceShortcut shortcut;
    if (!target || cchMax <= 0) return Fail(ERROR_INVALID_PARAMETER);
    if (!Device_ReadShortcut(shortcutFile, &shortcut)) return FALSE;
    if (!shortcut.program[0]) return Fail(ERROR_BAD_FORMAT);
    if (!CopyField(shortcut.program, target, static_cast<size_t>(cchMax))) return Fail(ERROR_INSUFFICIENT_BUFFER);
    return TRUE;
}

BOOL Device_OpenShortcut(const wchar_t* shortcutFile) {
    DeviceShortcut shortcut;
    if (!Device_ReadShortcut(shortcutFile, &shortcut)) return FALSE;
    if (!shortcut.program[0]) return Fail(ERROR_BAD_FORMAT);
    return Device_CreateProcess(shortcut.program, shortcut.arguments, nullptr);
}
