// Opens one page of the item editors on a simulated screen, over the program's own
// objects, and keeps it up until told to close, so a script can take a screenshot:
//   editor_showcase <sheet> <page> <width> <height> <dpi> <ready file> <done file>
// sheet: alarm, timer, default, chime or cycle (page: the tab's index), alarm-lostsound
// (an alarm whose sound is on a memory card that is not there), or one of the action
// editors: exceptions, sms, execute, bluetooth, timezone, timers, volume, pin.
#include <windows.h>

#include <cwchar>
#include <functional>
#include <string>

#include "ShowcaseFiles.h"
#include "AlarmItem.h"
#include "AlarmSheet.h"
#include "App.h"
#include "DeviceSignals.h"
#include "DeviceScreen.h"
#include "DialogFrame.h"
#include "DeviceSession.h"
#include "EngineWnd.h"
#include "Dpi.h"
#include "ItemStore.h"
#include "ProgramScreens.h"
#include "SoundSettingsSheet.h"
#include "TimerDialog.h"
#include "TimerItem.h"
#include "ShowcaseStart.h"
#include "nled.h"
#include "ActionEditorShowcase.h"
#include "VibrationCycleDlg.h"

namespace {

constexpr UINT kPollMs = 100;
constexpr int kSettleTicks = 20;

std::wstring g_ready, g_done;
FramedDialog* g_dialog = nullptr;
std::function<void()> g_showPage;
int g_ticks = 0;

using showcase::FileExists;
using showcase::Touch;

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    ++g_ticks;
    if (g_ticks == kSettleTicks / 2 && g_showPage) g_showPage();
    if (g_ticks == kSettleTicks) Touch(g_ready);
    if (g_ticks > kSettleTicks && FileExists(g_done)) PostMessageW(g_dialog->Frame().GetHwnd(), WM_COMMAND, IDCANCEL, 0);
}

INT_PTR Run(FramedDialog& dialog) {
    g_dialog = &dialog;
    const UINT_PTR timer = SetTimer(nullptr, 0, kPollMs, OnTick);
    const INT_PTR result = dialog.Show(nullptr);
    KillTimer(nullptr, timer);
    return result;
}

template <class Sheet>
INT_PTR RunSheet(Sheet& sheet, int page) {
    g_showPage = [&sheet, page] {
        if (page < sheet.PageCount()) sheet.SelectPage(page);
    };
    return Run(sheet);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (const int failed = Showcase_Start(argc, argv, L"editor_showcase")) return failed;
    g_ready = argv[6];
    g_done = argv[7];
    ItemStore& store = *App::GetItemStore();
    const std::wstring sheet = Showcase_ScreenName(argv[1]);
    const int page = _wtoi(argv[2]);
    if (sheet == L"alarm" || sheet == L"alarm-lostsound") {
        AlarmItem* alarm = store.CreateAlarm(nullptr);
        if (sheet == L"alarm-lostsound") {
            alarm->soundSettings.builtIn = 0;
            alarm->soundSettings.custom.SetCStr(L"\\Storage Card\\Ringtones\\Morning birds.mp3");
        }
        AlarmSheet editor(*alarm, store);
        RunSheet(editor, page);
    } else if (sheet == L"timer") {
        TimerItem* timer = store.CreateTimer(nullptr);
        TimerDialog editor(*timer, store);
        RunSheet(editor, page);
    } else if (sheet == L"default") {
        DefaultSoundDialog editor;
        RunSheet(editor, page);
    } else if (sheet == L"chime") {
        ChimeSoundDialog editor(store.Chime(), 2);
        RunSheet(editor, page);
    } else if (sheet == L"cycle") {
        ItemVibrationSettings record;
        VibrationCycleDlg editor(&record);
        Run(editor);
    } else {
        ShowActionEditor(sheet, store, Run);
    }
    App::Shutdown();
    return 0;
}
