#include "ActionEditorShowcase.h"

#include <windows.h>

#include "BluetoothOptionsDlg.h"
#include "BthOnAction.h"
#include "ChangeTimeZoneAction.h"
#include "ChangeVolumeAction.h"
#include "DisableFlightModeAction.h"
#include "ExceptionsDlg.h"
#include "ExecuteAction.h"
#include "ExecuteOptionsDlg.h"
#include "ItemStore.h"
#include "PinDlg.h"
#include "SMSAction.h"
#include "ScreenSaverSettings.h"
#include "SmsOptionsDlg.h"
#include "TimeZoneDlg.h"
#include "TimerChooserDlg.h"
#include "VolumeOptionsDlg.h"

bool ShowActionEditor(const std::wstring& kind, ItemStore& store, const std::function<INT_PTR(FramedDialog&)>& run) {
    if (kind == L"exceptions") {
        ScreenSaverSettings settings;
        settings.exceptions.emplace_back(L"\\Windows\\tmail.exe");
        settings.exceptions.emplace_back(L"\\Program Files\\A very long program folder name\\Navigator.exe");
        ExceptionsDlg editor(settings);
        run(editor);
    } else if (kind == L"sms") {
        SMSAction action;
        action.To.SetCStr(L"Ann Smith");
        action.Number.SetCStr(L"+49 170 5550123");
        action.Message.SetCStr(L"Wake up! The train leaves at 7:12.");
        action.DeliveryNotification = 1;
        SmsOptionsDlg editor(action);
        run(editor);
    } else if (kind == L"execute") {
        ExecuteAction action;
        action.CommandLine.SetCStr(L"\"\\Windows\\pword.exe\" \\My Documents\\notes.txt");
        ExecuteOptionsDlg editor(action);
        run(editor);
    } else if (kind == L"bluetooth") {
        BthOnAction action;
        BluetoothOptionsDlg editor(action);
        run(editor);
    } else if (kind == L"timezone") {
        ChangeTimeZoneAction action;
        action.ZoneIndex = 3;
        TimeZoneDlg editor(action);
        run(editor);
    } else if (kind == L"timers") {
        TimerItem* tea = store.CreateTimer(nullptr);
        tea->SetTitle(RcString(L"Tea"));
        tea->flags |= TimerItem::kTemplate;
        TimerChooserDlg editor(tea->Hash);
        run(editor);
    } else if (kind == L"volume") {
        ChangeVolumeAction action;
        action.Vol = 40;
        action.RingVol = 80;
        VolumeOptionsDlg editor(action);
        run(editor);
    } else if (kind == L"pin") {
        DisableFlightModeAction action;
        action.code.SetCStr(L"1234");
        PinDlg editor(action);
        run(editor);
    } else {
        return false;
    }
    return true;
}
