// The Today item's texts from the file beside the program, and what a damaged file leaves.
#include "TodayTextTable.h"
#include "TestSupport.h"
#include "TodayTestStore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::string Count(uint32_t count) { return std::string(reinterpret_cast<const char*>(&count), sizeof count); }
std::string Units(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}
std::string Record(const std::wstring& text) { return Count(static_cast<uint32_t>(text.size())) + Units(text); }

class TodayTexts : public testsupport::FreshDeviceTest {
protected:
    void SetUp() override {
        FreshDeviceTest::SetUp();
        folder_ = testsupport::DevicePath(L"\\Program Files\\Orvalen");
        CreateDirectoryW(testsupport::DevicePath(L"\\Program Files").c_str(), nullptr);
        CreateDirectoryW(folder_.c_str(), nullptr);
        ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_CURRENT_USER, todaytest::kProduct, L"Location",
                                                     folder_ + L"\\Orvalen.exe"));
    }
    int Load(const std::string& bytes) {
        EXPECT_TRUE(testsupport::WriteBytes(folder_ + L"\\today_translation.txt", bytes));
        return table_.LoadBesideProgram();
    }
    void ExpectDefaultsFrom(int slot) {
        for (; slot < TodayTextTable::kSlotCount; ++slot)
            EXPECT_EQ(TodayTextTable::DefaultText(static_cast<TodayTextTable::Slot>(slot)),
                      table_.Text(static_cast<TodayTextTable::Slot>(slot))) << slot;
    }

    std::wstring folder_;
    TodayTextTable table_;
};

}  // namespace

TEST_F(TodayTexts, RecordsReplaceTheirSlotsInOrder) {
    std::string five;
    const std::wstring german[] = {L"Wecker", L"Kurzzeitwecker", L"Aktiv", L"L\u00F6schen", L""};
    for (const std::wstring& text : german) five += Record(text);
    EXPECT_EQ(5, Load(five));
    for (int slot = 0; slot < 5; ++slot) EXPECT_EQ(german[slot], table_.Text(static_cast<TodayTextTable::Slot>(slot)));
    ExpectDefaultsFrom(5);

    // Nineteen records: the eighteenth is the last one read.
    std::string nineteen;
    for (int i = 0; i < 19; ++i) nineteen += Record(L"t" + std::to_wstring(i));
    EXPECT_EQ(18, Load(nineteen));
    EXPECT_EQ(L"t17", table_.Text(TodayTextTable::kCancel));
}

TEST_F(TodayTexts, ADamagedRecordKeepsItsSlotAndTheRestBuiltIn) {
    const std::string good = Record(L"Wecker") + Record(L"Kurzzeitwecker");
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"count whose byte size wraps to 2", good + Count(0x80000001u) + Units(L"x") + Record(L"Aktiv")},
        {"huge count", good + Count(0x7FFFFFFFu) + Record(L"Aktiv")},
        {"count past the cap", good + Count(TodayTextTable::kMaxRecordChars + 1) +
                                   Units(std::wstring(TodayTextTable::kMaxRecordChars + 1, L'x'))},
        {"short record", good + Count(40) + Units(L"nur ein Teil")},
        {"torn count", good + std::string("\x05\x00", 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(2, Load(c.bytes));
        EXPECT_EQ(L"Kurzzeitwecker", table_.Text(TodayTextTable::kTimers));
        ExpectDefaultsFrom(2);
    }
}

TEST_F(TodayTexts, WithoutAUsableLocationTheBuiltInTextsStand) {
    ASSERT_TRUE(testsupport::WriteBytes(folder_ + L"\\today_translation.txt", Record(L"Wecker")));
    ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_CURRENT_USER, todaytest::kProduct, L"Location",
                                                 folder_ + L"\\Orvalen.exe", REG_EXPAND_SZ));
    EXPECT_EQ(0, table_.LoadBesideProgram());
    ExpectDefaultsFrom(0);
    EXPECT_EQ(L"Run the Orvalen", table_.Text(TodayTextTable::kRunProgram));
    // A value without a backslash is taken whole, file name glued on: no such file.
    ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_CURRENT_USER, todaytest::kProduct, L"Location", L"Orvalen.exe"));
    EXPECT_EQ(0, table_.LoadBesideProgram());
}
