#include "SlideShowSettings.h"

#include "PlatformHelpers.h"
#include "RegKeyRefTyped.h"

#include <DeviceFiles.h>
#include <shlobj.h>
#include <string>

SlideShowSettings::SlideShowSettings() : Folder(DefaultFolder()) {}

RcString SlideShowSettings::DefaultFolder() {
    wchar_t personal[MAX_PATH] = {};
    if (!Device_GetSpecialFolderPath(CSIDL_PERSONAL, personal, MAX_PATH, FALSE) || !personal[0]) {
        wchar_t windows[MAX_PATH] = {};
        Sys_GetWindowsFolder(windows);
        return RcString(windows);
    }
    std::wstring pictures(personal);
    if (pictures.back() != L'\\') pictures += L'\\';
    pictures += kPicturesFolderName;
    DWORD attributes = GetFileAttributesW(pictures.c_str());
    bool exists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return RcString(exists ? pictures.c_str() : personal);
}

void SlideShowSettings::Load(const RegKeyRef& screenSaverKey) {
    RegKeyRef key = RegKeyRef::OpenSubKey(kSubKey, screenSaverKey, false);
    uint16_t delay = 0;
    RegKeyRef_ReadShort(key, &delay, kDelayMinValue, static_cast<uint16_t>(DelayMin));
    DelayMin = static_cast<int16_t>(delay);
    RegKeyRef_ReadShort(key, &delay, kDelaySecValue, static_cast<uint16_t>(DelaySec));
    DelaySec = static_cast<int16_t>(delay);
    RegKeyRef_QueryInt(key, &Effect, kEffectValue);
    RegKeyRef_QueryInt(key, &Size, kSizeValue);
    RegKeyRef_QueryInt(key, &Shuffle, kShuffleValue);
    RegKeyRef_QueryInt(key, &Optimize, kOptimizeValue);
    RegKeyRef_QueryString(key, Folder, kFolderValue);
}

void SlideShowSettings::Save(const RegKeyRef& screenSaverKey) const {
    RegKeyRef key = RegKeyRef::OpenSubKey(kSubKey, screenSaverKey, false);
    if (!key.IsOpen()) return;
    RegKeyRef_SetString(key, Folder.CStr(), kFolderValue);
    RegKeyRef_WriteShort(key, static_cast<uint16_t>(DelayMin), kDelayMinValue);
    RegKeyRef_WriteShort(key, static_cast<uint16_t>(DelaySec), kDelaySecValue);
    RegKeyRef_SetBinary4(key, static_cast<DWORD>(Effect), kEffectValue);
    RegKeyRef_SetBinary4(key, static_cast<DWORD>(Size), kSizeValue);
    RegKey_WriteDword(key, static_cast<DWORD>(Shuffle), kShuffleValue);
    RegKey_WriteDword(key, static_cast<DWORD>(Optimize), kOptimizeValue);
}
