// The item editors in a real Orvalen: opened by command words from a second instance,
// driven through their controls, and what they leave in the store and the registry.
#include "AlarmItem.h"
#include "DateFunctions.h"
#include "DeviceSignals.h"
#include "DeviceProgram.h"
#include "EditorProbe.h"
#include "EngineWnd.h"
#include "HostTools.h"
#include "RegKeyRef.h"
#include "TestPaths.h"
#include "TestSupport.h"
#include "TimerItem.h"
#include "nled.h"
#include "resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

namespace {

using namespace editor_probe;
using device_program::kProgramDevicePath;

const std::wstring kProductKey = L"Software\\Ostrel\\Orvalen";
constexpr ItemHash kAlarmHash = 1001;
constexpr ItemHash kTimerHash = 2002;
const wchar_t kAlarmTitle[] = L"Morning";
const wchar_t kAlarmCaption[] = L"Alarm properties";
const wchar_t kTimerCaption[] = L"Timer properties";

std::wstring ItemsKey(const wchar_t* list) { return kProductKey + L"\\" + list + L"\\Items"; }
std::wstring ItemKey(const wchar_t* list, ItemHash hash) { return ItemsKey(list) + L"\\" + std::to_wstring(hash); }

std::set<std::wstring> ItemNames(const wchar_t* list) {
    std::set<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, ItemsKey(list).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    wchar_t name[64];
    for (DWORD index = 0;; ++index) {
        DWORD length = 64;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.insert(name);
    }
    RegCloseKey(key);
    return names;
}

bool LoadAlarm(const std::wstring& key, AlarmItem& alarm) {
    RegKeyRef ref = RegKeyRef::Open(key.c_str(), HKEY_CURRENT_USER, true);
    return ref.IsOpen() && alarm.Load(ref);
}

bool LoadTimer(const std::wstring& key, TimerItem& timer) {
    RegKeyRef ref = RegKeyRef::Open(key.c_str(), HKEY_CURRENT_USER, true);
    return ref.IsOpen() && timer.Load(ref, 0);
}

// A tone of 8000 Hz made by sox into the device: format options, the file, then the synth effect.
bool MakeTone(const std::wstring& devicePath, const char* format, const char* synth) {
    const std::wstring path = testsupport::DevicePath(devicePath);
    CreateDirectoryW(path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
    return testsupport::RunHostTool(
        "sox", std::string("-r 8000 -n ") + format + " '" + testsupport::UnixPath(path) + "' synth " + synth);
}

// The values of a record that differ from those expected, one line each; empty when none.
class Differences {
public:
    template <class Expected, class Actual>
    void Check(const char* what, const Expected& expected, const Actual& actual) {
        if (expected == actual) return;
        text_ += std::string(what) + ": " + testing::PrintToString(actual) + ", not " +
                 testing::PrintToString(expected) + "\n";
    }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// A save writes an item's values one by one and a load reads them in another order, so a
// load in the middle of a save mixes both. The record is read until it shows every value
// expected; what still differs when the time is up is the failure.
template <class Item>
std::string UntilTheRecordShows(const std::function<bool(Item&)>& load,
                                const std::function<void(const Item&, Differences&)>& expect) {
    std::string last = "the record was never read";
    testsupport::PollUntil(editor_probe::kTimeoutMs, [&] {
        Item item;
        if (!load(item)) return false;
        Differences differences;
        expect(item, differences);
        last = differences.Text();
        return last.empty();
    });
    return last;
}

LONGLONG FileSize(const std::wstring& devicePath) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(testsupport::DevicePath(devicePath).c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class EditorsRoad : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device_program::Install());
        // A device with an LED and a vibrator: the sheets have all four tabs.
        const LONG leds[] = {0, NLED_VIBRATOR_CYCLE_ADJUST};
        ASSERT_TRUE(DeviceControl_SetLeds(2, leds));
        StoreItems();
        ASSERT_TRUE(MakeTone(L"\\Program Files\\Orvalen\\Sounds\\bell.wav", "-c 1 -b 16", "0.3 sine 440"));
        ASSERT_TRUE(MakeTone(L"\\Program Files\\Orvalen\\Sounds\\alarm.ogg", "-c 1", "0.3 sine 660"));
        ASSERT_TRUE(MakeTone(L"\\Program Files\\Orvalen\\Sounds\\chime.mp3", "-c 1", "0.3 sine 880"));
        // Windows-folder sounds count from 9000 bytes: 44 header bytes and 8-bit samples
        // (RIFF pads odd data, so the shortest file below is 8998 bytes).
        ASSERT_TRUE(MakeTone(L"\\Windows\\click.wav", "-c 1 -b 8 -e unsigned", "8954s sine 440"));
        ASSERT_TRUE(MakeTone(L"\\Windows\\ring.wav", "-c 1 -b 8 -e unsigned", "8956s sine 440"));
        ASSERT_EQ(8998, FileSize(L"\\Windows\\click.wav"));
        ASSERT_EQ(9000, FileSize(L"\\Windows\\ring.wav"));
        // The main window keeps the instance running while the editors are open and closed
        // (an editor taking the foreground would hide a screen saver, and the idle engine end).
        ASSERT_TRUE(program_.Start(testsupport::DevicePath(kProgramDevicePath), L""));
        ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] {
            return FindWindowW(EngineWnd::kClassName, nullptr) && FindWindowW(L"OrvalenMainWnd", nullptr);
        }));
    }

    void StoreItems() {
        AlarmItem alarm;
        alarm.flags &= ~AlarmItem::kNew;
        alarm.Hash = kAlarmHash;
        alarm.title.SetCStr(kAlarmTitle);
        alarm.time = Time_LocalNowAsDate(true) + 0.5;  // never due while the test runs
        alarm.Save(RegKeyRef::Open(ItemKey(L"Alarms", kAlarmHash).c_str(), HKEY_CURRENT_USER, false));
        TimerItem timer;
        timer.Hash = kTimerHash;
        timer.flags &= ~TimerItem::kNew;
        timer.title.SetCStr(L"Eggs");
        timer.time = timer.origTime = 5 * 60 * kTicksPerSecond;  // a stored timer needs time left
        timer.Save(RegKeyRef::Open(ItemKey(L"Timers", kTimerHash).c_str(), HKEY_CURRENT_USER, false));
    }

    // The word from a second instance, which waits while the editor is open; the editor's frame.
    HWND Open(const std::wstring& word, const wchar_t* caption) {
        second_ = std::make_unique<testsupport::ChildProcess>();
        if (!second_->Start(testsupport::DevicePath(kProgramDevicePath), word)) {
            ADD_FAILURE() << "the second instance did not start for " << testing::PrintToString(word);
            return nullptr;
        }
        HWND frame = WaitForEditor(program_.Id(), caption);
        if (!frame) {
            ADD_FAILURE() << "no editor for " << testing::PrintToString(word) << "; the program "
                          << (program_.Wait(0) == testsupport::ChildProcess::kStillRunning ? "runs" : "ended");
            return nullptr;
        }
        // The pages are added once the sheet is up.
        if (!testsupport::PollUntil(kTimeoutMs, [&] { return TabCount(frame) >= 3; })) {
            ADD_FAILURE() << "the editor for " << testing::PrintToString(word) << " has no pages";
            return nullptr;
        }
        return frame;
    }
    // The word was handed over (the engine handles it from its queue) and the editor
    // has gone; the engine saves right after.
    bool Closed(HWND frame) {
        return second_ && second_->Wait(kTimeoutMs) == 0 &&
               testsupport::PollUntil(kTimeoutMs, [frame] { return !IsWindow(frame); });
    }
    // Deletes through another instance, which waits while the program asks; answered yes.
    void DeleteFromAnotherInstance(const std::wstring& word, const std::wstring& question) {
        testsupport::ChildProcess other;
        ASSERT_TRUE(other.Start(testsupport::DevicePath(kProgramDevicePath), word));
        EXPECT_EQ(question, AnswerBox(program_.Id(), question, IDYES));
        EXPECT_EQ(0u, other.Wait(kTimeoutMs));
    }

    testsupport::ChildProcess program_;
    std::unique_ptr<testsupport::ChildProcess> second_;
};

}  // namespace

// "new_alarm": the values set through the sheet's controls are in the store after OK.
TEST_F(EditorsRoad, NewAlarmTakesWhatItsControlsShow) {
    const std::set<std::wstring> before = ItemNames(L"Alarms");
    HWND frame = Open(L"new_alarm", kAlarmCaption);
    ASSERT_TRUE(frame);
    HANDLE process = program_.Handle();

    HWND main = PageWith(frame, IDC_ALARM_TITLE);
    ASSERT_TRUE(main);
    // The title stays the store's "Alarm - N", which yields to the action's name on OK.
    EXPECT_EQ(0u, Text(GetDlgItem(main, IDC_ALARM_TITLE)).find(L"Alarm - "));
    ASSERT_TRUE(SetPickerTime(process, main, IDC_ALARM_TIME, 6, 45, 0));
    TapDay(main, IDC_ALARM_DAYS, 0);
    ASSERT_TRUE(SetSnoozePicker(process, main, IDC_ALARM_SNOOZE, 7, 0));
    ASSERT_TRUE(SelectByData(main, IDC_ALARM_SNOOZE_TYPE, EventItem::kSnoozeTypeAutoClose));
    SetCheck(main, IDC_ALARM_NOTIFY_ONCE, true);

    HWND actions = PageWith(frame, IDC_EVENT_ACTION);
    ASSERT_TRUE(actions);
    ASSERT_TRUE(SelectByData(actions, IDC_EVENT_ACTION, Action::kTypeSuspend));
    SetCheck(actions, IDC_EVENT_PLAY_SOUND, false);

    HWND sound = PageWith(frame, IDC_SOUND_LIST);
    ASSERT_TRUE(sound);
    // The list drops down: the scan hands over what it found, sorted by the combo.
    SendMessageW(sound, WM_COMMAND, MAKEWPARAM(IDC_SOUND_LIST, CBN_DROPDOWN),
                 reinterpret_cast<LPARAM>(GetDlgItem(sound, IDC_SOUND_LIST)));
    EXPECT_EQ(L"alarm.ogg|bell.wav|chime.mp3|default|ring.wav", ComboTexts(sound, IDC_SOUND_LIST, L'|'));
    ASSERT_TRUE(SelectByText(sound, IDC_SOUND_LIST, L"bell.wav"));
    SendMessageW(GetDlgItem(sound, IDC_SOUND_VOLUME), TBM_SETPOS, TRUE, 40);
    SetText(sound, IDC_SOUND_REPEAT, L"3");

    ASSERT_EQ(4, TabCount(frame));
    {
        HWND vibro = PageWith(frame, IDC_VIBRO_BEFORE_TIME);
        ASSERT_TRUE(vibro);
        SetCheck(vibro, IDC_VIBRO_BEFORE_SOUND, true);
        SetText(vibro, IDC_VIBRO_BEFORE_TIME, L"12");
    }
    PressOk(frame);
    ASSERT_TRUE(Closed(frame));

    const std::wstring bell = testsupport::DevicePath(L"\\Program Files\\Orvalen\\Sounds\\bell.wav");
    const std::function<bool(AlarmItem&)> loadNew = [&](AlarmItem& alarm) {
        std::set<std::wstring> after = ItemNames(L"Alarms");
        for (const std::wstring& name : before) after.erase(name);
        return after.size() == 1 && LoadAlarm(ItemsKey(L"Alarms") + L"\\" + *after.begin(), alarm);
    };
    const std::string differs = UntilTheRecordShows<AlarmItem>(loadNew, [&](const AlarmItem& alarm, Differences& differ) {
        // A default title yields to the action's name.
        differ.Check("title", std::wstring(L"Suspend the device"), std::wstring(alarm.title.CStr()));
        SYSTEMTIME at = {};
        Time_DateToSystemTime(alarm.time, at);
        differ.Check("hour", 6, at.wHour);
        differ.Check("minute", 45, at.wMinute);
        differ.Check("days", 6, __builtin_popcount(alarm.flags & AlarmItem::kDaysMask));
        differ.Check("enabled", true, (alarm.flags & AlarmItem::kEnabled) != 0);
        differ.Check("notify once", true, (alarm.flags & AlarmItem::kNotifyOnce) != 0);
        differ.Check("new", false, (alarm.flags & AlarmItem::kNew) != 0);
        differ.Check("option 1", false, alarm.IsOption1());
        differ.Check("snooze minutes", 7, alarm.initsnooze.minutes);
        differ.Check("snooze seconds", 0, alarm.initsnooze.seconds);
        differ.Check("snooze type", int(EventItem::kSnoozeTypeAutoClose), alarm.SnoozeType);
        differ.Check("action", int(Action::kTypeSuspend), alarm.actionType);
        differ.Check("built-in sound", 0, alarm.soundSettings.builtIn);
        differ.Check("sound", bell, std::wstring(alarm.soundSettings.custom.CStr()));
        differ.Check("volume", 40, alarm.soundSettings.volume);
        differ.Check("repeat", 3, alarm.soundSettings.repeat);
        differ.Check("vibrate before sound", 1, alarm.vibrationSettings.bStartVibrateBeforeSound);
        differ.Check("vibration before sound", 12, alarm.vibrationSettings.VibrateBeforeSoundTime);
    });
    EXPECT_EQ("", differs);
}

// Cancel writes nothing: an edited alarm keeps its values, a new one is removed.
TEST_F(EditorsRoad, CancelLeavesTheStoreAsItWas) {
    HWND frame = Open(L"alarm_edit " + std::to_wstring(kAlarmHash), kAlarmCaption);
    ASSERT_TRUE(frame);
    HWND main = PageWith(frame, IDC_ALARM_TITLE);
    EXPECT_EQ(kAlarmTitle, Text(GetDlgItem(main, IDC_ALARM_TITLE)));
    SetText(main, IDC_ALARM_TITLE, L"Changed");
    PressCancel(frame);
    ASSERT_TRUE(Closed(frame));
    AlarmItem alarm;
    ASSERT_TRUE(LoadAlarm(ItemKey(L"Alarms", kAlarmHash), alarm));
    EXPECT_STREQ(kAlarmTitle, alarm.title.CStr());

    const std::set<std::wstring> before = ItemNames(L"Alarms");
    ASSERT_TRUE(frame = Open(L"new_alarm", kAlarmCaption));
    PressCancel(frame);
    ASSERT_TRUE(Closed(frame));
    ASSERT_TRUE(frame = Open(L"new_timer", kTimerCaption));
    PressCancel(frame);
    ASSERT_TRUE(Closed(frame));
    // A save after the cancels shows the store without the removed items.
    ASSERT_TRUE(frame = Open(L"timer_edit " + std::to_wstring(kTimerHash), kTimerCaption));
    PressOk(frame);
    ASSERT_TRUE(Closed(frame));
    EXPECT_EQ(before, ItemNames(L"Alarms"));
    EXPECT_EQ(std::set<std::wstring>{std::to_wstring(kTimerHash)}, ItemNames(L"Timers"));
    EXPECT_EQ(DWORD(testsupport::ChildProcess::kStillRunning), program_.Wait(0));
}

// A number out of range keeps the sheet open with the range named and the focus there.
TEST_F(EditorsRoad, OutOfRangeKeepsTheEditorOpen) {
    HWND frame = Open(L"alarm_edit " + std::to_wstring(kAlarmHash), kAlarmCaption);
    ASSERT_TRUE(frame);
    HWND sound = PageWith(frame, IDC_SOUND_REPSPLIT);
    SetCheck(sound, IDC_SOUND_REPEATING, true);
    SetText(sound, IDC_SOUND_REPSPLIT, L"601");
    PressOk(frame);
    EXPECT_EQ(L"Enter value from 0 to 600.", AnswerBox(program_.Id(), L"Enter value from 0 to 600.", IDOK));
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return FocusOf(frame) == GetDlgItem(sound, IDC_SOUND_REPSPLIT); }));
    EXPECT_EQ(L"0", Text(GetDlgItem(sound, IDC_SOUND_REPSPLIT)));
    EXPECT_TRUE(IsWindow(frame));
    {
        HWND vibro = PageWith(frame, IDC_VIBRO_FIXED_TIME);
        ASSERT_TRUE(vibro);
        SetCheck(vibro, IDC_VIBRO_FIXED, true);
        SetText(vibro, IDC_VIBRO_FIXED_TIME, L"601");
        PressOk(frame);
        EXPECT_EQ(L"Enter value from 5 to 600.", AnswerBox(program_.Id(), L"Enter value from 5 to 600.", IDOK));
        ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] {
            return FocusOf(frame) == GetDlgItem(vibro, IDC_VIBRO_FIXED_TIME);
        }));
        EXPECT_EQ(L"5", Text(GetDlgItem(vibro, IDC_VIBRO_FIXED_TIME)));
    }
    PressCancel(frame);
    ASSERT_TRUE(Closed(frame));
}

// An item deleted by another instance while its editor is open: OK changes nothing.
TEST_F(EditorsRoad, DeletedWhileOpenOkChangesNothing) {
    HWND frame = Open(L"alarm_edit " + std::to_wstring(kAlarmHash), kAlarmCaption);
    ASSERT_TRUE(frame);
    DeleteFromAnotherInstance(L"alarm_delete " + std::to_wstring(kAlarmHash), L"Are you sure you want to delete the alarm?");
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] {
        return !testsupport::RegistryKeyExists(HKEY_CURRENT_USER, ItemKey(L"Alarms", kAlarmHash));
    }));
    HWND main = PageWith(frame, IDC_ALARM_TITLE);
    SetText(main, IDC_ALARM_TITLE, L"Written into a deleted alarm");
    PressOk(frame);
    ASSERT_TRUE(Closed(frame));
    EXPECT_TRUE(ItemNames(L"Alarms").empty());

    ASSERT_TRUE(frame = Open(L"timer_edit " + std::to_wstring(kTimerHash), kTimerCaption));
    DeleteFromAnotherInstance(L"timer_delete " + std::to_wstring(kTimerHash), L"Are you sure you want to delete the timer?");
    SetText(PageWith(frame, IDC_TIMER_TITLE), IDC_TIMER_TITLE, L"Written into a deleted timer");
    PressOk(frame);
    ASSERT_TRUE(Closed(frame));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return ItemNames(L"Timers").empty(); }));
    EXPECT_EQ(DWORD(testsupport::ChildProcess::kStillRunning), program_.Wait(0));
}

// "new_timer": the duration, title and options of the dialog, started unless a template.
TEST_F(EditorsRoad, NewTimerTakesWhatItsControlsShow) {
    HWND frame = Open(L"new_timer", kTimerCaption);
    ASSERT_TRUE(frame);
    HWND main = PageWith(frame, IDC_TIMER_TITLE);
    SetText(main, IDC_TIMER_TITLE, L"Tea");
    ASSERT_TRUE(SetPickerTime(program_.Handle(), main, IDC_TIMER_TIME, 0, 2, 3));
    SetCheck(main, IDC_TIMER_KEEP_ON, false);
    PressOk(frame);
    ASSERT_TRUE(Closed(frame));
    const std::function<bool(TimerItem&)> loadNew = [](TimerItem& timer) {
        std::set<std::wstring> names = ItemNames(L"Timers");
        names.erase(std::to_wstring(kTimerHash));
        return names.size() == 1 && LoadTimer(ItemsKey(L"Timers") + L"\\" + *names.begin(), timer);
    };
    std::string differs = UntilTheRecordShows<TimerItem>(loadNew, [](const TimerItem& timer, Differences& differ) {
        differ.Check("title", std::wstring(L"Tea"), std::wstring(timer.title.CStr()));
        differ.Check("length", 123 * kTicksPerSecond, timer.origTime);
        differ.Check("running", true, timer.IsRunning());
        differ.Check("no idle reset", true, (timer.flags & TimerItem::kNoIdleReset) != 0);
    });
    EXPECT_EQ("", differs);

    // A 3-second timer that starts itself again is refused until it starts manually.
    ASSERT_TRUE(frame = Open(L"timer_edit " + std::to_wstring(kTimerHash), kTimerCaption));
    main = PageWith(frame, IDC_TIMER_TITLE);
    ASSERT_TRUE(SetPickerTime(program_.Handle(), main, IDC_TIMER_TIME, 0, 0, 3));
    ASSERT_TRUE(SelectByData(main, IDC_TIMER_NEXT, kTimerHash));
    PressOk(frame);
    const std::wstring tooShort =
        L"This timer may slowdown your system, please enable 'Start next manually' or increase the time.";
    EXPECT_EQ(tooShort, AnswerBox(program_.Id(), tooShort, IDOK));
    SetCheck(main, IDC_TIMER_NEXT_MANUALLY, true);
    PressOk(frame);
    ASSERT_TRUE(Closed(frame));
    const std::function<bool(TimerItem&)> loadStored = [](TimerItem& timer) {
        return LoadTimer(ItemKey(L"Timers", kTimerHash), timer);
    };
    differs = UntilTheRecordShows<TimerItem>(loadStored, [](const TimerItem& timer, Differences& differ) {
        differ.Check("length", 3 * kTicksPerSecond, timer.origTime);
        differ.Check("next", kTimerHash, timer.NextTimer);
        differ.Check("next started manually", true, (timer.flags & TimerItem::kNoChain) != 0);
    });
    EXPECT_EQ("", differs);
}
