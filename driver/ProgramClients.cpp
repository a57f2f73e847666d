#include "ProgramClients.h"

#include <cstring>

#include "DeviceProcess.h"
#include "HeapBlock.h"
#include "LockHold.h"
#include "kfuncs.h"

namespace {

// A heap copy of exactly `length` characters of the caller's text, terminated here: the
// caller's own terminator is neither trusted nor needed. Null with the error.
wchar_t* CopyCallerText(ULONG_PTR address, uint32_t length, DWORD* error) {
    const DWORD bytes = (length + 1) * sizeof(wchar_t);
    const wchar_t* mapped = static_cast<const wchar_t*>(MapCallerPtr(reinterpret_cast<LPVOID>(address), bytes));
    if (!mapped) {
        *error = GetLastError();
        return nullptr;
    }
    wchar_t* copy = static_cast<wchar_t*>(HeapBlock::Allocate(bytes));
    if (!copy) {
        *error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    memcpy(copy, mapped, length * sizeof(wchar_t));
    copy[length] = 0;
    return copy;
}

}  // namespace

void ProgramClients::Setup() { InitializeCriticalSection(&lock_); }

void ProgramClients::Teardown() {
    list_.Clear(Free);
    DeleteCriticalSection(&lock_);
}

ProgramClients::ActivityClient* ProgramClients::Find(const GUID& key) const {
    for (ActivityClient* c = list_.Head(); c; c = c->next)
        if (memcmp(&c->key, &key, sizeof key) == 0) return c;
    return nullptr;
}

void ProgramClients::Free(ActivityClient* client) {
    HeapBlock::Free(client->path);
    HeapBlock::Free(client->arguments);
    HeapBlock::Free(client);
}

DWORD ProgramClients::Add(const InputSense::ProgramClientRecord& record) {
    LockHold hold(lock_);
    if (Find(record.key)) return ERROR_ALREADY_EXISTS;
    // Lengths are checked before anything of the caller is read or sized from them.
    if (record.pathLength > InputSense::kMaxClientPath || record.argumentsLength > InputSense::kMaxClientArguments)
        return ERROR_INVALID_PARAMETER;
    ActivityClient* client = static_cast<ActivityClient*>(HeapBlock::Allocate(sizeof(ActivityClient)));
    if (!client) return ERROR_NOT_ENOUGH_MEMORY;
    DWORD error = 0;
    client->path = CopyCallerText(record.path, record.pathLength, &error);
    if (client->path) client->arguments = CopyCallerText(record.arguments, record.argumentsLength, &error);
    if (!client->arguments) {
        Free(client);
        return error;
    }
    client->idleSeconds = record.idleSeconds;
    client->startOnPowerOn = record.startOnPowerOn;
    client->key = record.key;
    list_.Append(client);
    return 0;
}

DWORD ProgramClients::Remove(const GUID& key) {
    LockHold hold(lock_);
    ActivityClient* client = Find(key);
    if (!client) return ERROR_FILE_NOT_FOUND;
    list_.Unlink(client);
    Free(client);
    return 0;
}

bool ProgramClients::Empty() {
    LockHold hold(lock_);
    return list_.Head() == nullptr;
}

void ProgramClients::ClearLaunched() {
    LockHold hold(lock_);
    for (ActivityClient* c = list_.Head(); c; c = c->next) c->launched = 0;
}

void ProgramClients::StartDue(bool poweredOn, DWORD idleSeconds) {
    LockHold hold(lock_);
    for (ActivityClient* c = list_.Head(); c; c = c->next) {
        if (c->launched || !((poweredOn && c->startOnPowerOn) || idleSeconds >= c->idleSeconds)) continue;
        // The device's start: the command line is exactly the arguments.
        PROCESS_INFORMATION started = {};
        if (Device_CreateProcess(c->path, c->arguments, &started)) {
            CloseHandle(started.hProcess);
            CloseHandle(started.hThread);
        }
        // Once per idle spell, whether the start worked or not.
        c->launched = 1;
    }
}
