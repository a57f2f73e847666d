#include "TodayTranslation.h"
#include "Translator.h"
#include "ZipFileArchive.h"

#include <gtest/gtest.h>

TEST(StartupTexts, NoLanguagePackKeepsTheBuiltInTexts) {
    Translator& translator = Translator::Instance();
    // No archive object at all: nothing is read or closed.
    EXPECT_FALSE(translator.Load(nullptr, true));
    EXPECT_FALSE(translator.IsTranslating());
    EXPECT_EQ(L"Alarms", translator.GetString(30048));
    EXPECT_EQ(L"No pending notifications", translator.GetString(409));
    EXPECT_EQ(L"", translator.GetString(31999));  // no such string

    EXPECT_FALSE(translator.Load(new ZipFileArchive(L"Z:\\nonexistent\\translation.zip"), false));
    EXPECT_EQ(1033, translator.Language());
    EXPECT_EQ(L"Edit...", translator.GetString(30060));
}

TEST(StartupTexts, UnwritableFileIsReportedNotFatal) {
    EXPECT_FALSE(TodayTranslation::WriteTo(L"Z:\\nonexistent\\folder\\today_translation.txt"));
}
