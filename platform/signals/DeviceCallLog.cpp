#include "DeviceCallLog.h"

#include <cwchar>
#include <memory>
#include <new>

#include "DeviceClock.h"
#include "DeviceStateStore.h"

namespace {
const wchar_t kRecordName[] = L"calls";

struct LogRecord {
    uint32_t total;  // calls ever made; entry n lives at n % DEVICE_CALL_LOG_SIZE
    uint32_t reserved;
    DEVICE_CALL entries[DEVICE_CALL_LOG_SIZE];
};

bool Load(LogRecord* r) {
    if (DeviceStateStore::Current()->Read(kRecordName, r, sizeof *r)) return true;
    *r = LogRecord{};
    return false;
}
}  // namespace

void DeviceCallLog::Add(DeviceCallKind kind, LONG a, LONG b, LONG result, const wchar_t* device) {
    DEVICE_CALL call = {};
    call.tick = DeviceClock_GetTickCount();
    call.kind = kind;
    call.a = a;
    call.b = b;
    call.result = result;
    call.processId = GetCurrentProcessId();
    if (device) wcsncpy(call.device, device, sizeof call.device / sizeof call.device[0] - 1);
    // The log is large: kept off the stack of the threads that record.
    std::unique_ptr<LogRecord> record(new (std::nothrow) LogRecord);
    auto store = DeviceStateStore::Current();
    DeviceStateStore::Lock lock(*store);
    if (!record || !lock.Held()) return;
    Load(record.get());
    record->entries[record->total % DEVICE_CALL_LOG_SIZE] = call;
    ++record->total;
    store->Write(kRecordName, record.get(), sizeof *record, DeviceStateStore::Lifetime::Running);
}

DWORD DeviceControl_GetCalls(DWORD first, DEVICE_CALL* calls, DWORD max) {
    std::unique_ptr<LogRecord> record(new (std::nothrow) LogRecord);
    if (!record) return 0;
    Load(record.get());
    const uint32_t oldest = record->total > DEVICE_CALL_LOG_SIZE ? record->total - DEVICE_CALL_LOG_SIZE : 0;
    DWORD copied = 0;
    for (uint32_t n = first < oldest ? oldest : first; n < record->total && calls && copied < max; ++n)
        calls[copied++] = record->entries[n % DEVICE_CALL_LOG_SIZE];
    return record->total;
}
