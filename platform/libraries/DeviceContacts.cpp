#include "pimstore.h"

#include "DeviceRecord.h"

#include <cstdint>
#include <cwchar>

namespace {
const wchar_t kRecordName[] = L"contacts";
constexpr size_t kFieldChars = 64;

struct Record {
    uint32_t hasChoice;
    wchar_t name[kFieldChars];
    wchar_t number[kFieldChars];
    uint32_t lastFlags;
    uint32_t lastProperty;
    uint32_t calls;
};

void CopyField(wchar_t (&field)[kFieldChars], const wchar_t* text) {
    wcsncpy(field, text ? text : L"", kFieldChars - 1);
    field[kFieldChars - 1] = 0;
}
}  // namespace

HRESULT Device_ChooseContact(CHOOSECONTACT* record) {
    if (!record || record->cbSize != sizeof *record || !record->rgpropidRequiredProperties ||
        record->cRequiredProperties == 0)
        return E_INVALIDARG;
    Record chosen = {};
    DeviceRecord_Update(kRecordName, Record{}, [&](Record& r) {
        r.lastFlags = record->dwFlags;
        r.lastProperty = record->rgpropidRequiredProperties[0];
        ++r.calls;
        chosen = r;
        return true;
    });
    if (!chosen.hasChoice) return E_ABORT;
    record->bstrContactName = SysAllocString(chosen.name);
    record->bstrPropertyValueSelected = SysAllocString(chosen.number);
    record->propidSelected = record->rgpropidRequiredProperties[0];
    return S_OK;
}

BOOL DeviceControl_SetContactChoice(const wchar_t* name, const wchar_t* number) {
    return DeviceRecord_Update(kRecordName, Record{}, [&](Record& r) {
        r.hasChoice = name != nullptr;
        CopyField(r.name, name);
        CopyField(r.number, number);
        return true;
    });
}

BOOL DeviceControl_GetLastContactRequest(DWORD* flags, CEPROPID* property, DWORD* calls) {
    const Record r = DeviceRecord_Load(kRecordName, Record{});
    if (flags) *flags = r.lastFlags;
    if (property) *property = r.lastProperty;
    if (calls) *calls = r.calls;
    return TRUE;
}
