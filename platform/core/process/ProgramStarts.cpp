#include "ProgramStarts.h"

#include <cstdint>
#include <string>

#include "DeviceControl.h"
#include "DeviceProcess.h"
#include "DeviceStateStore.h"

namespace {
const wchar_t kRecordName[] = L"starts";
const uint32_t kSlots = 64;

// Each program and command text pair is known by a hash; when every slot is taken,
// the pair started least often makes room. keptUp counts the starts made while an
// unattended-mode request held the device up.
struct Record {
    struct Slot {
        uint32_t key;
        uint32_t count;
        uint32_t keptUp;
    } slots[kSlots];
};
static_assert(sizeof(Record) == kSlots * 12, "start counts are stored");

uint32_t Mix(uint32_t h, wchar_t c) { return (h ^ static_cast<uint16_t>(c)) * 16777619u; }

// The program's full host path without regard to case, then the command text.
uint32_t KeyOf(const wchar_t* hostPath, const wchar_t* args) {
    wchar_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(hostPath, MAX_PATH, full, nullptr);
    std::wstring path = n > 0 && n < MAX_PATH ? std::wstring(full, n) : std::wstring(hostPath);
    if (!path.empty()) CharUpperBuffW(&path[0], DWORD(path.size()));
    uint32_t h = 2166136261u;
    for (wchar_t c : path) h = Mix(h, c);
    h = Mix(h, 0);
    for (const wchar_t* p = args ? args : L""; *p; ++p) h = Mix(h, *p);
    return h ? h : 1;  // 0 marks a free slot
}
}  // namespace

void ProgramStarts::Count(const wchar_t* program, const wchar_t* args) {
    const uint32_t key = KeyOf(program, args);
    const bool keptUp = DeviceControl_GetUnattendedCount() > 0;
    DeviceStateStore::Current()->Update(kRecordName, Record{}, [&](Record& r) {
        Record::Slot* slot = nullptr;
        for (Record::Slot& s : r.slots)
            if (s.key == key) slot = &s;
        if (!slot) {
            slot = &r.slots[0];
            for (Record::Slot& s : r.slots)
                if (s.count < slot->count) slot = &s;
            *slot = Record::Slot{key, 0, 0};
        }
        ++slot->count;
        if (keptUp) ++slot->keptUp;
        return true;
    });
}

DWORD ProgramStarts::Get(const wchar_t* program, const wchar_t* args, DWORD* keptUp) {
    if (keptUp) *keptUp = 0;
    wchar_t path[MAX_PATH];
    Record r;
    if (!Device_ResolveProgram(program, path, MAX_PATH) || !DeviceStateStore::Current()->Read(kRecordName, &r, sizeof r))
        return 0;
    const uint32_t key = KeyOf(path, args);
    for (const Record::Slot& s : r.slots)
        if (s.key == key) {
            if (keptUp) *keptUp = s.keptUp;
            return s.count;
        }
    return 0;
}

DWORD DeviceControl_GetProgramStarts(const wchar_t* program, const wchar_t* args) {
    return ProgramStarts::Get(program, args, nullptr);
}

DWORD DeviceControl_GetProgramStartsKeptUp(const wchar_t* program, const wchar_t* args) {
    DWORD keptUp = 0;
    ProgramStarts::Get(program, args, &keptUp);
    return keptUp;
}
