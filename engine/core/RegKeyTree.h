#pragma once
// Whole-key operations beside the value functions: listing a key's subkeys and
// values, deleting a key with everything below it, and the decimal index names
// that numbered lists (laps, groups) are stored under.
#include "RegKeyRef.h"

#include <string>
#include <vector>

// Every subkey name of key, in enumeration order; names of any length.
std::vector<std::wstring> RegKeyTree_SubKeyNames(const RegKeyRef& key);
// Every value name of key, in enumeration order.
std::vector<std::wstring> RegKeyTree_ValueNames(const RegKeyRef& key);
// Deletes parent\name with its whole tree: the key at once, or else every subkey
// first and then the key again.
LONG RegKeyTree_Delete(const RegKeyRef& parent, const wchar_t* name);
// The name of entry `index` of a numbered list: its decimal text.
std::wstring RegKeyTree_IndexName(size_t index);
// True when name is exactly the index name of an entry below count.
bool RegKeyTree_IsIndexBelow(const std::wstring& name, size_t count);
