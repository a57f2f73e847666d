#include "SkinList.h"

#include <cstring>
#include <new>

#include "RcString.h"
#include "RegKeyRef.h"
#include "ResourceSkin.h"
#include "ZipSkin.h"

namespace {
constexpr DWORD kModulePathChars = 255;
// A GUID and its terminator; a skin name may be longer.
constexpr DWORD kCurrentChars = MAX_PATH;
}  // namespace

SkinList::SkinArray::~SkinArray() { RemoveAll(); }

int SkinList::SkinArray::Compare(Item a, Item b) const {
    return static_cast<const Skin*>(a)->GetName().compare(static_cast<const Skin*>(b)->GetName());
}

void SkinList::SkinArray::RemoveAt(int index) {
    delete static_cast<Skin*>(GetAt(index));
    PtrArray::RemoveAt(index);
}

SkinList::SkinList() { Fill(ProgramFolder()); }

SkinList::SkinList(const std::wstring& programFolder) { Fill(programFolder); }

SkinList::~SkinList() = default;

std::wstring SkinList::ProgramFolder() {
    wchar_t path[kModulePathChars + 1] = {};
    GetModuleFileNameW(nullptr, path, kModulePathChars);
    std::wstring folder(path);
    const size_t slash = folder.rfind(L'\\');
    return slash == std::wstring::npos ? L"\\" : folder.substr(0, slash + 1);
}

void SkinList::Fill(const std::wstring& programFolder) {
    builtIn_ = new ResourceSkin(GetModuleHandleW(nullptr), ResourceSkin::kResourceId);
    skins_.Add(builtIn_);
    const std::wstring folder = programFolder + kSkinsFolder;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"*.zip").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            std::wstring name(found.cFileName);
            const size_t dot = name.rfind(L'.');
            if (dot != std::wstring::npos) name.erase(dot);
            // A file that is no zip archive is passed over.
            if (ZipSkin* skin = ZipSkin::Open(folder + found.cFileName, name)) skins_.Add(skin);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    skins_.Sort();
}

Skin* SkinList::At(int index) const {
    return index >= 0 && index < skins_.GetCount() ? static_cast<Skin*>(skins_.GetAt(index)) : nullptr;
}

Skin* SkinList::GetCurrent() const {
    RegKeyRef key = RegKeyRef::Open(kSkinsKey, HKEY_CURRENT_USER, true);
    wchar_t current[kCurrentChars] = {};
    DWORD type = 0, size = sizeof current - sizeof(wchar_t);
    if (key.IsOpen() && RegKeyRef_QueryValue(key, kCurrentValue, &type, current, &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        const std::string narrow(current, current + wcslen(current));
        for (int i = 0; i < Count(); ++i) {
            const char* guid = At(i)->GetGuid();
            if (guid ? narrow == guid : At(i)->GetName() == current) return At(i);
        }
    }
    for (int i = 0; i < Count(); ++i) {
        const char* guid = At(i)->GetGuid();
        if (guid && strcmp(guid, Skin::kBuiltInGuid) == 0) return At(i);
    }
    return At(0);
}

bool SkinList::SetCurrent(const char* guid) {
    // A skin without identity cannot be stored by it.
    if (!guid) return false;
    std::wstring wide;
    for (const char* c = guid; *c; ++c) wide += static_cast<wchar_t>(*c & 0x7F);
    return WriteCurrent(wide);
}

bool SkinList::SetCurrentSkin(Skin& skin) {
    const char* guid = skin.GetGuid();
    return guid ? SetCurrent(guid) : WriteCurrent(skin.GetName());
}

bool SkinList::WriteCurrent(const std::wstring& text) {
    RegKeyRef key = RegKeyRef::Open(kSkinsKey, HKEY_CURRENT_USER, false);
    return key.IsOpen() && RegKeyRef_SetString(key, text.c_str(), kCurrentValue) == ERROR_SUCCESS;
}
