#include "RegKeyRefTyped.h"

#include "RcString.h"

#include <cstring>
#include <vector>

namespace {

// Reads name into a buffer of exactly `size` bytes; succeeds only when the value fills it.
LONG QueryExact(const RegKeyRef& key, const wchar_t* name, void* data, DWORD size, DWORD* type) {
    RegKeyRef hold(key);
    DWORD read = size;
    LONG status = RegQueryValueExW(hold.Key(), name, nullptr, type, static_cast<BYTE*>(data), &read);
    if (status == ERROR_SUCCESS && read != size) status = ERROR_INVALID_DATA;
    return status;
}

}  // namespace

LONG RegKeyRef_QueryTypedDword(const RegKeyRef& key, DWORD* out, const wchar_t* name) {
    DWORD value = 0, type = 0;
    LONG status = QueryExact(key, name, &value, sizeof value, &type);
    if (status == ERROR_SUCCESS && type != REG_DWORD) status = ERROR_INVALID_DATATYPE;
    if (status == ERROR_SUCCESS) *out = value;
    return status;
}

LONG RegKeyRef_QueryInt(const RegKeyRef& key, int32_t* field, const wchar_t* name) {
    DWORD value = 0;
    LONG status = RegKeyRef_QueryDword(key, &value, name, static_cast<DWORD>(*field));
    *field = static_cast<int32_t>(value);
    return status;
}

LONG RegKeyRef_ReadShort(const RegKeyRef& key, uint16_t* field, const wchar_t* name, uint16_t defaultValue) {
    uint16_t value = 0;
    DWORD type = 0;
    LONG status = QueryExact(key, name, &value, sizeof value, &type);
    *field = status == ERROR_SUCCESS ? value : defaultValue;
    return status;
}

LONG RegKeyRef_WriteShort(const RegKeyRef& key, uint16_t field, const wchar_t* name) {
    RegKeyRef hold(key);
    return RegSetValueExW(hold.Key(), name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&field), sizeof field);
}

LONG RegKeyRef_QueryDate(const RegKeyRef& key, double* out, const wchar_t* name) {
    double value = 0;
    DWORD type = 0;
    LONG status = QueryExact(key, name, &value, sizeof value, &type);
    if (status == ERROR_SUCCESS && type != REG_BINARY) status = ERROR_INVALID_DATATYPE;
    if (status == ERROR_SUCCESS) *out = value;
    return status;
}

LONG RegKeyRef_SetDate(const RegKeyRef& key, double value, const wchar_t* name) {
    RegKeyRef hold(key);
    return RegSetValueExW(hold.Key(), name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

LONG RegKeyRef_QueryBinary(const RegKeyRef& key, void* out, DWORD size, const wchar_t* name, bool anyType) {
    std::vector<BYTE> value(size);
    DWORD type = 0;
    LONG status = QueryExact(key, name, value.data(), size, &type);
    if (status == ERROR_SUCCESS && !anyType && type != REG_BINARY) status = ERROR_INVALID_DATATYPE;
    if (status == ERROR_SUCCESS && size) memcpy(out, value.data(), size);
    return status;
}

LONG RegKeyRef_SetBinary(const RegKeyRef& key, const void* data, DWORD size, const wchar_t* name) {
    RegKeyRef hold(key);
    return RegSetValueExW(hold.Key(), name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
}

bool RegKeyRef_QueryBoundedString(const RegKeyRef& key, RcString& out, const wchar_t* name, int maxChars) {
    RegKeyRef hold(key);
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExW(hold.Key(), name, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS || type != REG_SZ) return false;
    DWORD chars = size / sizeof(wchar_t);
    if (maxChars >= 0 && chars > static_cast<DWORD>(maxChars)) chars = static_cast<DWORD>(maxChars);
    // One unit more than the stored text: it need not end in a terminator.
    std::vector<wchar_t> text(static_cast<size_t>(size / sizeof(wchar_t)) + 1, 0);
    DWORD read = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    status = RegQueryValueExW(hold.Key(), name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &read);
    if (status != ERROR_SUCCESS || type != REG_SZ) return false;
    text[chars] = 0;
    out.SetCStr(text.data());
    return true;
}
