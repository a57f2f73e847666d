#include "ProgramSandbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestFiles.h"
#include "TestPaths.h"
#include "TestRegistry.h"
#include "TodayTranslation.h"
#include "Translator.h"
#include "ZipFileArchive.h"

namespace {

// The language packs the framework tests' build made with zip.
std::wstring FrameworkFixture(const wchar_t* name) {
    return testsupport::ExeDir() + L"\\..\\framework\\fixtures\\" + name;
}

}  // namespace

// A pack that cannot be read leaves the built-in English, and the program starts all the same.
TEST(LanguagePackStart, UnreadablePacksLeaveEnglishAndTheProgramStarts) {
    const std::string notAnArchive(4000, 'x');
    for (int variant = 0; variant < 2; ++variant) {
        ProgramSandbox sandbox;
        const std::wstring pack = sandbox.FileInFolder(L"translation.zip");
        if (variant == 0)
            ASSERT_TRUE(CopyFileW(FrameworkFixture(L"translation-damaged.zip").c_str(), pack.c_str(), FALSE));
        else
            ASSERT_TRUE(testsupport::WriteBytes(pack, notAnArchive));

        HANDLE process = sandbox.Start(L"AppRunAfterTimeChange");
        ASSERT_NE(nullptr, process);
        EXPECT_EQ(0u, ProgramSandbox::WaitForExit(process, 30000)) << variant;
        const std::vector<std::wstring> records =
            testsupport::ReadCountedTexts(sandbox.FileInFolder(L"today_translation.txt"));
        ASSERT_EQ(18u, records.size()) << variant;
        EXPECT_EQ(L"Alarms", records[0]);
        EXPECT_EQ(L"Run Orvalen", records[9]);
        EXPECT_EQ(L"Cancel", records[17]);
    }
}

// A German pack beside the program: the Today item's texts come out in German.
TEST(LanguagePackStart, WritesTheTodayTextsInThePacksLanguage) {
    ProgramSandbox sandbox;
    ASSERT_TRUE(CopyFileW(FrameworkFixture(L"translation.zip").c_str(), sandbox.FileInFolder(L"translation.zip").c_str(),
                          FALSE));
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, L"Software\\Ostrel\\Orvalen\\Clock\\Language",
                                                L"LangID", 1031));
    DeleteLocation();
    HANDLE process = sandbox.Start(L"AppRunAfterTimeChange");
    ASSERT_NE(nullptr, process);
    EXPECT_EQ(0u, ProgramSandbox::WaitForExit(process, 30000));
    // The language choice is in this test's registry, which the program sees only once it
    // joins the test's device.
    if (ReadLocation().empty()) GTEST_SKIP() << "the program does not use this test's registry";

    const std::vector<std::wstring> records =
        testsupport::ReadCountedTexts(sandbox.FileInFolder(L"today_translation.txt"));
    ASSERT_EQ(18u, records.size());
    EXPECT_EQ(L"Wecker", records[0]);
    EXPECT_EQ(L"Kurzzeitwecker", records[1]);
    EXPECT_EQ(L"Run Orvalen", records[9]);  // no German text in the pack
    EXPECT_EQ(L"Abbrechen", records[17]);
}

TEST(TodayTranslationPack, HoldsTheTranslatedRecordsInTheirOrder) {
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, L"Software\\Ostrel\\Orvalen\\Clock\\Language",
                                                L"LangID", 1031));
    ASSERT_TRUE(Translator::Instance().Load(new ZipFileArchive(FrameworkFixture(L"translation.zip").c_str()), false));
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
    EXPECT_FALSE(Translator::Instance().Load(new ZipFileArchive(FrameworkFixture(L"translation-damaged.zip").c_str()), true));
    const std::wstring path = testsupport::DeviceRoot() + L"\\today_translation.txt";
    ASSERT_TRUE(TodayTranslation::WriteTo(path.c_str()));
    const std::vector<std::wstring> records = testsupport::ReadCountedTexts(path);
    ASSERT_EQ(18u, records.size());
    EXPECT_EQ(L"Alarms", records[0]);
    EXPECT_EQ(L"No pending notifications", records[15]);
    EXPECT_EQ(L"Cancel", records[17]);
}
