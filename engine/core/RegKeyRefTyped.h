#pragma once
// Value reads and writes of fixed type and size, beside the RegKeyRef basics.
// Every read leaves its output alone (or stores the given default) unless the
// stored value has exactly the expected type and size, so a damaged value can
// never leave half-written fields behind.
#include "RegKeyRef.h"

#include <cstdint>

// A REG_DWORD of 4 bytes into out; anything else leaves out unchanged.
LONG RegKeyRef_QueryTypedDword(const RegKeyRef& key, DWORD* out, const wchar_t* name);
// The settings records' numbers: exactly 4 bytes of any type; on failure field keeps its value.
LONG RegKeyRef_QueryInt(const RegKeyRef& key, int32_t* field, const wchar_t* name);
// Exactly 2 bytes of any type into field; on failure field = defaultValue.
LONG RegKeyRef_ReadShort(const RegKeyRef& key, uint16_t* field, const wchar_t* name, uint16_t defaultValue);
// field as a 2-byte REG_BINARY.
LONG RegKeyRef_WriteShort(const RegKeyRef& key, uint16_t field, const wchar_t* name);
// A REG_BINARY of exactly 8 bytes (an IEEE double) into out; anything else leaves out unchanged.
LONG RegKeyRef_QueryDate(const RegKeyRef& key, double* out, const wchar_t* name);
LONG RegKeyRef_SetDate(const RegKeyRef& key, double value, const wchar_t* name);
// Exactly size bytes of REG_BINARY (of any type with anyType) into out; anything
// else leaves out unchanged.
LONG RegKeyRef_QueryBinary(const RegKeyRef& key, void* out, DWORD size, const wchar_t* name, bool anyType = false);
LONG RegKeyRef_SetBinary(const RegKeyRef& key, const void* data, DWORD size, const wchar_t* name);
// A REG_SZ into out, always terminated; with maxChars >= 0 at most that many characters
// (longer texts are cut). Anything else leaves out unchanged. True when out was replaced.
bool RegKeyRef_QueryBoundedString(const RegKeyRef& key, RcString& out, const wchar_t* name, int maxChars);
