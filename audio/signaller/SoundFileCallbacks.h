#pragma once
// The Signaller's own file functions for the sound engine: wide device paths
// ("\My Documents\ring.mp3" lives in the device root), opened for shared reading.
#include <windows.h>

namespace SoundFileCallbacks {

// Installs the five callbacks in the engine and copies `path` into the one name buffer,
// which lives as long as the program (the engine may reopen the file by it); returns
// the name to open the stream with.
const void* Install(const wchar_t* path);

}  // namespace SoundFileCallbacks
