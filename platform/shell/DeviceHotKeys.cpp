#include "hotkeys.h"

#include <cstdint>

#include "DeviceStateStore.h"

namespace {

const wchar_t kRecordName[] = L"hotkeys";
constexpr int kMaxHotKeys = 64;

struct HotKey {
    uint64_t window;  // 0: a free slot
    int32_t id;
    uint32_t modifiers;
    uint32_t key;
};

struct Record {
    HotKey keys[kMaxHotKeys];
    uint32_t shellReleases;
    uint32_t allKeys;
};

uint64_t WindowValue(HWND window) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(window)); }
HWND WindowOf(const HotKey& key) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(key.window)); }

// A registration whose window is gone is as good as free: its process ended or forgot it.
bool Live(const HotKey& key) { return key.window != 0 && IsWindow(WindowOf(key)); }

Record Load() {
    Record record = {};
    if (!DeviceStateStore::Current()->Read(kRecordName, &record, sizeof record)) record = Record{};
    return record;
}

}  // namespace

BOOL Device_RegisterHotKey(HWND window, int id, UINT modifiers, UINT key) {
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    DWORD error = ERROR_SUCCESS;
    const bool written = DeviceStateStore::Current()->Update(kRecordName, Record{}, [&](Record& record) {
        HotKey* free = nullptr;
        for (HotKey& slot : record.keys) {
            if (!Live(slot)) {
                slot = HotKey{};
                if (!free) free = &slot;
                continue;
            }
            const bool sameId = WindowOf(slot) == window && slot.id == id;
            const bool sameKey = slot.modifiers == modifiers && slot.key == key;
            if (sameId || sameKey) {
                error = ERROR_HOTKEY_ALREADY_REGISTERED;
                return false;
            }
        }
        if (!free) {
            error = ERROR_NOT_ENOUGH_MEMORY;
            return false;
        }
        *free = HotKey{WindowValue(window), id, modifiers, key};
        return true;
    });
    if (written) return TRUE;
    SetLastError(error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE);
    return FALSE;
}

BOOL Device_UnregisterHotKey(HWND window, int id) {
    const bool written = DeviceStateStore::Current()->Update(kRecordName, Record{}, [&](Record& record) {
        for (HotKey& slot : record.keys) {
            if (slot.window == WindowValue(window) && slot.id == id) {
                slot = HotKey{};
                return true;
            }
        }
        return false;
    });
    if (!written) SetLastError(ERROR_HOTKEY_NOT_REGISTERED);
    return written ? TRUE : FALSE;
}

BOOL Device_UnregisterFunc1(UINT, UINT) {
    return DeviceStateStore::Current()->Update(kRecordName, Record{}, [](Record& record) {
        ++record.shellReleases;
        return true;
    }) ? TRUE : FALSE;
}

BOOL Device_AllKeys(BOOL all) {
    Record previous = {};
    DeviceStateStore::Current()->Update(kRecordName, Record{}, [&](Record& record) {
        previous = record;
        record.allKeys = all ? 1 : 0;
        return true;
    });
    return previous.allKeys ? TRUE : FALSE;
}

BOOL Device_FindHotKey(UINT modifiers, UINT key, HWND* window, int* id) {
    const Record record = Load();
    for (const HotKey& slot : record.keys) {
        if (!Live(slot) || slot.modifiers != modifiers || slot.key != key) continue;
        if (window) *window = WindowOf(slot);
        if (id) *id = slot.id;
        return TRUE;
    }
    return FALSE;
}

DWORD Device_GetShellKeyReleases(void) { return Load().shellReleases; }
