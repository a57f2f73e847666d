#include "App.h"
#include "EngineWnd.h"
#include "FullScreenClockWnd.h"
#include "ProgramSandbox.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Creation and destruction of the program's windows on this thread, in order, by
// class name (the system's own helper windows are left out).
std::vector<std::wstring> g_events;

LRESULT CALLBACK RecordWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND || code == HCBT_DESTROYWND) {
        std::wstring name;
        if (code == HCBT_CREATEWND) {
            LPCWSTR cls = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->lpszClass;
            name = IS_INTRESOURCE(cls) ? L"#" : cls;
        } else {
            wchar_t cls[64] = {};
            GetClassNameW(reinterpret_cast<HWND>(wParam), cls, 64);
            name = cls;
        }
        if (name.rfind(L"Orvalen", 0) == 0) g_events.push_back((code == HCBT_CREATEWND ? L"create " : L"destroy ") + name);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Handles what is waiting (a window left to paint, such as the device's task bar, would
// otherwise come back for ever) and tells whether the quit message was among it.
bool QuitPosted() {
    MSG msg;
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) quit = true;
        else DispatchMessageW(&msg);
    }
    return quit;
}

}  // namespace

TEST(AppLifetime, CreatesAndDestroysInOrder) {
    ProgramSandbox sandbox;  // a device root of its own
    HHOOK hook = SetWindowsHookExW(WH_CBT, RecordWindows, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);

    ASSERT_TRUE(App::InitInstance(GetModuleHandleW(nullptr), L"AppRunAfterTimeChange"));
    EXPECT_NE(nullptr, App::GetSignaller());
    EXPECT_NE(nullptr, App::GetItemStore());
    HWND engine = App::GetEngine()->Hwnd();
    HWND clock = App::GetClockWindow();
    HWND fullScreen = App::GetFullScreenClock()->Hwnd();
    EXPECT_EQ(engine, GetParent(clock));
    EXPECT_TRUE(GetWindowLongW(clock, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(IsWindowVisible(engine));
    EXPECT_FALSE(IsWindowVisible(fullScreen));

    // Paths the rest of the program relies on.
    std::wstring launcher = App::LauncherPath();
    std::wstring deviceWindows = sandbox.Folder() + L"\\device\\Windows\\OrvalenStartup.exe";
    EXPECT_EQ(deviceWindows, launcher);
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring sounds = module;
    sounds.erase(sounds.rfind(L'\\') + 1);
    EXPECT_EQ(sounds + L"Sounds", App::SoundsFolder().CStr());

    // The own command took the channel: with nothing due the engine asked to quit.
    EXPECT_TRUE(QuitPosted());

    App::Shutdown();
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(nullptr, App::GetEngine());
    EXPECT_EQ(nullptr, App::GetClockWindow());
    EXPECT_EQ(nullptr, App::GetFullScreenClock());
    EXPECT_EQ(nullptr, App::GetItemStore());
    EXPECT_EQ(nullptr, App::GetSignaller());
    EXPECT_EQ(nullptr, App::LauncherPath());
    EXPECT_FALSE(IsWindow(engine));

    std::vector<std::wstring> expected = {
        L"create OrvalenEngineWnd",        L"create OrvalenFullScreenClock", L"create OrvalenClock",
        L"destroy OrvalenFullScreenClock", L"destroy OrvalenClock",          L"destroy OrvalenEngineWnd",
    };
    EXPECT_EQ(expected, g_events);
    QuitPosted();  // the engine's destroy handler posts one more
}

TEST(AppLifetime, ShutdownIsSafeWithNothingCreated) {
    App::Shutdown();
    App::Shutdown();
    EXPECT_EQ(nullptr, App::GetEngine());
}

TEST(AppLifetime, LeavesNoHandlesBehind) {
    ProgramSandbox sandbox;
    // New kernel handles take the lowest free slot, so a handle left open by a
    // round of start-up and shutdown moves the next one up.
    auto nextHandle = [] {
        HANDLE probe = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        CloseHandle(probe);
        return probe;
    };
    // The first round loads libraries and registers classes once for the process.
    ASSERT_TRUE(App::InitInstance(GetModuleHandleW(nullptr), L""));
    App::Shutdown();
    HANDLE before = nextHandle();
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(App::InitInstance(GetModuleHandleW(nullptr), L""));
        App::Shutdown();
    }
    EXPECT_EQ(before, nextHandle());
    EXPECT_EQ(nullptr, FindWindowW(EngineWnd::kClassName, nullptr));
    QuitPosted();
}
