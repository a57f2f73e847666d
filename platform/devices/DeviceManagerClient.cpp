// The device manager's client side: activation requests, and the device handles of
// this process, each one connection to the device manager's pipe.
#define DEVICE_MANAGER_KEEP_WINDOWS_CALLS
#include "DeviceManager.h"

#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "DeviceManagerProtocol.h"
#include "DeviceServices.h"
#include "DeviceStateStore.h"
#include "ScopedHandle.h"

namespace {
using namespace DeviceManagerProtocol;

const DWORD kBusyWaitMs = 1000;
const DWORD kConnectTimeoutMs = 10000;

bool Fail(DWORD error) {
    SetLastError(error);
    return false;
}

// "ABC0:": three letters, a digit and a colon.
bool IsDeviceName(LPCWSTR name) {
    if (!name || wcslen(name) != 5 || name[4] != L':' || name[3] < L'0' || name[3] > L'9') return false;
    for (int i = 0; i < 3; ++i)
        if (!iswalpha(name[i])) return false;
    return true;
}

// A connection to the device manager, or false with ERROR_FILE_NOT_FOUND when the
// device's services do not run.
bool Connect(ScopedFile* pipe) {
    const std::wstring name = PipeName();
    const ULONGLONG deadline = GetTickCount64() + kConnectTimeoutMs;
    for (;;) {
        pipe->Reset(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (pipe->Valid()) {
            DWORD mode = PIPE_READMODE_MESSAGE;
            return SetNamedPipeHandleState(pipe->Get(), &mode, nullptr, nullptr) != FALSE;
        }
        if (GetLastError() != ERROR_PIPE_BUSY || GetTickCount64() >= deadline) return Fail(ERROR_FILE_NOT_FOUND);
        WaitNamedPipeW(name.c_str(), kBusyWaitMs);
    }
}

// Sends one request (with `payload` after it) and reads the reply (with up to `outSize`
// bytes after it into `out`). False with the transport's error.
bool Transact(HANDLE pipe, const Request& request, const std::vector<BYTE>& payload, Reply* reply,
              std::vector<BYTE>* out) {
    std::vector<BYTE> message(sizeof request + payload.size());
    memcpy(message.data(), &request, sizeof request);
    if (!payload.empty()) memcpy(message.data() + sizeof request, payload.data(), payload.size());
    DWORD done = 0;
    if (!WriteFile(pipe, message.data(), DWORD(message.size()), &done, nullptr)) return false;
    std::vector<BYTE> answer(sizeof(Reply) + (out ? out->size() : 0));
    if (!ReadFile(pipe, answer.data(), DWORD(answer.size()), &done, nullptr) || done < sizeof(Reply))
        return Fail(ERROR_BROKEN_PIPE);
    memcpy(reply, answer.data(), sizeof *reply);
    if (out) memcpy(out->data(), answer.data() + sizeof *reply, done - sizeof *reply);
    return true;
}

// One request on a connection of its own (activation and deactivation).
bool TransactOnce(const Request& request, Reply* reply) {
    ScopedFile pipe;
    return Connect(&pipe) && Transact(pipe.Get(), request, {}, reply, nullptr);
}

bool SetName(Request* request, LPCWSTR name) {
    if (!name || wcslen(name) > kMaxNameChars) return Fail(ERROR_INVALID_PARAMETER);
    wcscpy(request->name, name);
    return true;
}

// The device handles of this process; one request at a time on each.
class DeviceHandles {
public:
    static DeviceHandles& Instance() {
        static DeviceHandles* handles = new DeviceHandles;  // never destroyed: closed at exit by the system
        return *handles;
    }
    void Add(HANDLE pipe) {
        std::lock_guard<std::mutex> hold(guard_);
        handles_[pipe] = std::make_shared<std::mutex>();
    }
    std::shared_ptr<std::mutex> Find(HANDLE handle) {
        std::lock_guard<std::mutex> hold(guard_);
        auto it = handles_.find(handle);
        return it == handles_.end() ? nullptr : it->second;
    }
    void Remove(HANDLE handle) {
        std::lock_guard<std::mutex> hold(guard_);
        handles_.erase(handle);
    }

private:
    std::mutex guard_;
    std::map<HANDLE, std::shared_ptr<std::mutex>> handles_;
};

// Copies between the caller's buffers and ours without faulting on bad addresses.
bool CopyFromCaller(const void* from, BYTE* to, DWORD size) {
    SIZE_T done = 0;
    return size == 0 || (ReadProcessMemory(GetCurrentProcess(), from, to, size, &done) && done == size);
}
bool CopyToCaller(const BYTE* from, void* to, DWORD size) {
    SIZE_T done = 0;
    return size == 0 || (WriteProcessMemory(GetCurrentProcess(), to, from, size, &done) && done == size);
}

bool Answer(const Reply& reply) {
    SetLastError(reply.error);
    return reply.ok != 0;
}

}  // namespace

std::wstring DeviceManagerProtocol::PipeName() {
    // Pipe names live in a namespace of their own, without the "Local\" of object names.
    std::wstring name = DeviceStateStore::Current()->ObjectName(L"DeviceManager");
    size_t slash = name.find(L'\\');
    return L"\\\\.\\pipe\\" + (slash == std::wstring::npos ? name : name.substr(slash + 1));
}

HANDLE ActivateDevice(LPCWSTR lpszDevKey, DWORD dwClientInfo) {
    Request request = {};
    request.operation = kActivate;
    request.value = dwClientInfo;
    if (!SetName(&request, lpszDevKey)) return nullptr;
    if (!DeviceServices::EnsureRunning()) return nullptr;
    Reply reply = {};
    if (!TransactOnce(request, &reply)) return nullptr;
    Answer(reply);
    return reply.ok ? reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(reply.value)) : nullptr;
}

BOOL DeactivateDevice(HANDLE hDevice) {
    Request request = {};
    request.operation = kDeactivate;
    request.value = reinterpret_cast<ULONG_PTR>(hDevice);
    Reply reply = {};
    if (!TransactOnce(request, &reply)) return Fail(ERROR_INVALID_HANDLE);
    return Answer(reply);
}

HANDLE Device_CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE templateFile) {
    if (!IsDeviceName(name)) return CreateFileW(name, access, share, security, disposition, flags, templateFile);
    Request request = {};
    request.operation = kOpen;
    request.access = access;
    request.share = share;
    SetName(&request, name);
    ScopedFile pipe;
    Reply reply = {};
    if (!Connect(&pipe) || !Transact(pipe.Get(), request, {}, &reply, nullptr)) return INVALID_HANDLE_VALUE;
    if (!Answer(reply)) return INVALID_HANDLE_VALUE;
    DeviceHandles::Instance().Add(pipe.Get());
    return pipe.Release();
}

BOOL Device_DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                            LPDWORD bytesReturned, LPOVERLAPPED overlapped) {
    std::shared_ptr<std::mutex> busy = DeviceHandles::Instance().Find(device);
    if (!busy)
        return DeviceIoControl(device, code, in, inSize, out, outSize, bytesReturned, overlapped);
    if (overlapped) return Fail(ERROR_NOT_SUPPORTED);
    if (inSize > DEVICE_MAX_IO_BYTES || outSize > DEVICE_MAX_IO_BYTES) return Fail(ERROR_INVALID_PARAMETER);
    Request request = {};
    request.operation = kIoControl;
    request.code = code;
    request.inSize = in ? inSize : 0;
    request.outSize = out ? outSize : 0;
    request.flags = (in ? kHasIn : 0) | (out ? kHasOut : 0) | (bytesReturned ? kHasReturned : 0);
    // The output's present contents travel too, so bytes the driver leaves alone stay as they were.
    std::vector<BYTE> payload(request.inSize + request.outSize);
    if (!CopyFromCaller(in, payload.data(), request.inSize) ||
        !CopyFromCaller(out, payload.data() + request.inSize, request.outSize))
        return Fail(ERROR_NOACCESS);
    std::vector<BYTE> result(request.outSize);
    Reply reply = {};
    {
        std::lock_guard<std::mutex> one(*busy);
        if (!Transact(device, request, payload, &reply, &result)) return FALSE;
    }
    if (!CopyToCaller(result.data(), out, request.outSize)) return Fail(ERROR_NOACCESS);
    if (bytesReturned) *bytesReturned = reply.returned;
    return Answer(reply);
}

BOOL Device_CloseHandle(HANDLE handle) {
    std::shared_ptr<std::mutex> busy = DeviceHandles::Instance().Find(handle);
    if (!busy) return CloseHandle(handle);
    Request request = {};
    request.operation = kClose;
    Reply reply = {};
    bool answered;
    {
        std::lock_guard<std::mutex> one(*busy);
        answered = Transact(handle, request, {}, &reply, nullptr);
        DeviceHandles::Instance().Remove(handle);
        CloseHandle(handle);
    }
    // The handle is gone whatever the driver said; its answer is passed on.
    return answered ? Answer(reply) : TRUE;
}
