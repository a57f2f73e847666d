#include "Skin.h"

#include <new>

#include "Zip.h"

namespace {
const wchar_t* const kEntryNames[Skin::kEntryCount] = {
    L"guid.txt", L"bg.png", L"clock.png", L"sarrow.png", L"marrow.png", L"harrow.png", L"bg_landscape.png",
};
// No skin picture comes near this; a damaged directory could claim anything.
constexpr DWORD kMaxEntryBytes = 32u << 20;
}  // namespace

Skin::Skin(ZipHandle* zip, std::wstring name) : zip_(zip), name_(std::move(name)) {}

Skin::~Skin() {
    if (zip_) Zip_Close(zip_);
}

const wchar_t* Skin::EntryName(int index) {
    return index >= 0 && index < kEntryCount ? kEntryNames[index] : L"";
}

bool Skin::ReadEntry(int index, std::string& bytes) {
    if (!zip_) return false;
    ZipMemberInfo entry = {};
    int found = -1;
    // Names match whole (an entry in a sub-folder does not), letter case aside.
    if (Zip_FindItem(zip_, EntryName(index), true, &entry, &found) != ZipOk || found < 0) return false;
    if (entry.uncompressedSize > kMaxEntryBytes) return false;
    try {
        bytes.assign(entry.uncompressedSize, '\0');
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (bytes.empty()) return true;
    DWORD read = 0;
    return Zip_UnzipItem(zip_, found, &bytes[0], entry.uncompressedSize, &read) == ZipOk &&
           read == entry.uncompressedSize;
}

const char* Skin::GetGuid() {
    if (!guid_.empty()) return guid_.c_str();
    ZipMemberInfo entry = {};
    int found = -1;
    // Any other size (a line end, a missing brace) means no identity; asked again next time.
    if (!zip_ || Zip_FindItem(zip_, EntryName(kGuidEntry), true, &entry, &found) != ZipOk ||
        entry.uncompressedSize != kGuidLength)
        return nullptr;
    std::string text;
    if (!ReadEntry(kGuidEntry, text) || text.size() != kGuidLength) return nullptr;
    guid_ = text;
    return guid_.c_str();
}

ImageRef Skin::LoadImage(int index) {
    std::string bytes;
    if (index < kBackground || index >= kEntryCount || !ReadEntry(index, bytes) || bytes.empty()) return nullptr;
    ImageRef image(new (std::nothrow) Image());
    if (!image) return nullptr;
    image->LoadBuffer(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()), 1.0f, 1.0f);
    return image;
}
