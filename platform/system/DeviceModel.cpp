#include "DeviceModel.h"

#include <cwchar>

#include "DeviceStateStore.h"

#undef SystemParametersInfoW

namespace {
const wchar_t kRecordName[] = L"model";
const wchar_t kDefaultOemInfo[] = L"Simulated Pocket PC";

struct ModelRecord {
    wchar_t oemInfo[DEVICE_OEM_INFO_CHARS];
};

ModelRecord Load() {
    ModelRecord r;
    if (!DeviceStateStore::Current()->Read(kRecordName, &r, sizeof r)) wcscpy(r.oemInfo, kDefaultOemInfo);
    r.oemInfo[DEVICE_OEM_INFO_CHARS - 1] = 0;
    return r;
}
}  // namespace

BOOL Device_SystemParametersInfoW(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni) {
    if (uiAction != SPI_GETOEMINFO) return SystemParametersInfoW(uiAction, uiParam, pvParam, fWinIni);
    const UINT chars = uiParam / sizeof(wchar_t);
    if (!pvParam || chars == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const ModelRecord r = Load();
    wchar_t* out = static_cast<wchar_t*>(pvParam);
    wcsncpy(out, r.oemInfo, chars - 1);
    out[chars - 1] = 0;
    return TRUE;
}

BOOL DeviceControl_SetOemInfo(const wchar_t* text) {
    ModelRecord r = {};
    wcsncpy(r.oemInfo, text ? text : kDefaultOemInfo, DEVICE_OEM_INFO_CHARS - 1);
    return DeviceStateStore::Current()->Write(kRecordName, &r, sizeof r) ? TRUE : FALSE;
}
