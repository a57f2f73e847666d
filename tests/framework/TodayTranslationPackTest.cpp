#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "TestArchives.h"
#include "TestPaths.h"
#include "TestRegistry.h"
#include "TodayTranslation.h"
#include "Translator.h"
#include "ZipFileArchive.h"

using namespace testarchives;

namespace {

// The records of today_translation.txt; empty when the file is not whole.
std::vector<std::wstring> ReadRecords(const std::wstring& path) {
    const std::string bytes = ReadFileBytes(path);
    std::vector<std::wstring> records;
    size_t position = 0;
    while (position + 4 <= bytes.size()) {
        uint32_t count = 0;
        memcpy(&count, bytes.data() + position, 4);
        position += 4;
        if (count > (bytes.size() - position) / 2) return {};
        std::wstring text(count, L'\0');
        if (count) memcpy(&text[0], bytes.data() + position, count * 2);
        position += count * 2;
        records.push_back(text);
    }
    return position == bytes.size() ? records : std::vector<std::wstring>();
}

}  // namespace

TEST(TodayTranslationPack, HoldsTheTranslatedRecordsInTheirOrder) {
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, L"Software\\Ostrel\\Orvalen\\Clock\\Language",
                                                L"LangID", 1031));
    ASSERT_TRUE(Translator::Instance().Load(new ZipFileArchive(FixturePath(L"translation.zip").c_str()), false));
    const std::wstring path = testsupport::DeviceRoot() + L"\\today_translation.txt";
    ASSERT_TRUE(TodayTranslation::WriteTo(path.c_str()));

    // Translated where the pack has a text, the program's own English elsewhere.
    const std::vector<std::wstring> expected = {
        L"Wecker", L"Kurzzeitwecker", L"Aktiv", L"L\u00F6schen", L"Ton", L"Vibration", L"Anhalten", L"Starten",
        L"Timer neu starten", L"Run Orvalen", L"Schlummern beenden", L"Skip next alarm", L"Wecker hinzuf\u00FCgen",
        L"Add timer", L"Heute", L"Keine anstehenden Benachrichtigungen", L"Bearbeiten...", L"Abbrechen"};
    EXPECT_EQ(expected, ReadRecords(path));
}

TEST(TodayTranslationPack, WithoutAPackHoldsTheBuiltInEnglish) {
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, L"Software\\Ostrel\\Orvalen\\Clock\\Language",
                                                L"LangID", 1031));
    EXPECT_FALSE(Translator::Instance().Load(new ZipFileArchive(FixturePath(L"translation-damaged.zip").c_str()), true));
    const std::wstring path = testsupport::DeviceRoot() + L"\\today_translation.txt";
    ASSERT_TRUE(TodayTranslation::WriteTo(path.c_str()));
    const std::vector<std::wstring> records = ReadRecords(path);
    ASSERT_EQ(18u, records.size());
    EXPECT_EQ(L"Alarms", records[0]);
    EXPECT_EQ(L"No pending notifications", records[15]);
    EXPECT_EQ(L"Cancel", records[17]);
}
