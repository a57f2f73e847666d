// Opens the main-menu popup, a page of the options sheet, the snooze list or the about
// page on a simulated screen, over the program's own objects, and keeps it up until told
// to close, so a script can take a screenshot:
//   options_showcase <screen> <page> <width> <height> <dpi> <ready file> <done file>
// screen: popup (over the main window's Alarms tab), options (page: the tab's index),
// snooze (the snooze list), keycapture (the Buttons page's "Assign a key"), about (the main
// window's About tab) or screenshot (the About tab's delayed screenshot: ready once its
// bitmap is written, named in the ready file).
#include <windows.h>

#include <cwchar>
#include <functional>
#include <string>

#include "ShowcaseFiles.h"
#include "AboutPage.h"
#include "App.h"
#include "DeviceScreen.h"
#include "DeviceSession.h"
#include "DeviceSignals.h"
#include "Dpi.h"
#include "EngineMessage.h"
#include "EngineWnd.h"
#include "KeyCaptureDlg.h"
#include "ItemStore.h"
#include "MainWindow.h"
#include "OptionsSheet.h"
#include "ProgramScreens.h"
#include "Settings.h"
#include "SnoozeTimeDlg.h"
#include "Translator.h"
#include "ZipFileArchive.h"
#include "ShowcaseStart.h"
#include "nled.h"
#include "resource.h"

namespace {

constexpr UINT kPollMs = 100;
constexpr int kSettleTicks = 20;

std::wstring g_ready, g_done;
std::function<void()> g_atHalfTime;
std::function<bool()> g_readyWhen;
int g_ticks = 0;

using showcase::FileExists;
using showcase::Touch;

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    ++g_ticks;
    if (g_ticks == kSettleTicks / 2 && g_atHalfTime) g_atHalfTime();
    if (g_ticks >= kSettleTicks && !FileExists(g_ready) && (!g_readyWhen || g_readyWhen())) Touch(g_ready);
    // WM_QUIT ends every modal loop on the way out.
    if (g_ticks > kSettleTicks && FileExists(g_done)) PostQuitMessage(0);
}

void RunLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (const int failed = Showcase_Start(argc, argv, L"options_showcase")) return failed;
    g_ready = argv[6];
    g_done = argv[7];
    EngineWnd* engine = App::GetEngine();
    const std::wstring screen = argv[1];
    const int page = _wtoi(argv[2]);
    const UINT_PTR timer = SetTimer(nullptr, 0, kPollMs, OnTick);
    if (screen == L"options") {
        // The test pack, so the Languages page lists languages with their flags; a German
        // shot keeps the pack its script gave.
        if (!GetEnvironmentVariableW(L"ORVALEN_SHOWCASE_PACK", nullptr, 0)) {
            wchar_t exe[MAX_PATH] = {};
            GetModuleFileNameW(nullptr, exe, MAX_PATH);
            std::wstring pack = exe;
            pack = pack.substr(0, pack.find_last_of(L'\\')) + L"\\..\\framework\\fixtures\\translation.zip";
            Translator::Instance().Load(new ZipFileArchive(pack.c_str()), false);
        }
        OptionsSheet sheet;
        g_atHalfTime = [&sheet, page] {
            if (page < sheet.PageCount()) sheet.SelectPage(page);
        };
        sheet.Show(engine->Hwnd());
    } else if (screen == L"snooze") {
        SnoozeTimeDlg dialog(*App::GetItemStore()->GetSettings().system);
        dialog.Run(engine->Hwnd());
    } else if (screen == L"keycapture") {
        // Over the window the start opened, as it is over the Buttons page.
        KeyCaptureDlg capture;
        capture.Run(MainWindow::Window() ? MainWindow::Window() : engine->Hwnd());
    } else if (screen == L"popup") {
        if (!MainWindow::Open(MainWindow::kAlarmsTab)) return 1;
        g_atHalfTime = [engine] { PostMessageW(engine->Hwnd(), EngineMessage::kMainMenu, 0, 0); };
        RunLoop();
    } else if (screen == L"about") {
        if (!MainWindow::Open(MainWindow::kAboutTab)) return 1;
        RunLoop();
    } else if (screen == L"screenshot") {
        if (!MainWindow::Open(MainWindow::kAboutTab)) return 1;
        const std::wstring shot = AboutPage::NextScreenshotPath();
        g_atHalfTime = [] { PostMessageW(MainWindow::Window(), WM_COMMAND, IDS_ABOUT_SCREENSHOT, 0); };
        g_readyWhen = [shot] { return FileExists(shot); };
        RunLoop();
    }
    KillTimer(nullptr, timer);
    MainWindow::Close();
    App::Shutdown();
    return 0;
}
