#include "CopyDataCommand.h"

#include <gtest/gtest.h>
#include <string>

TEST(CopyDataCommand, RecordCarriesTextWithItsTerminator) {
    CopyDataCommand command(L"timer_start 4294967295");
    EXPECT_EQ(1370u, command.Record().dwData);
    EXPECT_EQ((22u + 1) * 2, command.Record().cbData);

    CopyDataCommand empty(L"");
    EXPECT_EQ(2u, empty.Record().cbData);
    EXPECT_EQ(0, static_cast<const wchar_t*>(empty.Record().lpData)[0]);
    EXPECT_EQ(2u, CopyDataCommand(nullptr).Record().cbData);
}

TEST(CopyDataCommand, OnlyWellFormedRecordsAreCommands) {
    std::wstring text;
    COPYDATASTRUCT record = CopyDataCommand(L"alarms").Record();
    ASSERT_TRUE(CopyDataCommand::TextOf(&record, text));
    EXPECT_EQ(L"alarms", text);
    // The text ends at its first terminator.
    const wchar_t twoParts[] = L"new_alarm\0junk";
    record = {1370, sizeof twoParts, const_cast<wchar_t*>(twoParts)};
    ASSERT_TRUE(CopyDataCommand::TextOf(&record, text));
    EXPECT_EQ(L"new_alarm", text);
    record = {1370, 2, const_cast<wchar_t*>(L"")};
    ASSERT_TRUE(CopyDataCommand::TextOf(&record, text));
    EXPECT_EQ(L"", text);

    // The terminator sits just past cbData: it must not be found there.
    const wchar_t abc[] = L"abc";
    struct Case {
        const char* what;
        ULONG_PTR dwData;
        DWORD cbData;
        const void* data;
    } rejected[] = {
        {"another dwData", 1371, sizeof abc, abc},
        {"no terminator within cbData", 1370, 6, abc},
        {"odd byte count", 1370, 7, abc},
        {"shorter than a terminator", 1370, 1, abc},
        {"empty", 1370, 0, abc},
        {"no data", 1370, 100, nullptr},
    };
    for (const Case& c : rejected) {
        record = {c.dwData, c.cbData, const_cast<void*>(c.data)};
        text = L"stale";
        EXPECT_FALSE(CopyDataCommand::TextOf(&record, text)) << c.what;
        EXPECT_EQ(L"", text) << c.what;
    }
    EXPECT_FALSE(CopyDataCommand::TextOf(nullptr, text));
}
