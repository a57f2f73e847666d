#include "TodayTranslation.h"

#include "App.h"
#include "Translator.h"

#include <cstdio>

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
    FILE* file = _wfopen(path, L"wb");
    if (!file) return false;
    bool ok = true;
    for (UINT id : kStringIds) {
        std::wstring text = Translator::Instance().GetString(id);
        uint32_t count = static_cast<uint32_t>(text.size());
        ok = ok && fwrite(&count, sizeof count, 1, file) == 1;
        ok = ok && (count == 0 || fwrite(text.data(), sizeof(wchar_t), count, file) == count);
    }
    return fclose(file) == 0 && ok;
}
