#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestArchives.h"
#include "TestFiles.h"
#include "TestPaths.h"
#include "TestRegistry.h"
#include "TodayTranslation.h"
#include "Translator.h"
#include "ZipFileArchive.h"

using namespace testarchives;

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
    EXPECT_EQ(expected, testsupport::ReadCountedTexts(path));
}

TEST(TodayTranslationPack, WithoutAPackHoldsTheBuiltInEnglish) {
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, L"Software\\Ostrel\\Orvalen\\Clock\\Language",
                                                L"LangID", 1031));
    EXPECT_FALSE(Translator::Instance().Load(new ZipFileArchive(FixturePath(L"translation-damaged.zip").c_str()), true));
    const std::wstring path = testsupport::DeviceRoot() + L"\\today_translation.txt";
    ASSERT_TRUE(TodayTranslation::WriteTo(path.c_str()));
    const std::vector<std::wstring> records = testsupport::ReadCountedTexts(path);
    ASSERT_EQ(18u, records.size());
    EXPECT_EQ(L"Alarms", records[0]);
    EXPECT_EQ(L"No pending notifications", records[15]);
    EXPECT_EQ(L"Cancel", records[17]);
}
