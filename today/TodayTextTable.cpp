#include "TodayTextTable.h"

#include "DeviceFiles.h"
#include "ProductKey.h"
#include "TodayTranslationFile.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

static_assert(TodayTextTable::kSlotCount == TodayTranslationFile::kRecordCount, "one record per slot");

namespace {

const wchar_t* const kDefaults[TodayTextTable::kSlotCount] = {
    L"Alarms", L"Timers",          L"Active",        L"Delete",          L"Sound",     L"Vibrate",
    L"Stop",   L"Start",           L"Restart",       L"Run the Orvalen", L"Cancel Snooze",
    L"Skip next alarm",            L"New alarm",     L"New timer",       L"Today",
    L"No pending notifications",   L"Edit",          L"Cancel",
};

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};

// The REG_SZ "Location" under the product key, any length, without its terminator;
// empty when missing or of another type.
std::wstring ReadLocation() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, ProductKey::kPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::wstring();
    std::wstring location;
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key, ProductKey::kLocationValue, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        type == REG_SZ && bytes >= sizeof(wchar_t)) {
        std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, 0);
        if (RegQueryValueExW(key, ProductKey::kLocationValue, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                             &bytes) == ERROR_SUCCESS && type == REG_SZ)
            location.assign(text.data());  // ends at the first terminator
    }
    RegCloseKey(key);
    return location;
}

}  // namespace

TodayTextTable::TodayTextTable() { Reset(); }

const wchar_t* TodayTextTable::DefaultText(Slot slot) { return kDefaults[slot]; }

void TodayTextTable::Reset() {
    for (int slot = 0; slot < kSlotCount; ++slot) texts_[slot] = kDefaults[slot];
}

int TodayTextTable::LoadFile(const std::wstring& path) {
    Reset();
    std::unique_ptr<FILE, FileCloser> file(_wfopen(path.c_str(), L"rb"));
    if (!file) return 0;
    // The size bounds every record: no count may promise more than the file still holds.
    if (_fseeki64(file.get(), 0, SEEK_END) != 0) return 0;
    const int64_t size = _ftelli64(file.get());
    if (size < 0 || _fseeki64(file.get(), 0, SEEK_SET) != 0) return 0;
    int64_t position = 0;
    int slot = 0;
    for (; slot < kSlotCount; ++slot) {
        uint32_t count = 0;
        if (fread(&count, sizeof count, 1, file.get()) != 1) break;
        position += sizeof count;
        const int64_t bytes = static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(wchar_t));
        if (count > kMaxRecordChars || bytes > size - position) break;
        std::wstring text(count, L'\0');
        if (count > 0 && fread(&text[0], sizeof(wchar_t), count, file.get()) != count) break;
        position += bytes;
        texts_[slot] = std::move(text);
    }
    return slot;
}

int TodayTextTable::LoadBesideProgram() {
    const std::wstring location = ReadLocation();
    if (location.empty()) {
        Reset();
        return 0;
    }
    // The program's folder with its backslash; the whole value when it has none.
    const size_t slash = location.find_last_of(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? location : location.substr(0, slash + 1);
    // A drive-less path names a file of the device.
    const std::wstring path = folder + TodayTranslationFile::kFileName;
    std::vector<wchar_t> mapped(path.size() + MAX_PATH, 0);
    return LoadFile(Device_MapPath(path.c_str(), mapped.data(), static_cast<DWORD>(mapped.size())) ? mapped.data() : path);
}
