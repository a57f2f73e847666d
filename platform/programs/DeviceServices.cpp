#include "DeviceServices.h"
#include <vector>
#include "DeviceControl.h"
#include "DeviceFiles.h"
#include "DeviceSession.h"
#include "DeviceStateStore.h"
#include "ScopedHandle.h"

const wchar_t DeviceServices::kRunningMutex[] = L"NotifyService";
const wchar_t DeviceServices::kStopEvent[] = L"NotifyServiceStop";

namespace {
const wchar_t kRecordName[] = L"services";
const wchar_t kStartMutex[] = L"NotifyServiceStart";
const DWORD kStartTimeoutMs = 10000;
const DWORD kStopTimeoutMs = 10000;
const DWORD kPollMs = 20;

bool FileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Folder(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring Name(const wchar_t* purpose) { return DeviceStateStore::Current()->ObjectName(purpose); }

// The recorded services process, only when it still runs that program (ids are reused).
HANDLE OpenServicesProcess(DWORD processId) {
    if (!processId) return nullptr;
    ScopedHandle process(
        OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return nullptr;
    wchar_t image[MAX_PATH];
    DWORD n = MAX_PATH;
    if (!QueryFullProcessImageNameW(process.Get(), 0, image, &n)) return nullptr;
    std::wstring path(image, n);
    std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    return lstrcmpiW(name.c_str(), DEVICE_SERVICES_PROGRAM) == 0 ? process.Release() : nullptr;
}
}  // namespace

bool DeviceServices::Running() {
    if (!DeviceStateStore::Current()->Ready()) return false;
    ScopedHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, Name(kRunningMutex).c_str()));
    return mutex.Valid();
}

std::wstring DeviceServices::ProgramPath() {
    wchar_t path[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(DEVICE_SERVICES_VARIABLE, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH && FileExists(path)) return path;
    if (Device_MapPath(L"\\Windows\\" DEVICE_SERVICES_PROGRAM, path, MAX_PATH) && FileExists(path)) return path;
    n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    std::wstring beside = Folder(path) + L"\\" + DEVICE_SERVICES_PROGRAM;
    return FileExists(beside) ? beside : std::wstring();
}

namespace {
// Held while the services are started or stopped, so neither sees the other half done.
class StartLock {
public:
    StartLock() : mutex_(CreateMutexW(nullptr, FALSE, Name(kStartMutex).c_str())) {
        if (!mutex_) return;
        DWORD wait = WaitForSingleObject(mutex_.Get(), kStartTimeoutMs + kStopTimeoutMs);
        held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    ~StartLock() {
        if (held_) ReleaseMutex(mutex_.Get());
    }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;
    bool Held() const { return held_; }

private:
    ScopedHandle mutex_;
    bool held_ = false;
};

// Starts the services program for this device; its process handle, or null.
HANDLE Spawn(const std::wstring& program) {
    // The services must find this device even where its root is the default one.
    wchar_t root[MAX_PATH];
    if (GetEnvironmentVariableW(DEVICE_ROOT_VARIABLE, nullptr, 0) == 0 && Device_GetRoot(root, MAX_PATH))
        Device_SetRoot(root);
    std::wstring line = L"\"" + program + L"\"";
    std::vector<wchar_t> mutableLine(line.begin(), line.end());
    mutableLine.push_back(0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    // A resident process keeps none of its starter's output streams open.
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = INVALID_HANDLE_VALUE;
    // Every thread of the services (the drivers' too) reaches the device's windows.
    wchar_t desktop[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(DEVICE_DESKTOP_VARIABLE, desktop, MAX_PATH);
    if (n > 0 && n < MAX_PATH) si.lpDesktop = desktop;
    PROCESS_INFORMATION pi = {};
    std::wstring folder = Folder(program);
    if (!CreateProcessW(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}
}  // namespace

bool DeviceServices::EnsureRunning() {
    if (Running()) return true;
    auto store = DeviceStateStore::Current();
    if (!store->Ready()) return false;
    // One starter at a time, so two first notifications do not start two services.
    StartLock lock;
    if (!lock.Held()) return false;
    if (Running()) return true;

    std::wstring program = ProgramPath();
    if (program.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    ScopedHandle process(Spawn(program));
    if (!process) return false;
    ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
    while (!Running()) {
        if (WaitForSingleObject(process.Get(), kPollMs) == WAIT_OBJECT_0) return Running();
        if (GetTickCount64() >= deadline) {
            // Never leave a services process behind that nobody knows of.
            TerminateProcess(process.Get(), ERROR_TIMEOUT);
            WaitForSingleObject(process.Get(), kStopTimeoutMs);
            SetLastError(ERROR_TIMEOUT);
            return false;
        }
    }
    return true;
}

bool DeviceServices::Register(DWORD processId) {
    Record r = {processId, 0};
    return DeviceStateStore::Current()->Write(kRecordName, &r, sizeof r);
}

bool DeviceServices::Stop() {
    auto store = DeviceStateStore::Current();
    if (!store->Ready()) return true;
    // A start under way finishes first, so its process is seen and stopped too.
    StartLock lock;
    if (!Running()) return true;
    Record r = {};
    ScopedHandle process;
    if (store->Read(kRecordName, &r, sizeof r)) process.Reset(OpenServicesProcess(r.processId));
    ScopedHandle stop(CreateEventW(nullptr, TRUE, FALSE, Name(kStopEvent).c_str()));
    if (stop) SetEvent(stop.Get());
    if (process) {
        if (WaitForSingleObject(process.Get(), kStopTimeoutMs) != WAIT_OBJECT_0) {
            TerminateProcess(process.Get(), ERROR_TIMEOUT);
            WaitForSingleObject(process.Get(), kStopTimeoutMs);
        }
        return !Running();
    }
    // No process known: wait for the mutex to go.
    ULONGLONG deadline = GetTickCount64() + kStopTimeoutMs;
    while (Running() && GetTickCount64() < deadline) Sleep(kPollMs);
    return !Running();
}

BOOL DeviceControl_StartServices(void) { return DeviceServices::EnsureRunning() ? TRUE : FALSE; }
BOOL DeviceControl_StopServices(void) { return DeviceServices::Stop() ? TRUE : FALSE; }
BOOL DeviceControl_ServicesRunning(void) { return DeviceServices::Running() ? TRUE : FALSE; }
