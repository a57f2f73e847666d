#pragma once
// The subkey in which an action keeps its values under its item's key, and its numbers.
#include "RegKeyRef.h"

#include <cstdint>
#include <utility>

// Opens, creating it when missing, so that a load also leaves the subkey behind; the
// item key is taken over and released.
inline RegKeyRef ActionKey_Open(RegKeyRef& itemKey, const wchar_t* subkey) {
    return RegKeyRef::OpenSubKey(subkey, std::move(itemKey), false);
}

// A number of the action as a REG_DWORD.
inline void ActionKey_WriteInt(const RegKeyRef& key, int32_t value, const wchar_t* name) {
    RegKey_WriteDword(key, static_cast<DWORD>(value), name);
}

// A number of exactly 4 bytes; anything else reads as the field's default.
inline void ActionKey_ReadInt(const RegKeyRef& key, int32_t& field, const wchar_t* name, int32_t defaultValue) {
    DWORD value = 0;
    RegKeyRef_QueryDword(key, &value, name, static_cast<DWORD>(defaultValue));
    field = static_cast<int32_t>(value);
}
