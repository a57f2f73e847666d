#pragma once
// State of the simulated device shared by all of its processes: small record files
// under "<device root>\.device". Writers take one named mutex per device root and
// replace a record by renaming a new file over it, then count the change in a small
// shared section; readers keep the last record they read until that count moves, so
// frequent reads (the clock) cost no file access. A missing or damaged record reads
// as absent, so callers fall back to their defaults instead of failing.
#include <windows.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>
#include "ScopedHandle.h"

class DeviceStateStore {
public:
    // The store of the device root this process uses (see Device_GetRoot).
    DeviceStateStore();
    ~DeviceStateStore();
    DeviceStateStore(const DeviceStateStore&) = delete;
    DeviceStateStore& operator=(const DeviceStateStore&) = delete;
    // The same, made once per process and device root: clock reads are frequent. A Ready
    // one is never destroyed, even after the root changed.
    static std::shared_ptr<DeviceStateStore> Current();

    bool Ready() const { return mutex_.Valid() && sequence_ != nullptr; }
    // Moves with every Write of any record of the device: a record read at one count is
    // still the stored one while the count stays. Only for a Ready store.
    LONG64 Sequence() const;

    // Holds the store's mutex. The mutex is recursive, so Read and Write may run
    // inside a Lock to make a read-modify-write atomic across processes.
    class Lock {
    public:
        explicit Lock(const DeviceStateStore& store);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        bool Held() const { return held_; }
    private:
        HANDLE mutex_;
        bool held_;
    };

    // Copies the stored record into `record`; false when it is missing, of another
    // size or damaged. A record changed behind the store's back (not by Write) is
    // seen by stores made after the change.
    bool Read(const wchar_t* name, void* record, DWORD size) const;

    // What a record stands for on the device. What the device keeps across a power cut
    // (its wake-ups, its clock, its messages) is on the disk before it replaces the old
    // record; the running state of its services (power, signals, volume, processes) is
    // lost with the power anyway, and one left damaged by a host crash reads as its
    // default. Flushing that too would make every power or LED change wait for the disk.
    enum class Lifetime { Kept, Running };
    // Replaces the stored record as a whole (write aside, then rename); a record that
    // holds these bytes already is left as it is.
    bool Write(const wchar_t* name, const void* record, DWORD size, Lifetime lifetime = Lifetime::Kept);

    // Reads `name` (or `defaults`), lets `change` modify it, writes it back: one step.
    template <typename Record, typename Change>
    bool Update(const wchar_t* name, const Record& defaults, Change change,
                std::add_pointer_t<Record> result = nullptr, Lifetime lifetime = Lifetime::Kept) {
        Lock lock(*this);
        if (!lock.Held()) return false;
        Record record;
        if (!Read(name, &record, sizeof record)) record = defaults;
        if (!change(record)) return false;
        if (!Write(name, &record, sizeof record, lifetime)) return false;
        if (result) *result = record;
        return true;
    }

    // Name of a kernel object (event, mutex) that belongs to this device only.
    std::wstring ObjectName(const wchar_t* purpose) const;
    // Host path of the store's folder.
    const std::wstring& Folder() const { return folder_; }

private:
    struct Cached {
        LONG64 sequence;
        std::vector<BYTE> record;
    };

    std::wstring RecordPath(const wchar_t* name) const;
    bool ReadFile(const wchar_t* name, void* record, DWORD size) const;
    bool Holds(const std::wstring& path, const std::vector<BYTE>& bytes) const;

    std::wstring folder_;
    std::wstring objectPrefix_;
    ScopedHandle mutex_;
    ScopedHandle sequenceSection_;
    volatile LONG64* sequence_ = nullptr;  // view of sequenceSection_
    mutable std::mutex cacheGuard_;
    mutable std::map<std::wstring, Cached> cache_;
};
