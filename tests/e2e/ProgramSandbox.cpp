#include "ProgramSandbox.h"

#include <gtest/gtest.h>

namespace {

const wchar_t kProductKey[] = L"Software\\Ostrel\\Orvalen";
const wchar_t kLocation[] = L"Location";
const wchar_t kDeviceRootVariable[] = L"ORVALEN_DEVICE_ROOT";

std::wstring BuiltProgramPath() {
    std::string unixPath = ORVALEN_PROGRAM_PATH;
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

void DeleteTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) DeleteTree(path);
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

ProgramSandbox::ProgramSandbox() {
    static int serial = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"orvalen-program-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(++serial);
    DeleteTree(folder_);
    CreateDirectoryW(folder_.c_str(), nullptr);
    EXPECT_TRUE(CopyFileW(BuiltProgramPath().c_str(), ProgramPath().c_str(), FALSE));
    SetEnvironmentVariableW(kDeviceRootVariable, (folder_ + L"\\device").c_str());
}

ProgramSandbox::~ProgramSandbox() {
    for (HANDLE process : processes_) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
        }
        CloseHandle(process);
    }
    SetEnvironmentVariableW(kDeviceRootVariable, nullptr);
    DeleteTree(folder_);
}

HANDLE ProgramSandbox::Start(const std::wstring& commandText) {
    std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
    if (!commandText.empty()) commandLine += L" " + commandText;
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &startup,
                        &info))
        return nullptr;
    CloseHandle(info.hThread);
    processes_.push_back(info.hProcess);
    return info.hProcess;
}

DWORD ProgramSandbox::WaitForExit(HANDLE process, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return STILL_ACTIVE;
        DWORD wait = MsgWaitForMultipleObjects(1, &process, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return code;
}

std::wstring ReadLocation() {
    wchar_t text[MAX_PATH + 1] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kProductKey, kLocation, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return std::wstring();
    return text;
}

void DeleteLocation() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kProductKey, kLocation);
}

HWND WaitForWindowClass(const wchar_t* className, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        if (HWND window = FindWindowW(className, nullptr)) return window;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}
