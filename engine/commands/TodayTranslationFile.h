#pragma once
// today_translation.txt, what the program leaves beside itself for the Today item: the
// item's texts in the program's language, one record per text slot, each a 32-bit
// little-endian count of UTF-16 units followed by those units, without terminators and
// with nothing between records. The program writes it; the Today item reads it.
struct TodayTranslationFile {
    static constexpr wchar_t kFileName[] = L"today_translation.txt";
    static constexpr int kRecordCount = 18;
};
