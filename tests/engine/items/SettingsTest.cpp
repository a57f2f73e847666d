// The application settings under "Clock": the defaults of a fresh installation,
// every value written in its type and size and read back, and the damaged values
// that must fall back to defaults without losing the rest.
#include "RegistryProbe.h"
#include "Settings.h"

#include <DeviceFiles.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <chrono>
#include <set>

namespace {

const std::wstring kProduct = L"Software\\Ostrel\\Orvalen";
const std::wstring kClock = kProduct + L"\\Clock";
const std::wstring kScreenSaver = kClock + L"\\ScreenSaver";
const std::wstring kExceptions = kScreenSaver + L"\\Exceptions";
const std::wstring kSlideShow = kScreenSaver + L"\\SlideShow";
const std::wstring kSystem = kClock + L"\\System";
const std::wstring kSnoozeList = kSystem + L"\\SnoozeList";
const std::wstring kDefaults = kClock + L"\\DefaultSettings";

RegKeyRef ProductKey() { return RegKeyRef::Open(kProduct.c_str(), HKEY_CURRENT_USER, false); }

std::vector<std::wstring> Texts(const std::vector<RcString>& list) {
    std::vector<std::wstring> texts;
    for (const RcString& s : list) texts.emplace_back(s.CStr());
    return texts;
}

void ExpectDefaults(const Settings& s) {
    EXPECT_EQ(180, s.screenSaver->Timeout);
    EXPECT_EQ((std::vector<std::wstring>{L"\\Windows\\wmplayer.exe", L"\\Windows\\wceload.exe", L"\\navitel.exe",
                                         L"\\tcpmp.exe"}),
              Texts(s.screenSaver->exceptions));
    EXPECT_EQ(2, s.screenSaver->ShowTypeBT);
    EXPECT_EQ(7, s.screenSaver->slideShow.DelaySec);
    EXPECT_EQ(4, s.system->AutoSnoozeCount);
    EXPECT_EQ(1, s.system->VibrationOn);
    EXPECT_EQ(1, s.system->StopwatchKeepDevice);
    EXPECT_EQ((std::vector<int32_t>{300, 600, 1200, 1800, 3600}), s.system->SnoozeList);
    EXPECT_EQ(2, s.system->PluginHeight);
    EXPECT_TRUE(*s.defaultSoundSettings == ItemSoundSettings());
    EXPECT_TRUE(*s.defaultVibrationSettings == ItemVibrationSettings());
}

void Change(Settings& s) {
    ScreenSaverSettings& saver = *s.screenSaver;
    saver.Active = 1;
    saver.Timeout = 95;
    saver.UseExceptions = 0;
    saver.exceptions = {RcString(L"\\a.exe"), RcString(L"\\Program Files\\b c\\d.exe")};
    saver.LockType = 2;
    saver.ShowTypeBT = 0;
    saver.ShowTypeDC = 1;
    saver.UnlockOnCall = 0;
    saver.OnlyAtHome = 1;
    saver.RunAtSystem = 1;
    saver.slideShow.Folder.SetCStr(L"\\Storage Card\\Photos");
    saver.slideShow.DelayMin = 2;
    saver.slideShow.DelaySec = 45;
    saver.slideShow.Effect = 1;
    saver.slideShow.Size = 0;
    saver.slideShow.Shuffle = 1;
    saver.slideShow.Optimize = 1;
    SystemSettings& sys = *s.system;
    sys.AutoSnoozeCount = 9;
    sys.CloseOnMinimize = 1;
    sys.StopwatchKeepDevice = 0;
    sys.NoACVibro = 1;
    sys.ObeyPowerSettings = 1;
    sys.DeleteOnceAlarms = 1;
    sys.VibrationOn = 0;
    sys.NotificationStyle = 1;
    sys.SnoozeList = {60, 120, 180, 240, 7200};
    sys.PluginHeight = 5;
    s.defaultSoundSettings->customres = 203;
    s.defaultSoundSettings->volume = 100;
    s.defaultVibrationSettings->CycleOffTime = 1000;
}

}  // namespace

TEST(Settings, FreshInstallationHasTheDefaults) {
    Settings fresh;
    ExpectDefaults(fresh);
    Settings loaded;
    loaded.Load(ProductKey(), true);
    ExpectDefaults(loaded);
    // Without "Clock" nothing is read and nothing is created.
    EXPECT_FALSE(registryprobe::KeyExists(kClock));
}

TEST(Settings, EveryValueRoundTripsInItsTypeAndSize) {
    Settings saved;
    Change(saved);
    saved.Save(ProductKey());
    // Loading what was saved and saving it again under another key gives the same tree.
    Settings loaded;
    loaded.Load(ProductKey(), true);
    const std::wstring kCopy = L"Software\\Ostrel\\Copy";
    loaded.Save(RegKeyRef::Open(kCopy.c_str(), HKEY_CURRENT_USER, false));
    auto original = registryprobe::Tree(kClock);
    EXPECT_EQ(original.size(), registryprobe::Tree(kCopy + L"\\Clock").size());
    EXPECT_TRUE(original == registryprobe::Tree(kCopy + L"\\Clock"));
    EXPECT_EQ(Texts(saved.screenSaver->exceptions), Texts(loaded.screenSaver->exceptions));
    EXPECT_EQ(saved.system->SnoozeList, loaded.system->SnoozeList);

    using namespace registryprobe;
    struct Expect {
        const std::wstring& key;
        const wchar_t* name;
        DWORD type;
        size_t size;
    } expects[] = {
        {kScreenSaver, L"Active", REG_DWORD, 4},       {kScreenSaver, L"Timeout", REG_BINARY, 4},
        {kScreenSaver, L"UseExceptions", REG_DWORD, 4}, {kScreenSaver, L"LockType", REG_BINARY, 4},
        {kScreenSaver, L"UnlockOnCall", REG_DWORD, 4},  {kScreenSaver, L"ShowTypeBT", REG_BINARY, 4},
        {kScreenSaver, L"ShowTypeDC", REG_BINARY, 4},   {kScreenSaver, L"OnlyAtHome", REG_DWORD, 4},
        {kScreenSaver, L"RunAtSystem", REG_DWORD, 4},   {kExceptions, L"Number", REG_DWORD, 4},
        {kExceptions, L"0", REG_SZ, 14},                {kSlideShow, L"DelayMin", REG_BINARY, 2},
        {kSlideShow, L"DelaySec", REG_BINARY, 2},       {kSlideShow, L"Effect", REG_BINARY, 4},
        {kSlideShow, L"Size", REG_BINARY, 4},           {kSlideShow, L"Shuffle", REG_DWORD, 4},
        {kSlideShow, L"Optimize", REG_DWORD, 4},        {kSystem, L"CloseOnMinimize", REG_DWORD, 4},
        {kSystem, L"NotificationStyle", REG_DWORD, 4},  {kSystem, L"PluginHeight", REG_DWORD, 4},
        {kSystem, L"AutoSnoozeCount", REG_DWORD, 4},    {kSystem, L"NoACVibro", REG_DWORD, 4},
        {kSystem, L"ObeyPowerSettings", REG_DWORD, 4},  {kSystem, L"VibrationOn", REG_DWORD, 4},
        {kSystem, L"StopwatchKeepDevice", REG_DWORD, 4}, {kSystem, L"DeleteOnceAlarms", REG_DWORD, 4},
        {kSnoozeList, L"0", REG_BINARY, 4},             {kSnoozeList, L"4", REG_BINARY, 4},
    };
    for (const Expect& e : expects) {
        RawValue v = Read(e.key, e.name);
        EXPECT_TRUE(v.exists) << e.name;
        EXPECT_EQ(e.type, v.type) << e.name;
        EXPECT_EQ(e.size, v.bytes.size()) << e.name;
    }
    EXPECT_EQ(45u, Read(kSlideShow, L"DelaySec").Word());
    EXPECT_EQ(7200u, Read(kSnoozeList, L"4").Dword());
    EXPECT_EQ(2u, Read(kExceptions, L"Number").Dword());
    EXPECT_EQ(std::wstring(L"\\Storage Card\\Photos", 20) + L'\0', Read(kSlideShow, L"Folder").Text());
    EXPECT_EQ(203u, Read(kDefaults + L"\\SoundSettings", L"customres").Dword());
    EXPECT_EQ(1000u, Read(kDefaults + L"\\VibrationSettings", L"CycleOffTime").Word());
}

TEST(Settings, StoredValuesTheLoadCorrects) {
    using namespace registryprobe;
    Settings saved;
    saved.screenSaver->LockType = 2;
    saved.Save(ProductKey());
    WriteDword(kSystem, L"NotificationStyle", 5);
    Delete(kSnoozeList, L"0");
    Delete(kSnoozeList, L"2");
    DWORD nine = 900;
    Write(kSnoozeList, L"1", REG_BINARY, &nine, 4);
    WriteDword(kSnoozeList, L"5", 1);  // beyond the built-in list: never read
    WriteDword(kExceptions, L"Number", 0);

    Settings loaded;
    loaded.Load(ProductKey(), true);
    EXPECT_EQ(1, loaded.system->NotificationStyle);
    EXPECT_EQ((std::vector<int32_t>{300, 900, 1200, 1800, 3600}), loaded.system->SnoozeList);
    EXPECT_TRUE(loaded.screenSaver->exceptions.empty());
    EXPECT_EQ(2, loaded.screenSaver->LockType);

    // Without the user-activity driver the screen saver cannot lock.
    Settings noDriver;
    noDriver.Load(ProductKey(), false);
    EXPECT_EQ(0, noDriver.screenSaver->LockType);
}

TEST(Settings, WrongSizedOrMissingValuesFallBackToTheirDefaults) {
    using namespace registryprobe;
    Settings saved;
    Change(saved);
    saved.Save(ProductKey());
    const BYTE two[2] = {1, 0};
    const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    Write(kScreenSaver, L"Timeout", REG_BINARY, two, 2);
    Write(kScreenSaver, L"ShowTypeBT", REG_DWORD, eight, 8);
    Delete(kScreenSaver, L"Active");
    Write(kSlideShow, L"DelaySec", REG_BINARY, eight, 4);
    WriteText(kSlideShow, L"Folder", L"");
    Write(kSystem, L"PluginHeight", REG_BINARY, two, 1);
    WriteText(kSnoozeList, L"3", L"xy");
    // A number stored as text of 4 bytes is read by its bytes, as the device does.
    Write(kSystem, L"AutoSnoozeCount", REG_SZ, "\x07\x00\x00\x00", 4);

    Settings loaded;
    loaded.Load(ProductKey(), true);
    EXPECT_EQ(180, loaded.screenSaver->Timeout);
    EXPECT_EQ(2, loaded.screenSaver->ShowTypeBT);
    EXPECT_EQ(0, loaded.screenSaver->Active);
    EXPECT_EQ(7, loaded.screenSaver->slideShow.DelaySec);
    EXPECT_STREQ(SlideShowSettings::DefaultFolder().CStr(), loaded.screenSaver->slideShow.Folder.CStr());
    EXPECT_EQ(2, loaded.system->PluginHeight);
    EXPECT_EQ(1800, loaded.system->SnoozeList[3]);
    EXPECT_EQ(7, loaded.system->AutoSnoozeCount);
    // Everything else survived.
    EXPECT_EQ(0, loaded.screenSaver->UseExceptions);
    EXPECT_EQ(2, loaded.screenSaver->slideShow.DelayMin);
    EXPECT_EQ(1, loaded.system->DeleteOnceAlarms);
    EXPECT_EQ(7200, loaded.system->SnoozeList[4]);
}

TEST(Settings, DamagedExceptionListLoadsQuicklyAndBounded) {
    using namespace registryprobe;
    Settings saved;
    saved.Save(ProductKey());
    WriteDword(kExceptions, L"Number", 0x7FFFFFFF);
    std::wstring longPath(300, L'p');
    WriteText(kExceptions, L"1", longPath);
    // A text without its terminator.
    const wchar_t bare[] = {L'\\', L'x', L'.', L'e', L'x', L'e'};
    Write(kExceptions, L"2", REG_SZ, bare, sizeof bare);
    Write(kExceptions, L"3", REG_DWORD, "\x01\x00\x00\x00", 4);

    auto start = std::chrono::steady_clock::now();
    Settings loaded;
    loaded.Load(ProductKey(), true);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::seconds(5));
    std::vector<std::wstring> list = Texts(loaded.screenSaver->exceptions);
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ(L"\\Windows\\wmplayer.exe", list[0]);
    EXPECT_EQ(std::wstring(ScreenSaverSettings::kMaxExceptionChars, L'p'), list[1]);
    EXPECT_EQ(L"\\x.exe", list[2]);

    // A negative count keeps the built-in list.
    WriteDword(kExceptions, L"Number", 0xFFFFFFFF);
    Settings negative;
    negative.Load(ProductKey(), true);
    EXPECT_EQ(4u, negative.screenSaver->exceptions.size());
}

TEST(Settings, SystemKeyMissingKeepsTheSystemDefaults) {
    Settings saved;
    Change(saved);
    saved.Save(ProductKey());
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, kSystem.c_str()));
    RegDeleteKeyW(HKEY_CURRENT_USER, kSystem.c_str());
    Settings loaded;
    loaded.Load(ProductKey(), true);
    EXPECT_EQ(4, loaded.system->AutoSnoozeCount);
    EXPECT_EQ((std::vector<int32_t>{300, 600, 1200, 1800, 3600}), loaded.system->SnoozeList);
    EXPECT_FALSE(registryprobe::KeyExists(kSystem));
    EXPECT_EQ(95, loaded.screenSaver->Timeout);
}

TEST(Settings, SlideShowFolderDefaultsToThePicturesFolder) {
    wchar_t windows[MAX_PATH], personal[MAX_PATH];
    ASSERT_TRUE(Device_GetSpecialFolderPath(CSIDL_WINDOWS, windows, MAX_PATH, TRUE));
    // No personal folder yet on a fresh device: the Windows folder.
    if (!Device_GetSpecialFolderPath(CSIDL_PERSONAL, personal, MAX_PATH, FALSE)) {
        EXPECT_STREQ(windows, SlideShowSettings::DefaultFolder().CStr());
    }

    ASSERT_TRUE(Device_GetSpecialFolderPath(CSIDL_PERSONAL, personal, MAX_PATH, TRUE));
    EXPECT_STREQ(personal, SlideShowSettings::DefaultFolder().CStr());

    std::wstring pictures = std::wstring(personal) + L"\\My Pictures";
    ASSERT_TRUE(CreateDirectoryW(pictures.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    EXPECT_STREQ(pictures.c_str(), SlideShowSettings::DefaultFolder().CStr());
    EXPECT_STREQ(pictures.c_str(), SlideShowSettings().Folder.CStr());
}
