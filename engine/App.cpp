#include "App.h"

#include "CommandWord.h"
#include "CopyDataCommand.h"
#include "EngineItemHost.h"
#include "EngineScreens.h"
#include "EngineWnd.h"
#include "InstanceMutex.h"
#include "InputSenseClient.h"
#include "ItemStore.h"
#include "PlatformHelpers.h"
#include "RegKeyRef.h"
#include "Signaller.h"
#include "TodayTranslation.h"
#include "Translator.h"
#include "UnattendedScope.h"
#include "ZipFileArchive.h"
#include "aygshell.h"

#include <commctrl.h>
#include <exception>
#include <new>
#include <wchar.h>

namespace {

const wchar_t kLanguagePackFile[] = L"translation.zip";
const wchar_t kSoundsFolderName[] = L"Sounds";
const wchar_t kLauncherFile[] = L"\\OrvalenStartup.exe";
const DWORD kCommonControlClasses = ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_DATE_CLASSES;

}  // namespace

HINSTANCE App::instance_ = nullptr;
InstanceMutex App::instanceMutex_;
wchar_t* App::launcherPath_ = nullptr;
RcString App::soundsFolder_;
Signaller* App::signaller_ = nullptr;
ItemStore* App::itemStore_ = nullptr;
EngineWnd* App::engine_ = nullptr;
bool App::activityDriverUsable_ = false;
bool App::registryDirty_ = false;

std::wstring App::ModulePath() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(instance_, path, MAX_PATH);
    if (n >= MAX_PATH) n = 0;
    return std::wstring(path, n);
}

std::wstring App::ProgramFolderFile(const wchar_t* name) {
    std::wstring path = ModulePath();
    size_t slash = path.rfind(L'\\');
    path.erase(slash == std::wstring::npos ? 0 : slash + 1);
    if (path.empty()) path = L"\\";
    return path + name;
}

void App::CloseInstanceMutex() { instanceMutex_.Release(); }

int App::WinMain(HINSTANCE instance, const wchar_t* commandText) {
    if (!commandText) commandText = L"";
    UnattendedScope unattended;
    instance_ = instance;

    // Never a second engine beside a running or starting one: the text goes to it.
    if (instanceMutex_.TakeOrHandOver(commandText) != InstanceMutex::Start::kFirst) return 0;

    int exitCode = 0;
    try {
        WriteLocation();
        PrepareLanguage(commandText);
        if (!InitInstance(instance, commandText)) {
            Shutdown();
            CloseInstanceMutex();
            return 0;
        }
        unattended.Release();
        exitCode = RunMessageLoop();
    } catch (const std::exception&) {
        // Out of memory during start-up or in the loop: tear down what exists.
        exitCode = 0;
    }
    Shutdown();
    // Held until everything is down, so the next start never runs beside this one.
    CloseInstanceMutex();
    return exitCode;
}

void App::WriteLocation() {
    RegKeyRef key = RegKeyRef::Open(kProductKey, HKEY_CURRENT_USER, false);
    if (key.IsOpen()) RegKeyRef_SetString(key, ModulePath().c_str(), kLocationValue);
}

void App::PrepareLanguage(const wchar_t* commandText) {
    if (wcscmp(commandText, CommandWord::kUninstall) == 0) return;
    std::wstring pack = ProgramFolderFile(kLanguagePackFile);
    ZipArchive* archive = new (std::nothrow) ZipFileArchive(pack.c_str());
    // A screen-saver start shows no wait cursor.
    Translator::Instance().Load(archive, wcscmp(commandText, CommandWord::kScreenSaver) != 0);
    TodayTranslation::Write();
}

bool App::InitInstance(HINSTANCE instance, const wchar_t* commandText) {
    if (!commandText) commandText = L"";
    instance_ = instance;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    activityDriverUsable_ = InputSense_SystemTimerPresent();

    std::wstring module = ModulePath();
    size_t slash = module.rfind(L'\\');
    soundsFolder_.SetCStr(slash == std::wstring::npos ? L"\\" : module.substr(0, slash + 1).c_str());
    soundsFolder_.AppendCStr(kSoundsFolderName);

    wchar_t windows[MAX_PATH];
    Sys_GetWindowsFolder(windows);
    std::wstring launcher = std::wstring(windows) + kLauncherFile;
    launcherPath_ = _wcsdup(launcher.c_str());

    INITCOMMONCONTROLSEX controls = {sizeof controls, kCommonControlClasses};
    InitCommonControlsEx(&controls);
    SHInitExtraControls();

    ItemHost::Install(&EngineItemHost::Instance());
    signaller_ = new (std::nothrow) Signaller;
    itemStore_ = new (std::nothrow) ItemStore(soundsFolder_, activityDriverUsable_);
    engine_ = EngineWnd::Create();
    EngineScreens* screens = EngineScreens::Current();
    bool clockWindows = screens && screens->CreateClockWindows(engine_ ? engine_->Hwnd() : nullptr);

    SetCursor(nullptr);
    if (!signaller_ || !itemStore_ || !engine_ || !clockWindows) return false;

    // The first instance's own command takes the same road as every other one.
    CopyDataCommand(commandText).SendTo(engine_->Hwnd());
    return true;
}

void App::Shutdown() {
    SetCursor(nullptr);
    if (EngineScreens* screens = EngineScreens::Current()) screens->DestroyClockWindows();
    if (engine_ && IsWindow(engine_->Hwnd())) DestroyWindow(engine_->Hwnd());
    delete engine_;
    engine_ = nullptr;
    delete itemStore_;
    itemStore_ = nullptr;
    delete signaller_;
    signaller_ = nullptr;
    free(launcherPath_);
    launcherPath_ = nullptr;
}

FullScreenClockControl* App::GetFullScreenClock() {
    EngineScreens* screens = EngineScreens::Current();
    return screens ? screens->FullScreenClock() : nullptr;
}

HWND App::GetClockWindow() {
    EngineScreens* screens = EngineScreens::Current();
    return screens ? screens->ClockWindow() : nullptr;
}

bool App::HasMainWindow() {
    EngineScreens* screens = EngineScreens::Current();
    return screens && screens->HasMainWindow();
}

int App::RunMessageLoop() {
    MSG msg;
    for (;;) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && registryDirty_) {
            EngineWnd::FlushRegistry();
            ClearRegistryDirty();
        }
        BOOL result = GetMessageW(&msg, nullptr, 0, 0);
        if (result == -1) continue;
        if (result == 0) return static_cast<int>(msg.wParam);
        if (!IsDialogMessageW(msg.hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}
