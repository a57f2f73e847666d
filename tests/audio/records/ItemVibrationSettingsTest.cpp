// The "VibrationSettings" record: two flags as REG_DWORD, four times as 2-byte
// REG_BINARY, each unreadable value taking its own default.
#include "ItemVibrationSettings.h"
#include "RegistryProbe.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kParent = L"Software\\Ostrel\\Orvalen\\Clock\\DefaultSettings";
const std::wstring kVibration = kParent + L"\\VibrationSettings";

RegKeyRef Parent() { return RegKeyRef::Open(kParent.c_str(), HKEY_CURRENT_USER, false); }

}  // namespace

TEST(ItemVibrationSettings, ValuesAreStoredInTheirTypesAndSizes) {
    using namespace registryprobe;
    ItemVibrationSettings saved;
    saved.bFixedVibrationTime = 1;
    saved.bStartVibrateBeforeSound = 1;
    saved.VibrateBeforeSoundTime = 9;
    saved.FixedVibrationTime = 30;
    saved.CycleOnTime = 0xABCD;
    saved.CycleOffTime = 150;
    saved.Save(Parent());

    for (const wchar_t* name : {L"bFixedVibrationTime", L"bStartVibrateBeforeSound"}) {
        RawValue v = Read(kVibration, name);
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), v.type) << name;
        EXPECT_EQ(1u, v.Dword()) << name;
    }
    struct Expect {
        const wchar_t* name;
        unsigned value;
    } expects[] = {{L"FixedVibrationTime", 30}, {L"CycleOnTime", 0xABCD}, {L"CycleOffTime", 150},
                   {L"VibrateBeforeSoundTime", 9}};
    for (const Expect& e : expects) {
        RawValue v = Read(kVibration, e.name);
        EXPECT_EQ(static_cast<DWORD>(REG_BINARY), v.type) << e.name;
        EXPECT_EQ(2u, v.bytes.size()) << e.name;
        EXPECT_EQ(e.value, v.Word()) << e.name;
    }
    EXPECT_EQ(6u, ValueNames(kVibration).size());

    // Read back, the cycle times are brought within what the cycle dialog offers.
    ItemVibrationSettings loaded;
    ASSERT_TRUE(loaded.Load(Parent()));
    EXPECT_EQ(2000, loaded.CycleOnTime);
    loaded.CycleOnTime = saved.CycleOnTime;
    EXPECT_TRUE(saved == loaded);
    saved.CycleOnTime = 0;
    saved.CycleOffTime = 99;
    saved.Save(Parent());
    ASSERT_TRUE(loaded.Load(Parent()));
    EXPECT_EQ(100, loaded.CycleOnTime);
    EXPECT_EQ(100, loaded.CycleOffTime);
}

TEST(ItemVibrationSettings, UnreadableValuesTakeTheirDefaults) {
    using namespace registryprobe;
    ItemVibrationSettings saved;
    saved.bFixedVibrationTime = 1;
    saved.CycleOnTime = 1;
    saved.CycleOffTime = 2;
    saved.FixedVibrationTime = 3;
    saved.VibrateBeforeSoundTime = 4;
    saved.Save(Parent());
    WriteDword(kVibration, L"CycleOnTime", 1234);  // 4 bytes: too long for the 2-byte read
    Write(kVibration, L"CycleOffTime", REG_BINARY, "\x05", 1);
    Delete(kVibration, L"FixedVibrationTime");
    Write(kVibration, L"VibrateBeforeSoundTime", REG_DWORD, "\x08\x00", 2);  // any type, 2 bytes
    Write(kVibration, L"bFixedVibrationTime", REG_BINARY, "\x01\x00", 2);

    ItemVibrationSettings loaded;
    loaded.CycleOnTime = 1;
    loaded.bFixedVibrationTime = 1;
    ASSERT_TRUE(loaded.Load(Parent()));
    EXPECT_EQ(600, loaded.CycleOnTime);
    EXPECT_EQ(400, loaded.CycleOffTime);
    EXPECT_EQ(5, loaded.FixedVibrationTime);
    EXPECT_EQ(8, loaded.VibrateBeforeSoundTime);
    EXPECT_EQ(0, loaded.bFixedVibrationTime);
}

// A lead before the sound or a fixed time beyond what the vibration page offers (an
// import, a damaged value): the lead is none, so it cannot hold the sound back for hours,
// and the fixed time the page's longest; so they read, and so a ring uses them.
TEST(ItemVibrationSettings, TimesBeyondTheEditorsRangeAreBounded) {
    struct Case {
        uint16_t lead, fixed, readLead, readFixed;
    } cases[] = {{0xFFFF, 0xFFFF, 0, 600}, {301, 601, 0, 600}, {300, 600, 300, 600}, {0, 0, 0, 0}};
    for (const Case& c : cases) {
        ItemVibrationSettings saved;
        saved.VibrateBeforeSoundTime = c.lead;
        saved.FixedVibrationTime = c.fixed;
        EXPECT_EQ(c.readLead, saved.LeadSeconds()) << c.lead;
        EXPECT_EQ(c.readFixed, saved.FixedSeconds()) << c.fixed;
        saved.Save(Parent());
        ItemVibrationSettings loaded;
        ASSERT_TRUE(loaded.Load(Parent()));
        EXPECT_EQ(c.readLead, loaded.VibrateBeforeSoundTime) << c.lead;
        EXPECT_EQ(c.readFixed, loaded.FixedVibrationTime) << c.fixed;
    }
}

TEST(ItemVibrationSettings, MissingSubkeyLeavesTheRecordAlone) {
    ItemVibrationSettings record;
    record.CycleOnTime = 77;
    record.bStartVibrateBeforeSound = 1;
    EXPECT_FALSE(record.Load(Parent()));
    EXPECT_EQ(77, record.CycleOnTime);
    EXPECT_EQ(1, record.bStartVibrateBeforeSound);
    EXPECT_FALSE(registryprobe::KeyExists(kVibration));
}
