#include "SoundSource.h"

#include <cwchar>

#include "DeviceClock.h"
#include "DeviceFiles.h"
#include "ScopedHandle.h"

namespace {
const wchar_t kTempFolder[] = L"\\Temp";
const wchar_t kResourceFileName[] = L"\\Orvalen sound ";
const wchar_t kResourceFileType[] = L".wav";
constexpr int kFileChecks = 20;
constexpr DWORD kFileCheckMs = 100;
const wchar_t* const kSoundPatterns[] = {L"*.wav", L"*.mp3", L"*.ogg", L"*.wma"};

struct FindTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
using ScopedFind = ScopedOwner<FindTraits>;

DWORD Attributes(const wchar_t* path) {
    wchar_t mapped[MAX_PATH];
    return Device_MapPath(path, mapped, MAX_PATH) ? GetFileAttributesW(mapped) : INVALID_FILE_ATTRIBUTES;
}

void UseBuiltIn(ItemSoundSettings& settings, int resource) {
    settings.builtIn = 1;
    settings.customres = resource;
}

bool Interrupted(HANDLE interrupt) { return interrupt && WaitForSingleObject(interrupt, 0) == WAIT_OBJECT_0; }

// Waits `ms`, or less when `interrupt` is set: false then.
bool Pause(DWORD ms, HANDLE interrupt) {
    if (!interrupt) {
        Sleep(ms);
        return true;
    }
    return WaitForSingleObject(interrupt, ms) != WAIT_OBJECT_0;
}
}  // namespace

bool SoundSource::WaitForFile(const wchar_t* path, DWORD* attributes, HANDLE interrupt) {
    for (int check = 0; check < kFileChecks; ++check) {
        if (check > 0 && !Pause(kFileCheckMs, interrupt)) return false;
        const DWORD found = Attributes(path);
        if (found != INVALID_FILE_ATTRIBUTES) {
            if (attributes) *attributes = found;
            return true;
        }
    }
    return false;
}

std::vector<std::wstring> SoundSource::ListFolder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    for (const wchar_t* pattern : kSoundPatterns) {
        wchar_t mapped[MAX_PATH];
        if (!Device_MapPath((folder + L"\\" + pattern).c_str(), mapped, MAX_PATH)) continue;
        WIN32_FIND_DATAW entry;
        ScopedFind find(FindFirstFileW(mapped, &entry));
        for (bool more = find.Valid(); more; more = FindNextFileW(find.Get(), &entry) != FALSE)
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
    }
    return names;
}

bool SoundSource::Resolve(ItemSoundSettings& settings, int fallbackResource, HANDLE interrupt) {
    if (settings.builtIn) return true;
    DWORD attributes = 0;
    if (!WaitForFile(settings.custom.CStr(), &attributes, interrupt)) {
        if (Interrupted(interrupt)) return false;
        UseBuiltIn(settings, fallbackResource);
        return true;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    const std::wstring folder = settings.custom.CStr();
    const std::vector<std::wstring> names = ListFolder(folder);
    if (names.empty()) return true;
    const std::wstring file = folder + L"\\" + names[DeviceClock_GetTickCount() % names.size()];
    if (WaitForFile(file.c_str(), nullptr, interrupt))
        settings.custom.SetCStr(file.c_str());
    else if (Interrupted(interrupt))
        return false;
    else
        UseBuiltIn(settings, fallbackResource);
    return true;
}

bool SoundSource::IsPlatformSoundFile(const wchar_t* path) {
    const size_t length = wcslen(path);
    return length > 3 && wcscmp(path + length - 3, L"wma") == 0;
}

std::wstring SoundSource::WriteResourceFile(HMODULE module, HRSRC resource, int id) {
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, resource);
    if (!data || !size) return {};
    const std::wstring path = std::wstring(kTempFolder) + kResourceFileName + std::to_wstring(id) + kResourceFileType;
    wchar_t folder[MAX_PATH], file[MAX_PATH];
    if (!Device_MapPath(kTempFolder, folder, MAX_PATH) || !Device_MapPath(path.c_str(), file, MAX_PATH)) return {};
    CreateDirectoryW(folder, nullptr);
    ScopedFile out(CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!out || !WriteFile(out.Get(), data, size, &written, nullptr) || written != size) return {};
    return path;
}
