#include "ProgramSandbox.h"

#include <gtest/gtest.h>

#include "DeviceFiles.h"
#include "TestFiles.h"
#include "TestRegistry.h"

namespace {

const wchar_t kProductKey[] = L"Software\\Ostrel\\Orvalen";
const wchar_t kLocation[] = L"Location";

std::wstring BuiltProgramPath() {
    std::string unixPath = ORVALEN_PROGRAM_PATH;
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

}  // namespace

ProgramSandbox::ProgramSandbox() {
    static int serial = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"orvalen-program-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(++serial);
    testsupport::DeleteTree(folder_);
    CreateDirectoryW(folder_.c_str(), nullptr);
    EXPECT_TRUE(CopyFileW(BuiltProgramPath().c_str(), ProgramPath().c_str(), FALSE));
    Device_SetRoot((folder_ + L"\\device").c_str());
}

ProgramSandbox::~ProgramSandbox() {
    for (HANDLE process : processes_) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
        }
        CloseHandle(process);
    }
    Device_SetRoot(nullptr);
    testsupport::DeleteTree(folder_);
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
    std::wstring text;
    testsupport::ReadRegistryString(HKEY_CURRENT_USER, kProductKey, kLocation, &text);
    return text;
}

void DeleteLocation() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kProductKey, kLocation);
}
