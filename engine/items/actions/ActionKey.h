#pragma once
// The subkey in which an action keeps its values, under its item's key.
#include "RegKeyRef.h"

// Opens, creating it when missing, so that a load also leaves the subkey behind; the
// item key is released.
inline RegKeyRef ActionKey_Open(RegKeyRef itemKey, const wchar_t* subkey) {
    return RegKeyRef::OpenSubKey(subkey, static_cast<RegKeyRef&&>(itemKey), false);
}
