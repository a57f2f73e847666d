// The action editors in this process, opened as the item editors open them (the
// action's EditSettings): OK stores the values on screen, Cancel leaves the action as
// it was, a missing choice keeps the editor open, and the Test buttons reach the device.
#include "Action.h"
#include "AlarmItem.h"
#include "AlarmSheet.h"
#include "ActionScreens.h"
#include "BthOnAction.h"
#include "ChangeTimeZoneAction.h"
#include "ChangeVolumeAction.h"
#include "DeviceCityDb.h"
#include "DeviceControl.h"
#include "DeviceSms.h"
#include "DisableFlightModeAction.h"
#include "EditorProbe.h"
#include "EventPage.h"
#include "ExceptionsDlg.h"
#include "ExecuteAction.h"
#include "ExecuteOptionsDlg.h"
#include "InProcessProgram.h"
#include "ItemStore.h"
#include "LastFolder.h"
#include "ModalSteps.h"
#include "ProgramActionScreens.h"
#include "RegKeyRef.h"
#include "RegistryProbe.h"
#include "SMSAction.h"
#include "ScreenSaverSettings.h"
#include "StartTimerAction.h"
#include "StopTimerAction.h"
#include "TestSupport.h"
#include "pimstore.h"
#include "resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using editor_probe::PageWith;
using editor_probe::SetCheck;
using editor_probe::SetText;
using editor_probe::Text;

const std::wstring kItemKey = L"Software\\Ostrel\\Orvalen\\ActionEditorsTest";
// The static that holds a message box's text.
constexpr int kMessageBoxText = 0xFFFF;

// Every value the action stores under an item key, by "subkey\name".
using StoredValues = std::map<std::wstring, std::vector<BYTE>>;

void CollectValues(HKEY key, const std::wstring& prefix, StoredValues& values) {
    wchar_t name[256];
    BYTE data[2048];
    for (DWORD index = 0;; ++index) {
        DWORD nameChars = 256, size = sizeof data, type = 0;
        if (RegEnumValueW(key, index, name, &nameChars, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        values[prefix + name] = std::vector<BYTE>(data, data + size);
    }
    for (DWORD index = 0;; ++index) {
        DWORD nameChars = 256;
        if (RegEnumKeyExW(key, index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY sub;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
        CollectValues(sub, prefix + name + L"\\", values);
        RegCloseKey(sub);
    }
}

// Saves the action under a fresh item key; what it stored there.
StoredValues Store(const Action& action) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kItemKey.c_str());
    action.Save(RegKeyRef::Open(kItemKey.c_str(), HKEY_CURRENT_USER, false));
    StoredValues values;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kItemKey.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        CollectValues(key, L"", values);
        RegCloseKey(key);
    }
    return values;
}

// The action of that type as loaded back from what action stored.
boost::shared_ptr<Action> RoundTrip(const Action& action, int type) {
    Store(action);
    boost::shared_ptr<Action> loaded = Action_Create(type);
    loaded->Load(RegKeyRef::Open(kItemKey.c_str(), HKEY_CURRENT_USER, true));
    return loaded;
}

template <class Concrete>
Concrete& As(const boost::shared_ptr<Action>& action) {
    return dynamic_cast<Concrete&>(*action);
}

HWND FindEditor(const std::wstring& caption) {
    return editor_probe::WaitForEditor(GetCurrentProcessId(), caption, 0);
}

// A message box of this process with exactly that text, answered with OK.
bool AnswerBox(const std::wstring& text) {
    return editor_probe::AnswerBox(GetCurrentProcessId(), text, IDOK, 0) == text;
}

// Any message box of this thread, answered with OK; false when none is up.
bool AnswerAnyBox(std::wstring& text) {
    struct Search {
        HWND box = nullptr;
    } search;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            if (!IsWindowVisible(window) || !GetDlgItem(window, kMessageBoxText)) return TRUE;
            reinterpret_cast<Search*>(data)->box = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.box) return false;
    text = Text(GetDlgItem(search.box, kMessageBoxText));
    PostMessageW(search.box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(search.box, IDOK)));
    return true;
}

bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }

LRESULT Send(HWND page, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageW(page, id, message, wParam, lParam);
}

// Opens the action's editor as the Actions page does and runs the steps on it: first
// the editor is found by its caption and the page holding pageControl, then edit(page)
// (false: try again next tick), then the frame gets `button`. The editor's answer.
bool EditAndPress(Action& action, const std::wstring& caption, int pageControl,
                  const std::function<bool(HWND)>& edit, UINT button) {
    HWND frame = nullptr, page = nullptr;
    ModalSteps steps;
    steps.Then([&] { return (frame = FindEditor(caption)) && (page = PageWith(frame, pageControl)); })
        .Then([&] { return edit(page); })
        .Do([&] { ModalSteps::Press(frame, button); });
    const INT_PTR result = steps.Run([&] { return action.EditSettings(nullptr) ? IDOK : IDCANCEL; },
                                     [&] { ModalSteps::Press(FindEditor(caption), IDCANCEL); });
    EXPECT_TRUE(steps.Finished()) << "the steps hung in " << testing::PrintToString(caption);
    return result == IDOK;
}

class ActionEditors : public InProcessProgram {
protected:
    void SetUp() override {
        InProcessProgram::SetUp();
        ProgramActionScreens::Install();
    }
    void TearDown() override {
        ActionScreens::Install(nullptr);
        InProcessProgram::TearDown();
    }

    TimerItem* AddTimer(const wchar_t* title, bool asTemplate) {
        TimerItem* timer = store_->CreateTimer(nullptr);
        timer->SetTitle(RcString(title));
        if (asTemplate) timer->flags |= TimerItem::kTemplate;
        return timer;
    }

};

// One editor: the action as it starts, what is done on the page, and what the action
// loaded back from the registry holds after OK.
struct EditorCase {
    int type;
    const wchar_t* caption;
    int pageControl;
    std::function<void(Action&)> prepare;
    std::function<bool(HWND page)> edit;
    std::function<void(const boost::shared_ptr<Action>& stored)> expect;
};

}  // namespace

// For every editor: Cancel after editing leaves the stored action byte for byte as it
// was; OK after the same edits stores exactly the values on screen.
TEST_F(ActionEditors, OkStoresTheValuesOnScreenAndCancelChangesNothing) {
    // The built-in zones (no city database) and a contacts library with a contact to pick.
    ASSERT_TRUE(testsupport::RemoveDeviceLibrary(CITYDB_LIBRARY));
    ASSERT_TRUE(CopyFileW(testsupport::StandInLibrary(PIMSTORE_LIBRARY).c_str(),
                          testsupport::DeviceLibraryPath(PIMSTORE_LIBRARY).c_str(), FALSE));
    ASSERT_TRUE(DeviceControl_SetContactChoice(L"Ann Smith", L"+49 170 5550123"));
    AddTimer(L"Running copy", false);
    const ItemHash tea = AddTimer(L"Tea", true)->Hash;
    const ItemHash eggs = AddTimer(L"Eggs", true)->Hash;

    const std::vector<EditorCase> cases = {
        {Action::kTypeExecute, L"Settings of a program execution", IDC_EXECUTE_COMMAND,
         [](Action& a) { static_cast<ExecuteAction&>(a).CommandLine.SetCStr(L"old.exe"); },
         [](HWND page) {
             EXPECT_EQ(L"old.exe", Text(GetDlgItem(page, IDC_EXECUTE_COMMAND)));
             SetText(page, IDC_EXECUTE_COMMAND, L"\"\\Windows\\clock.exe\" -now");
             SetCheck(page, IDC_EXECUTE_ON_DISMISS, true);
             return true;
         },
         [](const boost::shared_ptr<Action>& s) {
             EXPECT_STREQ(L"\"\\Windows\\clock.exe\" -now", As<ExecuteAction>(s).CommandLine.CStr());
             EXPECT_EQ(1, As<ExecuteAction>(s).RunOnDismiss);
         }},
        {Action::kTypeBluetoothOn, L"Bluetooth settings", IDC_BLUETOOTH_DISCOVERABLE, [](Action&) {},
         [](HWND page) {
             EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, IDC_BLUETOOTH_CONNECTABLE));
             CheckRadioButton(page, IDC_BLUETOOTH_CONNECTABLE, IDC_BLUETOOTH_DISCOVERABLE, IDC_BLUETOOTH_DISCOVERABLE);
             return true;
         },
         [](const boost::shared_ptr<Action>& s) { EXPECT_EQ(1, As<BthOnAction>(s).Discoverable); }},
        {Action::kTypeSms, L"SMS options", IDC_SMS_MESSAGE,
         [](Action& a) {
             auto& sms = static_cast<SMSAction&>(a);
             sms.To.SetCStr(L"Bob");
             sms.Number.SetCStr(L"123");
         },
         [](HWND page) {
             EXPECT_EQ(L"\"Bob\"\r\n<123>", Text(GetDlgItem(page, IDC_SMS_RECIPIENT)));
             ModalSteps::Click(page, IDC_SMS_CHOOSE);
             EXPECT_EQ(L"\"Ann Smith\"\r\n<+49 170 5550123>", Text(GetDlgItem(page, IDC_SMS_RECIPIENT)));
             SetText(page, IDC_SMS_MESSAGE, L"Wake up!\r\nThe train leaves at 7:12.");
             SetCheck(page, IDC_SMS_DELIVERY, true);
             return true;
         },
         [](const boost::shared_ptr<Action>& s) {
             EXPECT_STREQ(L"Ann Smith", As<SMSAction>(s).To.CStr());
             EXPECT_STREQ(L"+49 170 5550123", As<SMSAction>(s).Number.CStr());
             EXPECT_STREQ(L"Wake up!\r\nThe train leaves at 7:12.", As<SMSAction>(s).Message.CStr());
             EXPECT_EQ(1, As<SMSAction>(s).DeliveryNotification);
         }},
        {Action::kTypeFlightModeOff, L"Disable flight mode settings", IDC_PIN_CODE,
         [](Action& a) { static_cast<DisableFlightModeAction&>(a).code.SetCStr(L"0000"); },
         [](HWND page) {
             EXPECT_EQ(L"0000", Text(GetDlgItem(page, IDC_PIN_CODE)));
             EXPECT_TRUE(GetWindowLongW(GetDlgItem(page, IDC_PIN_CODE), GWL_STYLE) & ES_PASSWORD) << "a PIN is hidden";
             SetText(page, IDC_PIN_CODE, L"12a4");  // taken as typed: the SIM judges it
             return true;
         },
         [](const boost::shared_ptr<Action>& s) { EXPECT_STREQ(L"12a4", As<DisableFlightModeAction>(s).code.CStr()); }},
        {Action::kTypeTimeZone, L"Select a time zone", IDC_TIME_ZONE_LIST,
         [](Action& a) { static_cast<ChangeTimeZoneAction&>(a).ZoneIndex = 2; },
         [](HWND page) {
             EXPECT_EQ(82, Send(page, IDC_TIME_ZONE_LIST, LB_GETCOUNT));
             wchar_t first[64] = {};
             Send(page, IDC_TIME_ZONE_LIST, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
             EXPECT_STREQ(L"GMT-12 Kwajalein", first);
             EXPECT_EQ(2, Send(page, IDC_TIME_ZONE_LIST, LB_GETCURSEL));
             Send(page, IDC_TIME_ZONE_LIST, LB_SETCURSEL, 13);
             return true;
         },
         [](const boost::shared_ptr<Action>& s) { EXPECT_EQ(13, As<ChangeTimeZoneAction>(s).ZoneIndex); }},
        // Only templates are offered; the one the action names is selected.
        {Action::kTypeStartTimer, L"Select a timer", IDC_TIMER_CHOOSER,
         [=](Action& a) { static_cast<StartTimerAction&>(a).TimerHash = eggs; },
         [=](HWND page) {
             EXPECT_EQ(L"Tea|Eggs", editor_probe::ComboTexts(page, IDC_TIMER_CHOOSER, L'|'));
             EXPECT_EQ(1, Send(page, IDC_TIMER_CHOOSER, CB_GETCURSEL));
             return editor_probe::SelectByData(page, IDC_TIMER_CHOOSER, tea);
         },
         [=](const boost::shared_ptr<Action>& s) { EXPECT_EQ(tea, As<StartTimerAction>(s).TimerHash); }},
        {Action::kTypeStopTimer, L"Select a timer", IDC_TIMER_CHOOSER, [](Action&) {},
         [=](HWND page) {
             EXPECT_EQ(-1, Send(page, IDC_TIMER_CHOOSER, CB_GETCURSEL)) << "Hash 0 names no timer";
             return editor_probe::SelectByData(page, IDC_TIMER_CHOOSER, eggs);
         },
         [=](const boost::shared_ptr<Action>& s) { EXPECT_EQ(eggs, As<StopTimerAction>(s).TimerHash); }},
        // Off and Vibrate grey out the volumes, On brings them back; Vibrate is stored as 2.
        {Action::kTypeChangeVolume, L"Change volume", IDC_VOLUME_SYSTEM,
         [](Action& a) {
             auto& volume = static_cast<ChangeVolumeAction&>(a);
             volume.Type = ChangeVolumeAction::kTypeOff;
             volume.Vol = 40;
             volume.RingVol = 80;
         },
         [](HWND page) {
             EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, IDC_VOLUME_OFF));
             EXPECT_FALSE(Enabled(page, IDC_VOLUME_SYSTEM));
             EXPECT_EQ(L"40%", Text(GetDlgItem(page, IDC_VOLUME_SYSTEM_VALUE)));
             EXPECT_EQ(L"80%", Text(GetDlgItem(page, IDC_VOLUME_RING_VALUE)));
             CheckRadioButton(page, IDC_VOLUME_ON, IDC_VOLUME_VIBRATE, IDC_VOLUME_ON);
             ModalSteps::Click(page, IDC_VOLUME_ON);
             for (int id = IDC_VOLUME_SYSTEM_LABEL; id <= IDC_VOLUME_RING_LABEL; ++id) EXPECT_TRUE(Enabled(page, id));
             Send(page, IDC_VOLUME_RING, TBM_SETPOS, TRUE, 25);
             SendMessageW(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 25),
                          reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_VOLUME_RING)));
             EXPECT_EQ(L"25%", Text(GetDlgItem(page, IDC_VOLUME_RING_VALUE)));
             CheckRadioButton(page, IDC_VOLUME_ON, IDC_VOLUME_VIBRATE, IDC_VOLUME_VIBRATE);
             ModalSteps::Click(page, IDC_VOLUME_VIBRATE);
             for (int id = IDC_VOLUME_SYSTEM_LABEL; id <= IDC_VOLUME_RING_LABEL; ++id) EXPECT_FALSE(Enabled(page, id));
             return true;
         },
         [](const boost::shared_ptr<Action>& s) {
             EXPECT_EQ(2u, registryprobe::Read(kItemKey + L"\\ChangeVolume", L"Type").Dword());
             EXPECT_EQ(ChangeVolumeAction::kTypeVibrate, As<ChangeVolumeAction>(s).Type);
             EXPECT_EQ(40, As<ChangeVolumeAction>(s).Vol);
             EXPECT_EQ(25, As<ChangeVolumeAction>(s).RingVol);
         }},
    };

    for (const EditorCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.caption)) + " type " + std::to_string(c.type));
        boost::shared_ptr<Action> action = Action_Create(c.type);
        c.prepare(*action);
        const StoredValues before = Store(*action);
        EXPECT_FALSE(EditAndPress(*action, c.caption, c.pageControl, c.edit, IDCANCEL));
        EXPECT_EQ(before, Store(*action)) << "Cancel changed the action";
        EXPECT_TRUE(EditAndPress(*action, c.caption, c.pageControl, c.edit, IDOK));
        c.expect(RoundTrip(*action, c.type));
    }
    DWORD flags = 0, calls = 0;
    CEPROPID property = 0;
    DeviceControl_GetLastContactRequest(&flags, &property, &calls);
    EXPECT_EQ(2u, calls);
    EXPECT_EQ(0x19u, flags);
    EXPECT_EQ(static_cast<CEPROPID>(0x1806001F), property);
}

// Without a choice (no zone, no timer) or with an empty command line OK asks and the
// editor stays open; the choice made then is taken.
TEST_F(ActionEditors, MissingChoicesKeepTheEditorOpen) {
    // A device with its own city database: its zones are listed, and it is let go again.
    DEVICE_TIME_ZONE zones[3] = {};
    const wchar_t* names[] = {L"Home", L"Away", L"Far away"};
    for (int index = 0; index < 3; ++index) {
        wcscpy(zones[index].displayName, names[index]);
        wcscpy(zones[index].standardName, names[index]);
        zones[index].bias = 60 * index;
    }
    ASSERT_TRUE(DeviceControl_SetTimeZoneDatabase(zones, 3));
    const ItemHash only = AddTimer(L"Only", true)->Hash;

    struct Refusal {
        boost::shared_ptr<Action> action;
        const wchar_t* caption;
        int pageControl;
        const wchar_t* message;
        std::function<void(HWND)> choose;
    } refusals[] = {
        {Action_Create(Action::kTypeTimeZone), L"Select a time zone", IDC_TIME_ZONE_LIST,
         L"Please select or press 'Cancel'",
         [](HWND page) {
             EXPECT_EQ(3, Send(page, IDC_TIME_ZONE_LIST, LB_GETCOUNT));
             Send(page, IDC_TIME_ZONE_LIST, LB_SETCURSEL, 2);
         }},
        {Action_Create(Action::kTypeStopTimer), L"Select a timer", IDC_TIMER_CHOOSER, L"Please select or press 'Cancel'",
         [=](HWND page) { editor_probe::SelectByData(page, IDC_TIMER_CHOOSER, only); }},
        {Action_Create(Action::kTypeExecute), L"Settings of a program execution", IDC_EXECUTE_COMMAND,
         L"Wrong file path!", [](HWND page) { SetText(page, IDC_EXECUTE_COMMAND, L"clock.exe"); }},
    };
    for (Refusal& r : refusals) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(r.caption)));
        HWND frame = nullptr, page = nullptr;
        ModalSteps steps;
        steps.Then([&] { return (frame = FindEditor(r.caption)) && (page = PageWith(frame, r.pageControl)); })
            .Do([&] { ModalSteps::Press(frame, IDOK); })
            .Then([&] { return AnswerBox(r.message); })
            .Then([&] { return IsWindowVisible(frame) != FALSE; })
            .Do([&] {
                r.choose(page);
                ModalSteps::Press(frame, IDOK);
            });
        EXPECT_TRUE(steps.Run([&] { return r.action->EditSettings(nullptr) ? IDOK : IDCANCEL; },
                              [&] { ModalSteps::Press(FindEditor(r.caption), IDCANCEL); }) == IDOK);
        EXPECT_TRUE(steps.Finished());
    }
    EXPECT_EQ(2, As<ChangeTimeZoneAction>(refusals[0].action).ZoneIndex);
    EXPECT_EQ(only, As<StopTimerAction>(refusals[1].action).TimerHash);
    EXPECT_STREQ(L"clock.exe", As<ExecuteAction>(refusals[2].action).CommandLine.CStr());
    EXPECT_EQ(0, DeviceControl_GetCityDbUsers()) << "the city database was not let go";
    EXPECT_EQ(0, DeviceControl_GetCityDbLoads());
}

// SMS "Test" sends the message on screen into the device's outbox, says "Ok", and keeps
// the values in the action although the editor is cancelled; without the SMS service it
// shows the error code. Execute "Test" starts the program inside the device; a program
// that does not exist shows the system's text for the error.
TEST_F(ActionEditors, TestButtonsReachTheDevice) {
    SMSAction sms;
    sms.Number.SetCStr(L"5550123");
    ModalSteps smsSteps;
    HWND frame = nullptr, page = nullptr;
    smsSteps.Then([&] { return (frame = FindEditor(L"SMS options")) && (page = PageWith(frame, IDC_SMS_TEST)); })
        .Do([&] {
            SetText(page, IDC_SMS_MESSAGE, L"Test message");
            ModalSteps::PostClick(page, IDC_SMS_TEST);
        })
        .Then([&] { return AnswerBox(L"Ok"); })
        .Do([&] {
            DeviceControl_SetSmsService(FALSE);
            ModalSteps::PostClick(page, IDC_SMS_TEST);
        })
        .Then([&] { return AnswerBox(L"Error 0xFFFFFFFE"); })
        .Do([&] { ModalSteps::Press(frame, IDCANCEL); });
    EXPECT_FALSE(smsSteps.Run([&] { return sms.EditSettings(nullptr) ? IDOK : IDCANCEL; },
                              [&] { ModalSteps::Press(frame, IDCANCEL); }) == IDOK);
    EXPECT_TRUE(smsSteps.Finished());
    ASSERT_EQ(1u, DeviceControl_GetSentSmsCount());
    DEVICE_SENT_SMS sent = {};
    ASSERT_TRUE(DeviceControl_GetSentSms(0, &sent));
    EXPECT_STREQ(L"Test message", sent.text);
    EXPECT_STREQ(L"5550123", sent.number);
    EXPECT_STREQ(L"Test message", sms.Message.CStr()) << "the tested values stay in the action";

    const wchar_t kProbe[] = L"\\Program Files\\Probe Dir\\probe.exe";
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(PROBE_EXE), kProbe));
    ExecuteAction run;
    ModalSteps runSteps;
    std::wstring shown;
    runSteps.Then([&] {
                return (frame = FindEditor(L"Settings of a program execution")) &&
                       (page = PageWith(frame, IDC_EXECUTE_TEST));
            })
        .Do([&] {
            SetText(page, IDC_EXECUTE_COMMAND, std::wstring(L"\"") + kProbe + L"\" -test");
            ModalSteps::Click(page, IDC_EXECUTE_TEST);
            EXPECT_EQ(1u, DeviceControl_GetProgramStarts(kProbe, L" -test"));
            SetText(page, IDC_EXECUTE_COMMAND, L"\\Program Files\\none.exe");
            ModalSteps::PostClick(page, IDC_EXECUTE_TEST);
        })
        .Then([&] { return AnswerAnyBox(shown); })
        .Do([&] { ModalSteps::Press(frame, IDCANCEL); });
    EXPECT_FALSE(runSteps.Run([&] { return run.EditSettings(nullptr) ? IDOK : IDCANCEL; },
                              [&] { ModalSteps::Press(frame, IDCANCEL); }) == IDOK);
    EXPECT_TRUE(runSteps.Finished());
    EXPECT_TRUE(run.CommandLine.IsNull()) << "Cancel kept the tested command line out";
    EXPECT_FALSE(shown.empty()) << "the system's text for the error";
}

// The exceptions list shows each path fitted to its width and keeps the full paths:
// Add takes the chooser's file, Delete the selected entry (nothing without one), OK
// stores the list in its order and Cancel leaves it. The execution editor's chooser
// quotes the program and remembers its folder; a program in the root keeps "\".
TEST_F(ActionEditors, ChoosersAddFullPathsAndRememberTheFolder) {
    const std::wstring longPath = L"\\Program Files\\A very long program folder name for the list\\Navigator.exe";
    ScreenSaverSettings settings;
    settings.exceptions = {RcString(L"\\Windows\\tmail.exe"), RcString(longPath.c_str())};
    auto texts = [](HWND page) {
        std::vector<std::wstring> shown;
        wchar_t text[MAX_PATH] = {};
        for (int index = 0; index < Send(page, IDC_EXCEPTIONS_LIST, LB_GETCOUNT); ++index) {
            Send(page, IDC_EXCEPTIONS_LIST, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
            shown.push_back(text);
        }
        return shown;
    };
    for (UINT button : {IDCANCEL, IDOK}) {
        ExceptionsDlg editor(settings);
        ModalSteps steps;
        steps.Then([&] { return editor.GetHwnd() != nullptr; }).Do([&] {
            HWND page = editor.GetHwnd();
            const std::vector<std::wstring> shown = texts(page);
            ASSERT_EQ(2u, shown.size());
            EXPECT_EQ(L"\\Windows\\tmail.exe", shown[0]);
            EXPECT_NE(std::wstring::npos, shown[1].find(L"...\\Navigator.exe")) << shown[1];
            ModalSteps::Click(page, IDC_EXCEPTIONS_DELETE);
            EXPECT_EQ(2u, texts(page).size()) << "Delete without a selection";
            Send(page, IDC_EXCEPTIONS_LIST, LB_SETCURSEL, 0);
            ModalSteps::Click(page, IDC_EXCEPTIONS_DELETE);
            ModalSteps::Click(page, IDC_EXCEPTIONS_ADD);
            EXPECT_EQ(L"\\My Documents\\picked.wav", texts(page).back());
            ModalSteps::Press(editor, button);
        });
        EXPECT_EQ(static_cast<INT_PTR>(button), steps.Run(editor));
    }
    ASSERT_EQ(2u, settings.exceptions.size());
    EXPECT_EQ(longPath, settings.exceptions[0].CStr());
    EXPECT_STREQ(L"\\My Documents\\picked.wav", settings.exceptions[1].CStr());

    ExecuteAction run;
    EXPECT_TRUE(EditAndPress(run, L"Settings of a program execution", IDC_EXECUTE_CHOOSE,
                             [](HWND page) {
                                 ModalSteps::Click(page, IDC_EXECUTE_CHOOSE);
                                 return true;
                             },
                             IDOK));
    EXPECT_STREQ(L"\"\\My Documents\\picked.wav\"", run.CommandLine.CStr());
    EXPECT_EQ(L"\\My Documents", LastFolder_Read(ExecuteOptionsDlg::kLastFolderValue));
    LastFolder_Remember(ExecuteOptionsDlg::kLastFolderValue, L"\\tool.exe");
    EXPECT_EQ(L"\\", LastFolder_Read(ExecuteOptionsDlg::kLastFolderValue));
}

// The alarm sheet's Actions tab opens the chosen action's editor over the sheet with
// "..."; its OK reaches the alarm when the sheet is confirmed: "Vibrate" as 2.
TEST_F(ActionEditors, TheActionsTabOpensTheEditorOverTheSheet) {
    AlarmItem* alarm = store_->CreateAlarm(nullptr);
    AlarmSheet sheet(*alarm, *store_);
    HWND page = nullptr, editor = nullptr;
    ModalSteps steps;
    steps.Then([&] { return sheet.GetEventPage() && (page = sheet.GetEventPage()->GetHwnd()) != nullptr; })
        .Then([&] {
            sheet.SelectPage(1);
            return editor_probe::SelectByData(page, IDC_EVENT_ACTION, Action::kTypeChangeVolume);
        })
        .Do([&] { ModalSteps::PostClick(page, IDC_EVENT_ACTION_SETTINGS); })
        .Then([&] { return (editor = FindEditor(L"Change volume")) != nullptr; })
        .Do([&] {
            EXPECT_EQ(sheet.Frame().GetHwnd(), GetWindow(editor, GW_OWNER)) << "the editor belongs to the sheet";
            HWND volume = PageWith(editor, IDC_VOLUME_VIBRATE);
            CheckRadioButton(volume, IDC_VOLUME_ON, IDC_VOLUME_VIBRATE, IDC_VOLUME_VIBRATE);
            ModalSteps::Click(volume, IDC_VOLUME_VIBRATE);
            ModalSteps::Press(editor, IDOK);
        })
        .Then([&] { return FindEditor(L"Change volume") == nullptr; })
        .Do([&] { ModalSteps::Press(sheet, IDOK); });
    EXPECT_EQ(IDOK, steps.Run(sheet));
    EXPECT_TRUE(steps.Finished());
    ASSERT_EQ(Action::kTypeChangeVolume, alarm->actionType);
    EXPECT_EQ(ChangeVolumeAction::kTypeVibrate, As<ChangeVolumeAction>(alarm->action).Type);
    const boost::shared_ptr<Action> stored = RoundTrip(*alarm->action, Action::kTypeChangeVolume);
    EXPECT_EQ(2u, registryprobe::Read(kItemKey + L"\\ChangeVolume", L"Type").Dword());
    EXPECT_EQ(ChangeVolumeAction::kTypeVibrate, As<ChangeVolumeAction>(stored).Type);
}
