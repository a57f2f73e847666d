#include "ShortcutRun.h"

#include "DeviceProcess.h"
#include "DeviceShortcuts.h"

#include <cwchar>

namespace {
const wchar_t kShortcutExtension[] = L".lnk";
constexpr int kMaxTarget = 260;

bool IsShortcut(const std::wstring& program) {
    const size_t n = wcslen(kShortcutExtension);
    return program.size() >= n && _wcsicmp(program.c_str() + program.size() - n, kShortcutExtension) == 0;
}
}  // namespace

void Shortcut_SplitCommandLine(const wchar_t* commandLine, std::wstring& program, std::wstring& arguments) {
    std::wstring text = commandLine ? commandLine : L"";
    program = text;
    arguments.clear();
    if (text.size() <= 1 || text[0] != L'"') return;
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] == L'"' && text[i - 1] != L'\\') {
            program = text.substr(1, i - 1);
            arguments = text.substr(i + 1);
            return;
        }
    }
}

DWORD Shortcut_Create(const wchar_t* commandLine) {
    std::wstring program, arguments;
    Shortcut_SplitCommandLine(commandLine, program, arguments);
    // A shortcut file starts its target, with the arguments given here.
    if (IsShortcut(program)) {
        wchar_t target[kMaxTarget];
        if (SHGetShortcutTarget(program.c_str(), target, kMaxTarget)) program = target;
    }
    PROCESS_INFORMATION started = {};
    if (!Device_CreateProcess(program.c_str(), arguments.c_str(), &started)) {
        DWORD error = GetLastError();
        return error ? error : ERROR_FILE_NOT_FOUND;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return 0;
}
