#pragma once
// Deleting a registry key with everything below it.
#include <windows.h>

// Room the path buffer of Reg_DeleteKeyTree must have, in characters.
constexpr size_t kRegTreePathCapacity = 260;

// path: a writable buffer of kRegTreePathCapacity characters; it is used to build the
// subkeys' paths and holds the original path again on return. A subkey whose path
// would not fit stops the deletion. True when the key is gone.
bool Reg_DeleteKeyTree(HKEY root, wchar_t* path);
