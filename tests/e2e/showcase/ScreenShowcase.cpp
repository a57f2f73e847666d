// Opens one of the program's own screens on a simulated screen and keeps it up until
// told to close, so a script can take a screenshot of it:
//   screen_showcase <kind> <width> <height> <dpi> <language pack> <ready file> <done file> [folder]
// Kinds: countdown; clock (the full-screen clock with the built-in skin); skin (with the
// skin "test" of the folder's "Skins", unread messages and a missed call); slide (the
// slide show of the folder's pictures).
// The ready file appears once the screen is up; it closes when the done file exists.
#include <windows.h>

#include <cwchar>
#include <string>

#include "App.h"
#include "ClockWnd.h"
#include "DeviceScreen.h"
#include "DeviceSession.h"
#include "Dpi.h"
#include "FullScreenClockWnd.h"
#include "ItemStore.h"
#include "ProgramScreens.h"
#include "ResetCountdownWnd.h"
#include "SkinList.h"

namespace {

constexpr UINT kPollMs = 100;
constexpr int kSettleTicks = 15;

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Touch(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

// Starts the program's objects and shows the full-screen clock as kind asks; its window.
HWND ShowClock(const std::wstring& kind, const std::wstring& folder) {
    ProgramScreens::Install();
    if (!App::InitInstance(GetModuleHandleW(nullptr), L"")) return nullptr;
    FullScreenClockWnd* screen = FullScreenClockWnd::Instance();
    ClockWnd* clock = ClockWnd::Instance();
    if (!screen || !clock) return nullptr;
    if (kind == L"skin") {
        // Unread messages and a missed call, for the indicators.
        const DWORD count = 2;
        RegSetKeyValueW(HKEY_CURRENT_USER, L"System\\State\\Messages\\SMS\\Unread", L"Count", REG_DWORD, &count,
                        sizeof count);
        RegSetKeyValueW(HKEY_CURRENT_USER, L"System\\State\\Phone", L"Missed Call Count", REG_DWORD, &count,
                        sizeof count);
        clock->UseSkins(std::unique_ptr<SkinList>(new SkinList(folder + L"\\")));
        SkinList& skins = clock->Skins();
        for (int i = 0; i < skins.Count(); ++i)
            if (skins.At(i)->GetName() == L"test") clock->OnClockCommand(ClockWnd::kFirstSkinCommand + i);
    }
    if (kind == L"slide") {
        SlideShowSettings& slides = App::GetItemStore()->GetSettings().screenSaver->slideShow;
        slides.Folder = RcString(folder.c_str());
        slides.Effect = 0;
        slides.DelaySec = 60;
    }
    screen->Show(true, true, kind == L"slide", true);
    return screen->IsShowing() ? screen->GetHwnd() : nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring kind = argc >= 8 ? argv[1] : L"";
    const bool clockKind = kind == L"clock" || kind == L"skin" || kind == L"slide";
    if ((kind != L"countdown" || argc != 8) && (!clockKind || argc < 8)) {
        fwprintf(stderr, L"usage: screen_showcase countdown|clock|skin|slide <width> <height> <dpi> <pack> <ready> "
                         L"<done> [folder]\n");
        return 2;
    }
    if (!DeviceSession_Attach() || !DeviceScreen_SetMode(_wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]))) {
        fwprintf(stderr, L"screen_showcase: no device session or bad screen\n");
        return 2;
    }
    Dpi_ResetCache();
    const std::wstring ready = argv[6], done = argv[7];
    HWND window = nullptr;
    if (clockKind) {
        window = ShowClock(kind, argc > 8 ? argv[8] : L"");
    } else if (ResetCountdownWnd* countdown = ResetCountdownWnd::Open()) {
        window = countdown->GetHwnd();
    }
    if (!window) return 1;
    SetTimer(nullptr, 0, kPollMs, nullptr);
    int ticks = 0;
    MSG msg;
    while (IsWindow(window) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
            if (++ticks == kSettleTicks) Touch(ready);
            if (ticks > kSettleTicks && FileExists(done)) {
                if (clockKind) {
                    App::Shutdown();
                    break;
                }
                DestroyWindow(window);
            }
            continue;
        }
        if (!IsDialogMessageW(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}
