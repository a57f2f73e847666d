// The "SoundSettings" record: exact value names, types and sizes as the raw
// registry shows them, which value wins on load, and what a wrong type leaves.
#include "ItemSoundSettings.h"
#include "RegistryProbe.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const std::wstring kParent = L"Software\\Ostrel\\Orvalen\\Timers\\Items\\-5";
const std::wstring kSound = kParent + L"\\SoundSettings";

RegKeyRef Parent() { return RegKeyRef::Open(kParent.c_str(), HKEY_CURRENT_USER, false); }

}  // namespace

TEST(ItemSoundSettings, BuiltInSoundIsStoredWithAnEmptyPath) {
    using namespace registryprobe;
    ItemSoundSettings saved;
    saved.customres = 201;
    saved.volume = 0xFFFF;
    saved.repeat = 0;
    saved.repsplit = 3;
    saved.asctime = 40;
    saved.respectsys = 1;
    saved.Save(Parent());

    RawValue custom = Read(kSound, L"custom");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), custom.type);
    EXPECT_EQ(2u, custom.bytes.size());
    struct Expect {
        const wchar_t* name;
        DWORD value;
    } expects[] = {{L"customres", 201}, {L"volume", 0xFFFF}, {L"repeat", 0},
                   {L"repsplit", 3},    {L"asctime", 40},    {L"respectsys", 1}};
    for (const Expect& e : expects) {
        RawValue v = Read(kSound, e.name);
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), v.type) << e.name;
        EXPECT_EQ(4u, v.bytes.size()) << e.name;
        EXPECT_EQ(e.value, v.Dword()) << e.name;
    }
    std::set<std::wstring> names;
    for (const std::wstring& n : ValueNames(kSound)) names.insert(n);
    EXPECT_EQ((std::set<std::wstring>{L"custom", L"customres", L"volume", L"repeat", L"repsplit", L"asctime",
                                      L"respectsys"}),
              names);

    ItemSoundSettings loaded;
    ASSERT_TRUE(loaded.Load(Parent()));
    EXPECT_TRUE(saved == loaded);
}

TEST(ItemSoundSettings, FileRoundTripsWithResourceZero) {
    using namespace registryprobe;
    ItemSoundSettings saved;
    saved.builtIn = 0;
    saved.custom.SetCStr(L"\\Storage Card\\Ring tones\\wake.ogg");
    saved.customres = 205;
    saved.Save(Parent());
    RawValue custom = Read(kSound, L"custom");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), custom.type);
    EXPECT_EQ((wcslen(saved.custom.CStr()) + 1) * 2, custom.bytes.size());
    EXPECT_EQ(0u, Read(kSound, L"customres").Dword());

    ItemSoundSettings loaded;
    ASSERT_TRUE(loaded.Load(Parent()));
    EXPECT_EQ(0, loaded.builtIn);
    EXPECT_STREQ(saved.custom.CStr(), loaded.custom.CStr());
    EXPECT_EQ(200, loaded.customres);  // not read for a file: the record's own value stays
}

TEST(ItemSoundSettings, LoadPicksPathOrResourceAndKeepsFieldsOfAnotherType) {
    using namespace registryprobe;
    ItemSoundSettings().Save(Parent());
    WriteText(kSound, L"custom", L"");
    WriteDword(kSound, L"customres", 201);
    DWORD twenty = 20;
    Write(kSound, L"volume", REG_BINARY, &twenty, 4);
    WriteDword(kSound, L"asctime", 0x00050007);  // only the low 16 bits count
    Write(kSound, L"repeat", REG_DWORD, &twenty, 2);

    ItemSoundSettings loaded;
    loaded.builtIn = 0;
    loaded.volume = 61;
    loaded.repeat = 3;
    ASSERT_TRUE(loaded.Load(Parent()));
    EXPECT_EQ(1, loaded.builtIn);
    EXPECT_EQ(201, loaded.customres);
    EXPECT_EQ(61, loaded.volume);
    EXPECT_EQ(7, loaded.asctime);
    EXPECT_EQ(3, loaded.repeat);  // a REG_DWORD of 2 bytes is damage, not a number

    // A path wins over the resource, which is then not read at all.
    WriteText(kSound, L"custom", L"\\x.wav");
    WriteDword(kSound, L"customres", 202);
    ASSERT_TRUE(loaded.Load(Parent()));
    EXPECT_EQ(0, loaded.builtIn);
    EXPECT_STREQ(L"\\x.wav", loaded.custom.CStr());
    EXPECT_EQ(201, loaded.customres);

    // A path stored without its terminator is still read whole and terminated.
    const wchar_t bare[] = {L'\\', L'y', L'.', L'o', L'g', L'g'};
    Write(kSound, L"custom", REG_SZ, bare, sizeof bare);
    ASSERT_TRUE(loaded.Load(Parent()));
    EXPECT_STREQ(L"\\y.ogg", loaded.custom.CStr());
}

TEST(ItemSoundSettings, MissingSubkeyLeavesTheRecordAlone) {
    ItemSoundSettings record;
    record.volume = 12;
    record.builtIn = 0;
    EXPECT_FALSE(record.Load(Parent()));
    EXPECT_EQ(12, record.volume);
    EXPECT_EQ(0, record.builtIn);
    EXPECT_FALSE(registryprobe::KeyExists(kSound));
}

TEST(ItemSoundSettings, ThreadCopyOwnsItsPathWhileAPlainCopyShares) {
    ItemSoundSettings record;
    record.custom.SetCStr(L"\\Sounds");
    ItemSoundSettings shared(record);
    EXPECT_TRUE(shared.custom.SharesBlockWith(record.custom));
    ItemSoundSettings own = record.ThreadCopy();
    EXPECT_FALSE(own.custom.SharesBlockWith(record.custom));
    EXPECT_TRUE(own == record);
    EXPECT_EQ(1, own.custom.RefCount());
}
