#include "DeviceProcessTable.h"
#include "DeviceStateStore.h"
#include "ScopedHandle.h"

namespace {
const wchar_t kRecordName[] = L"processes";
const DWORD kEndTimeoutMs = 5000;

struct Record {
    DeviceProcessTable::Entry entries[DeviceProcessTable::kMaxProcesses];
};
static_assert(sizeof(Record) == 16 * DeviceProcessTable::kMaxProcesses, "process table is stored");

HANDLE OpenEntry(const DeviceProcessTable::Entry& e, DWORD access) {
    ScopedHandle process(OpenProcess(access | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, e.processId));
    DWORD code = 0;
    if (!process || !GetExitCodeProcess(process.Get(), &code) || code != STILL_ACTIVE ||
        DeviceProcessTable::CreationTime(process.Get()) != e.creationTime)
        return nullptr;
    return process.Release();
}

bool Runs(const DeviceProcessTable::Entry& e) {
    if (!e.processId) return false;
    ScopedHandle process(OpenEntry(e, 0));
    return process.Valid();
}

template <typename Change>
bool Update(Change change) {
    return DeviceStateStore::Current()->Update(kRecordName, Record{}, [&](Record& r) {
        for (auto& e : r.entries)
            if (e.processId && !Runs(e)) e = DeviceProcessTable::Entry{};
        return change(r);
    }, nullptr, DeviceStateStore::Lifetime::Running);
}

DeviceProcessTable::Entry Self() {
    DeviceProcessTable::Entry e = {};
    e.processId = GetCurrentProcessId();
    e.creationTime = DeviceProcessTable::CreationTime(GetCurrentProcess());
    return e;
}
}  // namespace

uint64_t DeviceProcessTable::CreationTime(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (uint64_t(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

bool DeviceProcessTable::Join() {
    const Entry self = Self();
    return Update([&](Record& r) {
        Entry* free = nullptr;
        for (auto& e : r.entries) {
            if (e.processId == self.processId) return true;
            if (!e.processId && !free) free = &e;
        }
        if (!free) return false;
        *free = self;
        return true;
    });
}

void DeviceProcessTable::Leave() {
    const DWORD self = GetCurrentProcessId();
    Update([&](Record& r) {
        for (auto& e : r.entries)
            if (e.processId == self) e = Entry{};
        return true;
    });
}

std::vector<DeviceProcessTable::Entry> DeviceProcessTable::Running() {
    Record r = {};
    std::vector<Entry> running;
    if (!DeviceStateStore::Current()->Read(kRecordName, &r, sizeof r)) return running;
    for (const auto& e : r.entries)
        if (Runs(e)) running.push_back(e);
    return running;
}

bool DeviceProcessTable::IsMember(DWORD processId) {
    for (const Entry& e : Running())
        if (e.processId == processId) return true;
    return false;
}

void DeviceProcessTable::EndAllButCaller() {
    const DWORD self = GetCurrentProcessId();
    std::vector<HANDLE> ending;
    Update([&](Record& r) {
        for (auto& e : r.entries) {
            if (!e.processId || e.processId == self) continue;
            if (HANDLE process = OpenEntry(e, PROCESS_TERMINATE | SYNCHRONIZE)) {
                TerminateProcess(process, ERROR_SHUTDOWN_IN_PROGRESS);
                ending.push_back(process);
            }
            e = Entry{};
        }
        return true;
    });
    // Gone before the device comes up again.
    for (HANDLE process : ending) {
        WaitForSingleObject(process, kEndTimeoutMs);
        CloseHandle(process);
    }
}
