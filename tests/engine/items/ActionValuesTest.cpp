// The action family's values: the factory's classes, what each stores under its
// item's key (names, types, sizes), what it loads back, and deep copies.
#include "Action.h"
#include "AtomicSyncActionSettings.h"
#include "BthOnAction.h"
#include "ChangeTimeZoneAction.h"
#include "ChangeVolumeAction.h"
#include "DisableFlightModeAction.h"
#include "ExecuteAction.h"
#include "RegistryProbe.h"
#include "SMSAction.h"
#include "StartTimerAction.h"
#include "StopTimerAction.h"

#include <gtest/gtest.h>

#include <typeinfo>

namespace {

const std::wstring kItemKey = L"Software\\Ostrel\\Orvalen\\Alarms\\Items\\7";

RegKeyRef ItemKey() { return RegKeyRef::Open(kItemKey.c_str(), HKEY_CURRENT_USER, false); }

registryprobe::RawValue Raw(const wchar_t* subkey, const wchar_t* name) {
    return registryprobe::Read(kItemKey + L"\\" + subkey, name);
}

void ExpectDword(const wchar_t* subkey, const wchar_t* name, DWORD value) {
    registryprobe::RawValue raw = Raw(subkey, name);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), raw.type) << name;
    EXPECT_EQ(4u, raw.bytes.size()) << name;
    EXPECT_EQ(value, raw.Dword()) << name;
}

void ExpectText(const wchar_t* subkey, const wchar_t* name, const std::wstring& text) {
    registryprobe::RawValue raw = Raw(subkey, name);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), raw.type) << name;
    EXPECT_EQ(text + L'\0', raw.Text()) << name;
}

template <class Concrete>
Concrete& As(const boost::shared_ptr<Action>& action) {
    return dynamic_cast<Concrete&>(*action);
}

}  // namespace

TEST(ActionValues, TheFactoryMakesTheClassOfEveryTypeAndNoneForTheRest) {
    struct Row {
        int type;
        int nameId;
        bool hasSettings;
    } rows[] = {{1, 30128, true},  {2, 30133, false},  {3, 30130, false}, {4, 30131, true},  {5, 30132, false},
                {6, 30153, true},  {8, 30154, false},  {9, 30155, true},  {10, 336, true},   {11, 388, false},
                {12, 389, false},  {13, 30019, true},  {14, 401, false},  {15, 403, false},  {16, 30020, true},
                {17, 414, true},   {18, 417, false},   {19, 418, true}};
    for (const Row& row : rows) {
        boost::shared_ptr<Action> action = Action_Create(row.type);
        ASSERT_TRUE(action) << row.type;
        EXPECT_NE(typeid(Action), typeid(*action)) << row.type;
        EXPECT_EQ(row.nameId, action->NameStringId()) << row.type;
        EXPECT_EQ(row.hasSettings, action->HasSettings()) << row.type;
        // No editors without the program's screens, and the clock sync has none at all.
        EXPECT_FALSE(action->EditSettings(nullptr)) << row.type;
        // Clone keeps the class.
        boost::shared_ptr<Action> copy = action->Clone();
        EXPECT_EQ(typeid(*action), typeid(*copy)) << row.type;
        EXPECT_NE(action.get(), copy.get());
    }
    for (int type : {0, 7, 20, -1, 1000}) {
        boost::shared_ptr<Action> none = Action_Create(type);
        EXPECT_EQ(typeid(Action), typeid(*none)) << type;
        EXPECT_EQ(30127, none->NameStringId()) << type;
        EXPECT_FALSE(none->HasSettings());
        EXPECT_FALSE(none->Execute());
    }
}

TEST(ActionValues, EveryClassStoresItsValuesUnderItsOwnSubkeyAndReadsThemBack) {
    ExecuteAction execute;
    execute.CommandLine.SetCStr(L"\"\\Program Files\\x.exe\" -a");
    execute.RunOnDismiss = 1;
    BthOnAction bluetooth;
    bluetooth.Discoverable = 1;
    SMSAction sms;
    sms.Message.SetCStr(L"Wake up");
    sms.To.SetCStr(L"Ann");
    sms.Number.SetCStr(L"+4912345");
    sms.DeliveryNotification = 1;
    DisableFlightModeAction flight;
    flight.code.SetCStr(L"1234");
    ChangeTimeZoneAction zone;
    zone.ZoneIndex = 42;
    StartTimerAction start;
    start.TimerHash = -77;
    StopTimerAction stop;
    stop.TimerHash = 88;
    AtomicSyncActionSettings sync;
    sync.Server = 5;
    sync.LastSync = {0x89ABCDEF, 0x01234567};
    ChangeVolumeAction volume;
    volume.Type = ChangeVolumeAction::kTypeOff;
    volume.Vol = 35;
    volume.RingVol = 90;
    for (Action* action : std::initializer_list<Action*>{&execute, &bluetooth, &sms, &flight, &zone, &start, &stop,
                                                         &sync, &volume})
        ASSERT_TRUE(action->Save(ItemKey()));

    ExpectText(L"ExecuteAction", L"CommandLine", L"\"\\Program Files\\x.exe\" -a");
    ExpectDword(L"ExecuteAction", L"RunOnDismiss", 1);
    ExpectDword(L"BthOnAction", L"Discoverable", 1);
    ExpectText(L"SMSAction", L"Message", L"Wake up");
    ExpectText(L"SMSAction", L"To", L"Ann");
    ExpectText(L"SMSAction", L"Number", L"+4912345");
    ExpectDword(L"SMSAction", L"DeliveryNotification", 1);
    ExpectText(L"DisableFlightMode", L"code", L"1234");
    ExpectDword(L"ChangeTimeZoneAction", L"ZoneIndex", 42);
    ExpectDword(L"StartTimerAction", L"TimerHash", static_cast<DWORD>(-77));
    ExpectDword(L"StopTimerAction", L"TimerHash", 88);
    ExpectDword(L"AtomicSyncActionSettings", L"Server", 5);
    registryprobe::RawValue lastSync = Raw(L"AtomicSyncActionSettings", L"LastSync");
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), lastSync.type);
    ASSERT_EQ(8u, lastSync.bytes.size());
    EXPECT_EQ(0x0123456789ABCDEFull, *reinterpret_cast<const uint64_t*>(lastSync.bytes.data()));
    registryprobe::RawValue type = Raw(L"ChangeVolume", L"Type");
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type.type);
    EXPECT_EQ(4u, type.bytes.size());
    EXPECT_EQ(3u, type.Dword());
    ExpectDword(L"ChangeVolume", L"Vol", 35);
    ExpectDword(L"ChangeVolume", L"RingVol", 90);

    auto load = [](int type) {
        boost::shared_ptr<Action> action = Action_Create(type);
        EXPECT_TRUE(action->Load(ItemKey()));
        return action;
    };
    auto executeBack = load(Action::kTypeExecute);
    EXPECT_STREQ(execute.CommandLine.CStr(), As<ExecuteAction>(executeBack).CommandLine.CStr());
    EXPECT_EQ(1, As<ExecuteAction>(executeBack).RunOnDismiss);
    EXPECT_EQ(1, As<BthOnAction>(load(Action::kTypeBluetoothOn)).Discoverable);
    auto smsBack = load(Action::kTypeSms);
    EXPECT_STREQ(L"Wake up", As<SMSAction>(smsBack).Message.CStr());
    EXPECT_STREQ(L"Ann", As<SMSAction>(smsBack).To.CStr());
    EXPECT_STREQ(L"+4912345", As<SMSAction>(smsBack).Number.CStr());
    EXPECT_EQ(1, As<SMSAction>(smsBack).DeliveryNotification);
    EXPECT_STREQ(L"1234", As<DisableFlightModeAction>(load(Action::kTypeFlightModeOff)).code.CStr());
    EXPECT_EQ(42, As<ChangeTimeZoneAction>(load(Action::kTypeTimeZone)).ZoneIndex);
    EXPECT_EQ(-77, As<StartTimerAction>(load(Action::kTypeStartTimer)).TimerHash);
    EXPECT_EQ(88, As<StopTimerAction>(load(Action::kTypeStopTimer)).TimerHash);
    auto syncBack = load(Action::kTypeClockSync);
    EXPECT_EQ(5, As<AtomicSyncActionSettings>(syncBack).Server);
    EXPECT_EQ(0x89ABCDEFu, As<AtomicSyncActionSettings>(syncBack).LastSync.dwLowDateTime);
    EXPECT_EQ(0x01234567u, As<AtomicSyncActionSettings>(syncBack).LastSync.dwHighDateTime);
    auto volumeBack = load(Action::kTypeChangeVolume);
    EXPECT_EQ(3, As<ChangeVolumeAction>(volumeBack).Type);
    EXPECT_EQ(35, As<ChangeVolumeAction>(volumeBack).Vol);
    EXPECT_EQ(90, As<ChangeVolumeAction>(volumeBack).RingVol);
}

TEST(ActionValues, MissingOrDamagedValuesLoadTheDefaultsAndLeaveAnEmptySubkey) {
    // Nothing stored: every class reads its defaults and creates its subkey.
    ChangeVolumeAction volume;
    volume.Type = 2;
    volume.Vol = volume.RingVol = 5;
    ASSERT_TRUE(volume.Load(ItemKey()));
    EXPECT_EQ(0, volume.Type);
    EXPECT_EQ(60, volume.Vol);
    EXPECT_EQ(60, volume.RingVol);
    EXPECT_TRUE(registryprobe::KeyExists(kItemKey + L"\\ChangeVolume"));
    ChangeTimeZoneAction zone;
    zone.ZoneIndex = 3;
    zone.Load(ItemKey());
    EXPECT_EQ(-1, zone.ZoneIndex);
    ExecuteAction execute;
    execute.CommandLine.SetCStr(L"kept");
    execute.RunOnDismiss = 1;
    execute.Load(ItemKey());
    EXPECT_STREQ(L"kept", execute.CommandLine.CStr());  // a missing text keeps the current one
    EXPECT_EQ(0, execute.RunOnDismiss);

    // Damaged: wrong sizes read as defaults, a text of another type is left alone.
    const std::wstring volumeKey = kItemKey + L"\\ChangeVolume";
    const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    registryprobe::Write(volumeKey, L"Type", REG_BINARY, eight, 8);
    registryprobe::Write(volumeKey, L"Vol", REG_BINARY, eight, 2);
    registryprobe::WriteDword(volumeKey, L"RingVol", 75);
    volume.Load(ItemKey());
    EXPECT_EQ(0, volume.Type);
    EXPECT_EQ(60, volume.Vol);
    EXPECT_EQ(75, volume.RingVol);
    registryprobe::Write(kItemKey + L"\\AtomicSyncActionSettings", L"LastSync", REG_BINARY, eight, 4);
    AtomicSyncActionSettings sync;
    sync.LastSync = {1, 1};
    sync.Load(ItemKey());
    EXPECT_EQ(0u, sync.LastSync.dwLowDateTime | sync.LastSync.dwHighDateTime);
    registryprobe::WriteDword(kItemKey + L"\\ExecuteAction", L"CommandLine", 9);
    execute.Load(ItemKey());
    EXPECT_STREQ(L"kept", execute.CommandLine.CStr());
}

TEST(ActionValues, ACloneIsACopyOfEveryFieldThatChangesIndependently) {
    SMSAction sms;
    sms.Message.SetCStr(L"text");
    sms.Number.SetCStr(L"123");
    sms.DeliveryNotification = 1;
    boost::shared_ptr<Action> copy = sms.Clone();
    SMSAction& smsCopy = As<SMSAction>(copy);
    EXPECT_TRUE(smsCopy.Message.SharesBlockWith(sms.Message));
    sms.Message.SetCStr(L"changed");
    sms.DeliveryNotification = 0;
    EXPECT_STREQ(L"text", smsCopy.Message.CStr());
    EXPECT_STREQ(L"123", smsCopy.Number.CStr());
    EXPECT_EQ(1, smsCopy.DeliveryNotification);

    StopTimerAction stop;
    stop.TimerHash = 9;
    boost::shared_ptr<Action> stopCopy = stop.Clone();
    stop.TimerHash = 10;
    EXPECT_EQ(9, As<StopTimerAction>(stopCopy).TimerHash);
    // The copy still keeps its values in its own subkey.
    stopCopy->Save(ItemKey());
    ExpectDword(L"StopTimerAction", L"TimerHash", 9);

    ChangeVolumeAction volume;
    volume.Type = 2;
    volume.Vol = 11;
    volume.RingVol = 22;
    boost::shared_ptr<Action> volumeCopy = volume.Clone();
    EXPECT_EQ(2, As<ChangeVolumeAction>(volumeCopy).Type);
    EXPECT_EQ(11, As<ChangeVolumeAction>(volumeCopy).Vol);
    EXPECT_EQ(22, As<ChangeVolumeAction>(volumeCopy).RingVol);
}
