#include "DllHolder.h"

#include "DeviceLibraries.h"

DllHolder::~DllHolder() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
}

FARPROC DllHolder::GetProc(const wchar_t* functionName) {
    // Libraries are found where the device keeps them, as the handheld's loader does.
    if (!module_) module_ = Device_LoadLibrary(name_.c_str());
    if (!module_) return nullptr;
    return GetProcAddressW(module_, functionName);
}
