#pragma once
// Where a ring sound comes from: a sound file, one file picked from a sound folder, or
// the built-in sound when the file does not turn up (a memory card may still be mounting
// when a ring wakes the device).
#include <windows.h>

#include <string>
#include <vector>

#include "ItemSoundSettings.h"

namespace SoundSource {

// Checks up to 20 times, 100 ms apart, whether `path` exists (a folder counts); its
// attributes when it does. The wait ends early, false, once `interrupt` is set.
bool WaitForFile(const wchar_t* path, DWORD* attributes = nullptr, HANDLE interrupt = nullptr);
// The bare names of the sound files in `folder`: "*.wav", then "*.mp3", "*.ogg" and "*.wma".
std::vector<std::wstring> ListFolder(const std::wstring& folder);
// Turns a file that does not exist into the built-in sound `fallbackResource`, and a
// folder into one of its sound files, picked by the tick count. A folder without sound
// files stays as it is. False, with the settings unchanged, when `interrupt` was set
// before the file turned up.
bool Resolve(ItemSoundSettings& settings, int fallbackResource, HANDLE interrupt = nullptr);
// True for a file the shell's sound player takes: a name of more than three characters
// ending in lower-case "wma".
bool IsPlatformSoundFile(const wchar_t* path);
// Writes the "WAVE" resource `resource` (number `id`) of `module` into a file of the
// device's temporary folder, for a player that takes files only; its device path, or
// empty when it cannot be written.
std::wstring WriteResourceFile(HMODULE module, HRSRC resource, int id);

}  // namespace SoundSource
