#include "DeviceWireless.h"

#include "DeviceRecord.h"

#include <cstdint>

namespace {
const wchar_t kRecordName[] = L"wireless";

struct Record {
    uint32_t bluetoothMode;
    uint32_t bluetoothModeSets;
    uint32_t wlanRadio;
    uint32_t wlanRadioSets;
    uint32_t wlanRadioQueries;
};
static_assert(sizeof(Record) == 20, "wireless record is stored");

Record Load() { return DeviceRecord_Load(kRecordName, Record{}); }

template <typename Change>
bool Update(Change change) {
    return DeviceRecord_Update(kRecordName, Record{}, [&](Record& r) {
        change(r);
        return true;
    });
}
}  // namespace

int Device_BthSetMode(DWORD mode) {
    if (mode > BTH_DISCOVERABLE) return ERROR_INVALID_PARAMETER;
    bool ok = Update([&](Record& r) {
        r.bluetoothMode = mode;
        ++r.bluetoothModeSets;
    });
    return ok ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

int Device_BthGetMode(DWORD* mode) {
    if (!mode) return ERROR_INVALID_PARAMETER;
    *mode = Load().bluetoothMode;
    return ERROR_SUCCESS;
}

BOOL Device_iPAQSetWLANRadio(DWORD* radio) {
    if (!radio || *radio > 1) return FALSE;
    return Update([&](Record& r) {
        r.wlanRadio = *radio;
        ++r.wlanRadioSets;
    });
}

BOOL Device_iPAQGetWLANRadioStatus(DWORD* radio) {
    if (!radio) return FALSE;
    DWORD state = 0;
    bool ok = Update([&](Record& r) {
        state = r.wlanRadio;
        ++r.wlanRadioQueries;
    });
    *radio = state;
    return ok;
}

DWORD DeviceControl_GetBluetoothMode(void) { return Load().bluetoothMode; }
DWORD DeviceControl_GetBluetoothModeSets(void) { return Load().bluetoothModeSets; }
DWORD DeviceControl_GetWlanRadio(void) { return Load().wlanRadio; }
DWORD DeviceControl_GetWlanRadioSets(void) { return Load().wlanRadioSets; }
DWORD DeviceControl_GetWlanRadioQueries(void) { return Load().wlanRadioQueries; }
