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

TEST(CopyDataCommand, ReceivedTextStaysInsideTheRecord) {
    std::wstring text;
    COPYDATASTRUCT record = CopyDataCommand(L"alarms").Record();
    ASSERT_TRUE(CopyDataCommand::TextOf(&record, text));
    EXPECT_EQ(L"alarms", text);

    // Another dwData is no command.
    record.dwData = 1371;
    EXPECT_FALSE(CopyDataCommand::TextOf(&record, text));
    EXPECT_FALSE(CopyDataCommand::TextOf(nullptr, text));

    // A sender that leaves out the terminator or sends an odd byte count: only whole units inside cbData.
    const wchar_t unterminated[] = {L'a', L'b', L'c', L'X'};
    record = {1370, 7, const_cast<wchar_t*>(unterminated)};
    ASSERT_TRUE(CopyDataCommand::TextOf(&record, text));
    EXPECT_EQ(L"abc", text);

    // The text ends at its first terminator; empty and null data give an empty command.
    const wchar_t twoParts[] = L"new_alarm\0junk";
    record = {1370, sizeof twoParts, const_cast<wchar_t*>(twoParts)};
    ASSERT_TRUE(CopyDataCommand::TextOf(&record, text));
    EXPECT_EQ(L"new_alarm", text);
    record = {1370, 0, nullptr};
    ASSERT_TRUE(CopyDataCommand::TextOf(&record, text));
    EXPECT_EQ(L"", text);
    record = {1370, 100, nullptr};
    ASSERT_TRUE(CopyDataCommand::TextOf(&record, text));
    EXPECT_EQ(L"", text);
}
