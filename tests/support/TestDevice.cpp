#include "TestDevice.h"
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <cstdio>
#include "DeviceBoot.h"
#include "DeviceControl.h"
#include "DeviceFiles.h"
#include "DeviceSession.h"
#include "ScopedHandle.h"
#include "TeardownWatch.h"
#include "TestFiles.h"
#include "TestPaths.h"
#include "TestPrograms.h"

namespace testsupport {
namespace {
const wchar_t kRegistryParent[] = L"Software\\OrvalenTests";
const wchar_t kRootsFolder[] = L"test-roots";
const wchar_t kTempRootsFolder[] = L"OrvalenTests";
// Set to keep a test's device root and registry for a look after the run.
const wchar_t kKeepVariable[] = L"ORVALEN_KEEP_TEST_ROOTS";

std::wstring RootsFolder() {
    std::wstring binary = BinaryDir();
    if (!binary.empty()) return binary + L"\\" + kRootsFolder;
    wchar_t temp[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, temp);
    std::wstring folder(temp, n < MAX_PATH ? n : 0);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder + L"\\" + kTempRootsFolder;
}

std::wstring ProgramName() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, n < MAX_PATH ? n : 0);
    name = name.substr(name.find_last_of(L'\\') + 1);
    return name.substr(0, name.find_last_of(L'.'));
}

std::wstring Variable(const wchar_t* name) {
    wchar_t value[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
    return std::wstring(value, n < MAX_PATH ? n : 0);
}

void SetVariable(const wchar_t* name, const std::wstring& value) {
    SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
}

// Unloads every library this process loaded from under folder: a loaded library's
// file cannot be deleted.
void FreeLibrariesUnder(const std::wstring& folder) {
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0));
    if (!snapshot || snapshot.Get() == INVALID_HANDLE_VALUE) {
        snapshot.Release();
        return;
    }
    MODULEENTRY32W module = {};
    module.dwSize = sizeof module;
    for (BOOL more = Module32FirstW(snapshot.Get(), &module); more; more = Module32NextW(snapshot.Get(), &module)) {
        if (_wcsnicmp(module.szExePath, folder.c_str(), folder.size()) != 0) continue;
        TeardownWatch_Step(L"unloading", module.szExePath);
        for (int i = 0; i < 256 && FreeLibrary(module.hModule); ++i) {
        }
    }
}

// Ends every process still running a program from under folder: one the test did not
// start itself (a program started through the launcher or the Today item) would otherwise
// outlive the test and keep its output pipe, so the test never ends.
void EndProcessesUnder(const std::wstring& folder) {
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.Get() == INVALID_HANDLE_VALUE) {
        snapshot.Release();
        return;
    }
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId()) continue;
        ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                                         entry.th32ProcessID));
        if (!process) continue;
        wchar_t image[MAX_PATH];
        DWORD length = MAX_PATH;
        if (!QueryFullProcessImageNameW(process.Get(), 0, image, &length)) continue;
        if (_wcsnicmp(image, folder.c_str(), folder.size()) != 0) continue;
        TeardownWatch_Step(L"ending", image);
        TerminateProcess(process.Get(), 1);
        WaitForSingleObject(process.Get(), 5000);
    }
}
}  // namespace

TestDevice::TestDevice() {
    outerRegistryRoot_ = Variable(DEVICE_REGISTRY_VARIABLE);
    outerRoot_ = Variable(DEVICE_ROOT_VARIABLE);
    outerDesktopName_ = Variable(DEVICE_DESKTOP_VARIABLE);
    outerServices_ = Variable(DEVICE_SERVICES_VARIABLE);
    DeviceSession_Detach();

    std::wstring id = UniqueName(ProgramName());
    registryRoot_ = std::wstring(kRegistryParent) + L"\\" + id;
    root_ = RootsFolder() + L"\\" + id;

    ScopedKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, registryRoot_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS)
        return;
    if (SHCreateDirectoryExW(nullptr, root_.c_str(), nullptr) != ERROR_SUCCESS) return;
    // Held open for the test's life; the device's programs open it by name.
    desktop_.Reset(CreateDesktopW(id.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr));
    if (!desktop_) return;
    SetVariable(DEVICE_DESKTOP_VARIABLE, id);
    SetVariable(DEVICE_REGISTRY_VARIABLE, registryRoot_);
    Device_SetRoot(root_.c_str());
    // The device's services run from the build; they are stopped again with the device.
    SetVariable(DEVICE_SERVICES_VARIABLE, HostPath(ORVALEN_DEVICE_SERVICES_EXE));
    // The test watches the device from outside: a reboot of the device must not end it.
    ready_ = DeviceSession_Attach() != FALSE;
    DeviceProcesses_Leave();
    ready_ = ready_ && InstallStandInLibraries();
}

TestDevice::~TestDevice() {
    // No process of the device outlives it.
    if (ready_) {
        TeardownWatch_Step(L"ending the device's programs");
        EndProcessesUnder(root_ + L"\\");
        TeardownWatch_Step(L"stopping the device's services");
        DeviceControl_StopServices();
    }
    TeardownWatch_Step(L"leaving the device's session");
    DeviceSession_Detach();
    if (GetEnvironmentVariableW(kKeepVariable, nullptr, 0) != 0) {
        fwprintf(stderr, L"test device kept: %ls, HKCU\\%ls\n", root_.c_str(), registryRoot_.c_str());
    } else {
        FreeLibrariesUnder(root_ + L"\\");
        TeardownWatch_Step(L"deleting the device's registry and files");
        RegDeleteTreeW(HKEY_CURRENT_USER, registryRoot_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, registryRoot_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, kRegistryParent);  // only succeeds once it is empty
        DeleteTree(root_);
    }
    TeardownWatch_Step(L"making the device before it current again");
    SetVariable(DEVICE_REGISTRY_VARIABLE, outerRegistryRoot_);
    Device_SetRoot(outerRoot_.c_str());
    SetVariable(DEVICE_DESKTOP_VARIABLE, outerDesktopName_);
    SetVariable(DEVICE_SERVICES_VARIABLE, outerServices_);
    if (!outerRoot_.empty() || !outerRegistryRoot_.empty()) {
        DeviceSession_Attach();
        DeviceProcesses_Leave();
    }
}

}  // namespace testsupport
