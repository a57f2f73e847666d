#pragma once
// The shell's sound profile (aygshell.dll, bound by name): the sound setting of an
// event, above all event 0, the setting of all events, whose type says whether the
// device rings, vibrates or keeps silent.
#include <windows.h>

// Events.
#define SND_EVENT_ALL 0

// Sound types of a setting.
#define SND_SOUNDTYPE_ON 0
#define SND_SOUNDTYPE_VIBRATE 1
#define SND_SOUNDTYPE_NONE 2
#define SND_SOUNDTYPE_DISABLE 3

typedef struct SndFileInfo {
    wchar_t szPathName[MAX_PATH];
    wchar_t szDisplayName[MAX_PATH];
    DWORD sstType;  // SND_SOUNDTYPE_*
} SNDFILEINFO;
static_assert(sizeof(SNDFILEINFO) == 1044, "the shell's sound setting record");

// SndSetSound(event, setting, suppressUI): S_OK, or E_INVALIDARG for an unknown event,
// a missing setting or an unknown type. SndGetSound(event, setting) fills the setting.
typedef HRESULT (*SndSetSoundFunction)(DWORD event, const SNDFILEINFO* setting, BOOL suppressUI);
typedef HRESULT (*SndGetSoundFunction)(DWORD event, SNDFILEINFO* setting);
