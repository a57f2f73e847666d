#pragma once
// The process-wide platform libraries and the functions bound from them by name.
// Each is built before the program's main routine runs and destroyed at exit in the
// reverse order, so every function goes before its library (the first pair of
// registry notifications excepted: no call goes through them then).
// Callers ask a function for its entry point and skip the call without one.
#include "BoundFunction.h"
#include "DllHolder.h"

namespace Bound {

extern DllHolder CoreLibrary;      // "coredll.dll"
extern DllHolder ShellLibrary;     // "aygshell.dll"
extern DllHolder ContactsLibrary;  // "pimstore.dll"
extern DllHolder WmaLibrary;       // "wmadecoder.dll"
extern DllHolder WmaProLibrary;    // "wma9prodecoder.dll"

// The full-screen clock's watch of the phone status.
extern BoundFunction RegistryNotifyWindow;
extern BoundFunction RegistryCloseNotification;
// Power off and reboot.
extern BoundFunction ExitWindowsEx;
// The SMS editor's contact chooser.
extern BoundFunction ChooseContact;
// A second, separate pair for the other screens that watch registry values.
extern BoundFunction RegistryNotifyWindow2;
extern BoundFunction RegistryCloseNotification2;
// LED, vibrator and the platform's sound route of the signaller.
extern BoundFunction NLedGetDeviceInfo;
extern BoundFunction NLedSetDevice;
extern BoundFunction Vibrate;
extern BoundFunction VibrateStop;
extern BoundFunction SndOpen;
extern BoundFunction SndClose;
extern BoundFunction SndGetWaitHandle;
extern BoundFunction SndPlayAsync;
extern BoundFunction SndStop;
// The hardware-button map.
extern BoundFunction UnregisterFunc1;
// The key-capture dialog: every hardware key reaches it.
extern BoundFunction AllKeys;
// The sound profile: the volume action and the signaller.
extern BoundFunction SndSetSound;
extern BoundFunction SndGetSound;
// WMA decoding through the decoder libraries.
extern BoundFunction CreateCodecDMO;
extern BoundFunction QueryUnloadCodecDMO;
extern BoundFunction ProCreateCodecDMO;
extern BoundFunction ProQueryUnloadCodecDMO;

}  // namespace Bound
