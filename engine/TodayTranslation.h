#pragma once
// Writes today_translation.txt beside the program: the Today item's 18 texts in the
// current language (the layout is in TodayTranslationFile.h).
#include "TodayTranslationFile.h"

#include <windows.h>
#include <cstdint>
#include <string>

class TodayTranslation {
public:
    static constexpr int kRecordCount = TodayTranslationFile::kRecordCount;
    // String ids in the order of the Today item's text slots 0 to 17.
    static const UINT kStringIds[kRecordCount];

    // The file beside the program.
    static std::wstring Path();
    // Writes the file anew; false when it could not be written whole.
    static bool Write();
    static bool WriteTo(const wchar_t* path);
};
