#include "DeviceManagerServer.h"

#include <cstring>
#include <memory>
#include <vector>

#include "DeviceManagerProtocol.h"

namespace {
using namespace DeviceManagerProtocol;

const DWORD kPipeBuffer = 4096;

// The process on the other end of the connection being served: MapCallerPtr in a
// driver reads its memory, into copies that live until the request is answered.
struct Caller {
    HANDLE process = nullptr;
    std::vector<std::unique_ptr<BYTE[]>> copies;
};
thread_local Caller* currentCaller = nullptr;

class CallerScope {
public:
    explicit CallerScope(HANDLE process) { caller_.process = process; currentCaller = &caller_; }
    ~CallerScope() { currentCaller = nullptr; }
    CallerScope(const CallerScope&) = delete;
    CallerScope& operator=(const CallerScope&) = delete;

private:
    Caller caller_;
};

class Connection {
public:
    Connection(StreamDrivers& manager, HANDLE pipe) : manager_(manager), pipe_(pipe) {
        ULONG id = 0;
        if (GetNamedPipeClientProcessId(pipe, &id))
            process_.Reset(OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    }

    void Serve() {
        std::vector<BYTE> message(kMaxMessage);
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(pipe_.Get(), message.data(), DWORD(message.size()), &got, nullptr) ||
                got < sizeof(Request))
                break;
            Request request;
            memcpy(&request, message.data(), sizeof request);
            request.name[kMaxNameChars] = 0;
            std::vector<BYTE> answer;
            if (!Handle(request, message.data() + sizeof request, got - sizeof request, &answer)) break;
            DWORD sent = 0;
            if (!WriteFile(pipe_.Get(), answer.data(), DWORD(answer.size()), &sent, nullptr)) break;
        }
        // The client closed its handle or ended: its device is closed for it.
        if (opened_) manager_.Close(device_);
    }

private:
    // Builds the reply; false ends the connection.
    bool Handle(const Request& request, BYTE* payload, DWORD payloadSize, std::vector<BYTE>* answer) {
        Reply reply = {};
        StreamDrivers::Outcome outcome;
        std::vector<BYTE> out;
        CallerScope caller(process_.Get());
        switch (request.operation) {
        case kActivate: {
            ULONG_PTR handle = 0;
            outcome = manager_.Activate(request.name, &handle);
            reply.value = handle;
            break;
        }
        case kDeactivate:
            outcome = manager_.Deactivate(ULONG_PTR(request.value));
            break;
        case kOpen:
            if (opened_) return false;
            outcome = manager_.Open(request.name, request.access, request.share, &device_);
            opened_ = outcome.ok;
            break;
        case kIoControl: {
            if (!opened_ || request.inSize > DEVICE_MAX_IO_BYTES || request.outSize > DEVICE_MAX_IO_BYTES ||
                payloadSize != request.inSize + request.outSize)
                return false;
            out.assign(payload + request.inSize, payload + payloadSize);
            DWORD returned = 0;
            outcome = manager_.IoControl(device_, request.code, request.flags & kHasIn ? payload : nullptr,
                                         request.inSize, request.flags & kHasOut ? out.data() : nullptr,
                                         request.outSize, request.flags & kHasReturned ? &returned : nullptr);
            reply.returned = returned;
            break;
        }
        case kClose:
            if (!opened_) return false;
            outcome = manager_.Close(device_);
            opened_ = false;
            break;
        default:
            return false;
        }
        reply.ok = outcome.ok;
        reply.error = outcome.error;
        answer->resize(sizeof reply + out.size());
        memcpy(answer->data(), &reply, sizeof reply);
        if (!out.empty()) memcpy(answer->data() + sizeof reply, out.data(), out.size());
        return true;
    }

    StreamDrivers& manager_;
    ScopedHandle pipe_;
    ScopedHandle process_;
    bool opened_ = false;
    StreamDrivers::OpenDevice device_;
};

struct ConnectionStart {
    StreamDrivers* manager;
    HANDLE pipe;
};

}  // namespace

// Called by MapCallerPtr in the drivers this process hosts (see kfuncs.h).
extern "C" __declspec(dllexport) LPVOID DeviceManager_MapCallerPtr(LPVOID ptr, DWORD size, BOOL* handled) {
    Caller* caller = currentCaller;
    *handled = caller != nullptr;
    if (!caller) return nullptr;
    if (!ptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::unique_ptr<BYTE[]> copy(new (std::nothrow) BYTE[size ? size : 1]);
    if (!copy) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    SIZE_T done = 0;
    if (size && (!caller->process || !ReadProcessMemory(caller->process, ptr, copy.get(), size, &done) || done != size)) {
        SetLastError(ERROR_NOACCESS);
        return nullptr;
    }
    caller->copies.push_back(std::move(copy));
    return caller->copies.back().get();
}

HANDLE DeviceManagerServer::NewInstance(bool first) {
    HANDLE pipe = CreateNamedPipeW(name_.c_str(), PIPE_ACCESS_DUPLEX | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                                   kPipeBuffer, kPipeBuffer, 0, nullptr);
    return pipe == INVALID_HANDLE_VALUE ? nullptr : pipe;
}

bool DeviceManagerServer::Start() {
    name_ = PipeName();
    waiting_.Reset(NewInstance(true));
    if (!waiting_) return false;
    acceptor_.Reset(CreateThread(nullptr, 0, AcceptThread, this, 0, nullptr));
    return acceptor_.Valid();
}

void DeviceManagerServer::Stop() {
    if (!acceptor_) return;
    InterlockedExchange(&stopping_, 1);
    // A connection of our own wakes the acceptor.
    ScopedFile wake(CreateFileW(name_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    WaitForSingleObject(acceptor_.Get(), INFINITE);
    acceptor_.Reset();
}

DWORD WINAPI DeviceManagerServer::AcceptThread(void* self) {
    static_cast<DeviceManagerServer*>(self)->Accept();
    return 0;
}

void DeviceManagerServer::Accept() {
    for (;;) {
        BOOL connected = ConnectNamedPipe(waiting_.Get(), nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
        if (InterlockedCompareExchange(&stopping_, 0, 0)) return;
        HANDLE pipe = waiting_.Release();
        waiting_.Reset(NewInstance(false));
        if (connected) {
            ConnectionStart* start = new (std::nothrow) ConnectionStart{&manager_, pipe};
            HANDLE thread = start ? CreateThread(nullptr, 0, ConnectionThread, start, 0, nullptr) : nullptr;
            if (thread) {
                CloseHandle(thread);
            } else {
                delete start;
                CloseHandle(pipe);
            }
        } else {
            CloseHandle(pipe);
        }
        if (!waiting_) return;
    }
}

DWORD WINAPI DeviceManagerServer::ConnectionThread(void* start) {
    std::unique_ptr<ConnectionStart> s(static_cast<ConnectionStart*>(start));
    Connection(*s->manager, s->pipe).Serve();
    return 0;
}
