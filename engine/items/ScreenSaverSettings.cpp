#include "ScreenSaverSettings.h"

#include "RegKeyRefTyped.h"

#include <string>

namespace {

const wchar_t* const kBuiltInExceptions[] = {
    L"\\Windows\\wmplayer.exe",
    L"\\Windows\\wceload.exe",
    L"\\navitel.exe",
    L"\\tcpmp.exe",
};

}  // namespace

ScreenSaverSettings::ScreenSaverSettings() {
    for (const wchar_t* program : kBuiltInExceptions) exceptions.emplace_back(program);
}

void ScreenSaverSettings::Load(const RegKeyRef& clockKey, bool activityDriverUsable) {
    RegKeyRef key = RegKeyRef::OpenSubKey(kSubKey, clockKey, false);
    RegKeyRef_QueryInt(key, &Active, kActiveValue);
    RegKeyRef_QueryInt(key, &UseExceptions, kUseExceptionsValue);
    RegKeyRef_QueryInt(key, &UnlockOnCall, kUnlockOnCallValue);
    RegKeyRef_QueryInt(key, &OnlyAtHome, kOnlyAtHomeValue);
    RegKeyRef_QueryInt(key, &Timeout, kTimeoutValue);
    RegKeyRef_QueryInt(key, &LockType, kLockTypeValue);
    // Locking needs the driver to see the user again.
    if (!activityDriverUsable) LockType = 0;
    RegKeyRef_QueryInt(key, &RunAtSystem, kRunAtSystemValue);
    RegKeyRef_QueryInt(key, &ShowTypeBT, kShowTypeBTValue);
    RegKeyRef_QueryInt(key, &ShowTypeDC, kShowTypeDCValue);
    LoadExceptions(key);
    slideShow.Load(key);
}

void ScreenSaverSettings::LoadExceptions(const RegKeyRef& parent) {
    RegKeyRef key = RegKeyRef::OpenSubKey(kExceptionsSubKey, parent, false);
    int32_t count = -1;
    if (RegKeyRef_QueryInt(key, &count, kExceptionCountValue) != ERROR_SUCCESS || count < 0) return;
    // A damaged count must not turn into billions of reads: there are never more
    // entries than values in the key.
    DWORD values = 0;
    if (RegQueryInfoKeyW(key.Key(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        values = 0;
    if (static_cast<DWORD>(count) > values) count = static_cast<int32_t>(values);
    exceptions.clear();
    for (int32_t i = 0; i < count; ++i) {
        RcString program;
        if (RegKeyRef_QueryBoundedString(key, program, std::to_wstring(i).c_str(), kMaxExceptionChars))
            exceptions.push_back(program);
    }
}

void ScreenSaverSettings::Save(const RegKeyRef& clockKey) const {
    RegKeyRef key = RegKeyRef::OpenSubKey(kSubKey, clockKey, false);
    if (!key.IsOpen()) return;
    RegKey_WriteDword(key, static_cast<DWORD>(Active), kActiveValue);
    RegKeyRef_SetBinary4(key, static_cast<DWORD>(Timeout), kTimeoutValue);
    RegKey_WriteDword(key, static_cast<DWORD>(UseExceptions), kUseExceptionsValue);
    RegKeyRef_SetBinary4(key, static_cast<DWORD>(LockType), kLockTypeValue);
    RegKey_WriteDword(key, static_cast<DWORD>(UnlockOnCall), kUnlockOnCallValue);
    RegKeyRef_SetBinary4(key, static_cast<DWORD>(ShowTypeBT), kShowTypeBTValue);
    RegKeyRef_SetBinary4(key, static_cast<DWORD>(ShowTypeDC), kShowTypeDCValue);
    RegKey_WriteDword(key, static_cast<DWORD>(OnlyAtHome), kOnlyAtHomeValue);
    RegKey_WriteDword(key, static_cast<DWORD>(RunAtSystem), kRunAtSystemValue);
    SaveExceptions(key);
    slideShow.Save(key);
}

void ScreenSaverSettings::SaveExceptions(const RegKeyRef& parent) const {
    RegKeyRef key = RegKeyRef::OpenSubKey(kExceptionsSubKey, parent, false);
    if (!key.IsOpen()) return;
    RegKey_WriteDword(key, static_cast<DWORD>(exceptions.size()), kExceptionCountValue);
    for (size_t i = 0; i < exceptions.size(); ++i)
        RegKeyRef_SetString(key, exceptions[i].CStr(), std::to_wstring(i).c_str());
}
