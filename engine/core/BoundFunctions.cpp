// The order of these definitions is the order of construction; destruction runs the
// other way. Keep it.
#include "BoundFunctions.h"

#include "DeviceLibraries.h"

namespace Bound {

// Built before the shell library they name: only its address is kept now.
BoundFunction RegistryNotifyWindow(&ShellLibrary, L"RegistryNotifyWindow");
BoundFunction RegistryCloseNotification(&ShellLibrary, L"RegistryCloseNotification");

DllHolder CoreLibrary(COREDLL_LIBRARY);
DllHolder ShellLibrary(AYGSHELL_LIBRARY);
DllHolder ContactsLibrary(L"pimstore.dll");

BoundFunction ExitWindowsEx(&ShellLibrary, L"ExitWindowsEx");
BoundFunction ChooseContact(&ContactsLibrary, L"ChooseContact");
BoundFunction RegistryNotifyWindow2(&ShellLibrary, L"RegistryNotifyWindow");
BoundFunction RegistryCloseNotification2(&ShellLibrary, L"RegistryCloseNotification");
BoundFunction NLedGetDeviceInfo(&CoreLibrary, L"NLedGetDeviceInfo");
BoundFunction NLedSetDevice(&CoreLibrary, L"NLedSetDevice");
BoundFunction Vibrate(&ShellLibrary, L"Vibrate");
BoundFunction VibrateStop(&ShellLibrary, L"VibrateStop");
BoundFunction SndOpen(&ShellLibrary, L"SndOpen");
BoundFunction SndClose(&ShellLibrary, L"SndClose");
BoundFunction SndGetWaitHandle(&ShellLibrary, L"SndGetWaitHandle");
BoundFunction SndPlayAsync(&ShellLibrary, L"SndPlayAsync");
BoundFunction SndStop(&ShellLibrary, L"SndStop");
BoundFunction UnregisterFunc1(&CoreLibrary, L"UnregisterFunc1");
BoundFunction AllKeys(&CoreLibrary, L"AllKeys");
BoundFunction SndSetSound(&ShellLibrary, L"SndSetSound");
BoundFunction SndGetSound(&ShellLibrary, L"SndGetSound");

DllHolder WmaLibrary(L"wmadecoder.dll");
BoundFunction CreateCodecDMO(&WmaLibrary, L"CreateCodecDMO");
BoundFunction QueryUnloadCodecDMO(&WmaLibrary, L"QueryUnloadCodecDMO");
DllHolder WmaProLibrary(L"wma9prodecoder.dll");
BoundFunction ProCreateCodecDMO(&WmaProLibrary, L"CreateCodecDMO");
BoundFunction ProQueryUnloadCodecDMO(&WmaProLibrary, L"QueryUnloadCodecDMO");

}  // namespace Bound
