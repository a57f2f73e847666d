#include "ItemSoundSettings.h"

#include "RegKeyRefTyped.h"

#include <wchar.h>

ItemSoundSettings ItemSoundSettings::ThreadCopy() const {
    ItemSoundSettings copy(*this);
    copy.custom = RcString(custom.CStr());
    return copy;
}

bool ItemSoundSettings::Load(const RegKeyRef& parent) {
    RegKeyRef key = RegKeyRef::OpenSubKey(kSubKey, parent, true);
    if (!key.IsOpen()) return false;

    RcString path;
    RegKeyRef_QueryString(key, path, kCustomValue);
    DWORD value = 0;
    if (path.Length() > 0) {
        builtIn = 0;
        custom = path;
    } else if (RegKeyRef_QueryTypedDword(key, &value, kCustomResValue) == ERROR_SUCCESS) {
        builtIn = 1;
        customres = static_cast<int32_t>(value);
    }
    // Each 16-bit field takes the low half of its number.
    struct {
        const wchar_t* name;
        uint16_t* field;
    } const shorts[] = {{kVolumeValue, &volume}, {kRepeatValue, &repeat}, {kRepSplitValue, &repsplit},
                        {kAscTimeValue, &asctime}};
    for (const auto& s : shorts)
        if (RegKeyRef_QueryTypedDword(key, &value, s.name) == ERROR_SUCCESS) *s.field = static_cast<uint16_t>(value);
    if (RegKeyRef_QueryTypedDword(key, &value, kRespectSysValue) == ERROR_SUCCESS)
        respectsys = static_cast<int32_t>(value);
    return true;
}

void ItemSoundSettings::Save(const RegKeyRef& parent) const {
    RegKeyRef key = RegKeyRef::OpenSubKey(kSubKey, parent, false);
    if (!key.IsOpen()) return;
    bool isFile = builtIn == 0;
    RegKeyRef_SetString(key, isFile ? custom.CStr() : L"", kCustomValue);
    RegKey_WriteDword(key, isFile ? 0 : static_cast<DWORD>(customres), kCustomResValue);
    RegKey_WriteDword(key, volume, kVolumeValue);
    RegKey_WriteDword(key, repeat, kRepeatValue);
    RegKey_WriteDword(key, repsplit, kRepSplitValue);
    RegKey_WriteDword(key, asctime, kAscTimeValue);
    RegKey_WriteDword(key, static_cast<DWORD>(respectsys), kRespectSysValue);
}

bool ItemSoundSettings::operator==(const ItemSoundSettings& other) const {
    return builtIn == other.builtIn && wcscmp(custom.CStr(), other.custom.CStr()) == 0 && volume == other.volume &&
           repeat == other.repeat && repsplit == other.repsplit && asctime == other.asctime &&
           respectsys == other.respectsys && customres == other.customres;
}
