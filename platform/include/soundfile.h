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

// The shell's sound player (aygshell.dll, bound by name): plays one sound file at a time
// per handle, asynchronously; its wait handle is set when a play has ended.
typedef HANDLE HSOUND;

// Scopes of SndStop.
#define SND_SCOPE_PROCESS 1

// SndOpen(file, out handle): S_OK, or a failure for a file the player does not take.
// SndPlayAsync(sound, flags 0) plays it once; SndGetWaitHandle gives the event set at the
// end of the play (the same for every play of a handle, reset by the next SndPlayAsync);
// SndStop(SND_SCOPE_PROCESS, null) stops every sound of the process; SndClose frees it.
typedef HRESULT (*SndOpenFunction)(const wchar_t* file, HSOUND* sound);
typedef HRESULT (*SndPlayAsyncFunction)(HSOUND sound, DWORD flags);
typedef HRESULT (*SndGetWaitHandleFunction)(HSOUND sound, HANDLE* event);
typedef HRESULT (*SndStopFunction)(DWORD scope, HSOUND sound);
typedef HRESULT (*SndCloseFunction)(HSOUND sound);
