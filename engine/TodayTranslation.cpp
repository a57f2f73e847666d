#include "TodayTranslation.h"

#include "App.h"
#include "FileReplace.h"
#include "Translator.h"

static_assert(sizeof(uint32_t) == 4 && sizeof(wchar_t) == 2, "records hold 4-byte counts of 2-byte units");

const UINT TodayTranslation::kStringIds[kRecordCount] = {
    30048, 30080, 30055, 30102, 30051, 30059, 30091, 30089, 376,
    407,   339,   406,   235,   240,   408,   409,   30060, 30031,
};

std::wstring TodayTranslation::Path() {
    return App::ProgramFolderFile(TodayTranslationFile::kFileName);
}

bool TodayTranslation::Write() {
    return WriteTo(Path().c_str());
}

bool TodayTranslation::WriteTo(const wchar_t* path) {
    // The Today item reads the file at any moment: it is replaced whole, never rewritten in place.
    std::string bytes;
    for (UINT id : kStringIds) {
        const std::wstring text = Translator::Instance().GetString(id);
        const uint32_t count = static_cast<uint32_t>(text.size());
        bytes.append(reinterpret_cast<const char*>(&count), sizeof count);
        bytes.append(reinterpret_cast<const char*>(text.data()), count * sizeof(wchar_t));
    }
    return File_Replace(path, bytes);
}
