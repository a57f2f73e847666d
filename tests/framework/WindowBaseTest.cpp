#include "ControlWndBase.h"
#include "HandlerFaultReporter.h"
#include "WindowBase.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Records the handlers that ran and what reached DefProc.
class ProbeWindow : public WindowBase {
public:
    struct Passed {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<std::string> calls;
    std::vector<Passed> passed;
    bool createResult = true;
    bool throwOnPaint = false;
    void* createParam = nullptr;

    void SetRememberedOrientation(DWORD o) { orientation_ = o; }

    LRESULT DefProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        passed.push_back({message, wParam, lParam});
        return WindowBase::DefProc(message, wParam, lParam);
    }
    bool OnCreate(CREATESTRUCTW* create) override {
        calls.push_back("create");
        createParam = create->lpCreateParams;
        return createResult && WindowBase::OnCreate(create);
    }
    void OnDestroy() override {
        calls.push_back("destroy");
        WindowBase::OnDestroy();
    }
    void OnPaint() override {
        if (throwOnPaint)
            throw std::runtime_error("paint failed");
        WindowBase::OnPaint();
    }
    void OnSize(UINT type, int width, int height) override {
        calls.push_back("size " + std::to_string(width) + "x" + std::to_string(height));
    }
    void OnOrientationChange(UINT width, UINT height, DWORD orientation) override {
        calls.push_back("turn " + std::to_string(orientation));
    }
    void OnTimer(UINT_PTR id) override {
        if (id == 99)
            throw 99;  // not even a std::exception
        calls.push_back("timer " + std::to_string(id));
    }
    LRESULT OnHelp(HELPINFO*, WPARAM) override { return 0; }
};

// Collects reports instead of showing a modal box.
struct ReportSink {
    static std::vector<std::wstring> texts;
    static std::wstring caption;
    static void (*duringShow)();
    static void Show(const wchar_t* text, const wchar_t* cap) {
        texts.push_back(text);
        caption = cap;
        if (duringShow)
            duringShow();
    }
};
std::vector<std::wstring> ReportSink::texts;
std::wstring ReportSink::caption;
void (*ReportSink::duringShow)() = nullptr;

class WindowBaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ReportSink::texts.clear();
        ReportSink::duringShow = nullptr;
        previous_ = HandlerFaultReporter::SetShowFunction(&ReportSink::Show);
    }
    void TearDown() override { HandlerFaultReporter::SetShowFunction(previous_); }

    static std::unique_ptr<ProbeWindow> Popup(const wchar_t* title = L"Probe", DWORD style = WS_POPUP) {
        auto w = std::make_unique<ProbeWindow>();
        EXPECT_TRUE(w->Create(nullptr, nullptr, style, 0, 0, 200, 100, title, 0, nullptr));
        return w;
    }

private:
    HandlerFaultReporter::ShowFunction previous_ = nullptr;
};

// Upper-cases typed characters and keeps everything else of the edit control.
class UpperEdit : public ControlWndBase {
public:
    void OnChar(WCHAR character, UINT repeat) override {
        ControlWndBase::OnChar(static_cast<WCHAR>(std::towupper(character)), repeat);
    }
};

std::wstring TextOf(HWND window) {
    wchar_t buffer[256] = L"";
    GetWindowTextW(window, buffer, 256);
    return buffer;
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 1)
        return 42;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreatePlainWindow() {
    WNDCLASSW plain = {};
    plain.lpfnWndProc = PlainProc;
    plain.hInstance = GetModuleHandleW(nullptr);
    plain.lpszClassName = L"OrvalenTestPlain";
    RegisterClassW(&plain);
    return CreateWindowExW(0, L"OrvalenTestPlain", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

TEST_F(WindowBaseTest, CreationBindsAndDestructionUnbinds) {
    auto w = Popup();
    HWND window = w->GetHwnd();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(w->calls.front(), "create");
    EXPECT_EQ(w->createParam, w.get());
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(w.get()));
    wchar_t className[64];
    GetClassNameW(window, className, 64);
    EXPECT_STREQ(className, L"CWNDGENCLASS");
    EXPECT_TRUE(Wnd_IsFrameworkClass(L"CWNDGENCLASS", nullptr));
    EXPECT_FALSE(Wnd_IsFrameworkClass(L"BUTTON", nullptr));
    EXPECT_FALSE(Wnd_IsFrameworkClass(L"NoSuchClass", nullptr));
    ASSERT_TRUE(Wnd_RegisterClass(L"OrvalenTestOwnClass", CS_HREDRAW | CS_VREDRAW, nullptr, nullptr));
    ProbeWindow own;
    ASSERT_TRUE(own.Create(nullptr, L"OrvalenTestOwnClass", WS_POPUP, 0, 0, 10, 10, L"", 0, nullptr));
    GetClassNameW(own.GetHwnd(), className, 64);
    EXPECT_STREQ(className, L"OrvalenTestOwnClass");  // used as it is, not superclassed
    EXPECT_FALSE(w->Create(nullptr, nullptr, WS_POPUP, 0, 0, 10, 10, L"", 0, nullptr));  // already bound
    // Handing a bound object to a second window directly is refused as well.
    EXPECT_EQ(CreateWindowExW(0, L"CWNDGENCLASS", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), w.get()),
              nullptr);
    EXPECT_EQ(w->GetHwnd(), window);

    DestroyWindow(window);
    EXPECT_EQ(w->calls.back(), "destroy");
    EXPECT_EQ(w->GetHwnd(), nullptr);
    EXPECT_FALSE(IsWindow(window));

    // Deleting an object destroys a window that still exists.
    auto second = Popup();
    HWND secondWindow = second->GetHwnd();
    second.reset();
    EXPECT_FALSE(IsWindow(secondWindow));

    // A window of a framework class without an object is a plain window.
    HWND bare = CreateWindowExW(0, L"CWNDGENCLASS", L"bare", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(TextOf(bare), L"bare");
    EXPECT_EQ(SendMessageW(bare, WM_USER + 3, 0, 0), 0);
    DestroyWindow(bare);
}

TEST_F(WindowBaseTest, FailedOnCreateFailsCreation) {
    ProbeWindow w;
    w.createResult = false;
    EXPECT_FALSE(w.Create(nullptr, nullptr, WS_POPUP, 0, 0, 10, 10, L"", 0, nullptr));
    EXPECT_EQ(w.GetHwnd(), nullptr);
    EXPECT_EQ(w.calls.front(), "create");
}

TEST_F(WindowBaseTest, HandlersGetDecodedArgumentsAndDefaultsPassTheMessageOn) {
    auto w = Popup();
    HWND window = w->GetHwnd();
    SendMessageW(window, WM_TIMER, 234, 0);
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 80));
    EXPECT_EQ(w->calls.back(), "size 120x80");
    EXPECT_EQ(w->calls[w->calls.size() - 2], "timer 234");
    EXPECT_EQ(SendMessageW(window, WM_HELP, 0, 0), 1);  // whatever the handler returns

    // Each default re-packs exactly what the window received.
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        WPARAM wantW;
        LPARAM wantL;
    };
    MSG key = {};
    key.wParam = VK_RETURN;
    const Case cases[] = {
        {WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), 0, MAKEWPARAM(1001, BN_CLICKED), 0},
        {WM_KEYDOWN, VK_LEFT, MAKELPARAM(3, 0x14B), VK_LEFT, MAKELPARAM(3, 0x14B)},
        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, -7), MK_LBUTTON, MAKELPARAM(-5, -7)},
        {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 77), 0, MAKEWPARAM(SB_THUMBTRACK, 77), 0},
        {WM_HOTKEY, 5, MAKELPARAM(MOD_ALT, 'Q'), 5, MAKELPARAM(MOD_ALT, 'Q')},
        {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), 0, MAKEWPARAM(WA_ACTIVE, 1), 0},
        {WM_CHAR, L'x', MAKELPARAM(2, 0x2D), L'x', 2},  // only the repeat count goes on
        {WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&key), VK_RETURN, reinterpret_cast<LPARAM>(&key)},
        {WM_USER + 7, 11, 12, 11, 12},
    };
    for (const Case& c : cases) {
        w->passed.clear();
        SendMessageW(window, c.message, c.wParam, c.lParam);
        ASSERT_FALSE(w->passed.empty()) << std::hex << c.message;
        EXPECT_EQ(w->passed.front().message, c.message);
        EXPECT_EQ(w->passed.front().wParam, c.wantW) << std::hex << c.message;
        EXPECT_EQ(w->passed.front().lParam, c.wantL) << std::hex << c.message;
    }
}

TEST_F(WindowBaseTest, TurningTheDisplayReachesTheHandlerBeforeTheSize) {
    auto w = Popup();
    DWORD current = WindowBase::QueryDisplayOrientation(DMDO_DEFAULT);
    DWORD turned = current == DMDO_90 ? DMDO_DEFAULT : DMDO_90;
    w->SetRememberedOrientation(turned);  // as if the window last saw the other way round
    w->calls.clear();
    SendMessageW(w->GetHwnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(320, 240));
    SendMessageW(w->GetHwnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(240, 320));
    EXPECT_EQ(w->calls, (std::vector<std::string>{"turn " + std::to_string(current), "size 320x240", "size 240x320"}));
    EXPECT_EQ(w->GetOrientation(), current);
}

TEST_F(WindowBaseTest, ThrowingHandlerIsReportedOnceAndTheWindowGoesOn) {
    auto w = Popup(L"Clock", WS_POPUP | WS_VISIBLE);  // only a shown window has an update region
    HWND window = w->GetHwnd();
    w->throwOnPaint = true;
    InvalidateRect(window, nullptr, FALSE);
    ASSERT_TRUE(GetUpdateRect(window, nullptr, FALSE));
    EXPECT_EQ(SendMessageW(window, WM_PAINT, 0, 0), 0);
    ASSERT_EQ(ReportSink::texts.size(), 1u);
    EXPECT_EQ(ReportSink::texts[0],
              L"Window \"Clock\" terminated abnormally by an exception. Message - 000fh. Please report to the author!");
    EXPECT_EQ(ReportSink::caption, L"Error");
    // The failed paint was validated, so it is not asked for again and again.
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));

    // While a report is showing, further faults on this thread are only counted.
    static HWND s_window;
    s_window = window;
    ReportSink::duringShow = [] {
        SendMessageW(s_window, WM_TIMER, 99, 0);
        SendMessageW(s_window, WM_TIMER, 99, 0);
    };
    unsigned suppressedBefore = HandlerFaultReporter::SuppressedCount();
    SendMessageW(window, WM_TIMER, 99, 0);
    EXPECT_EQ(ReportSink::texts.size(), 2u);
    EXPECT_EQ(HandlerFaultReporter::SuppressedCount(), suppressedBefore + 2);
    EXPECT_NE(ReportSink::texts[1].find(L"Message - 0113h"), std::wstring::npos);

    // Still bound and working.
    ReportSink::duringShow = nullptr;
    EXPECT_EQ(w->GetHwnd(), window);
    SendMessageW(window, WM_TIMER, 7, 0);
    EXPECT_EQ(w->calls.back(), "timer 7");
    SendMessageW(window, WM_TIMER, 99, 0);
    EXPECT_EQ(ReportSink::texts.size(), 3u);  // reports again once the box is gone
}

TEST_F(WindowBaseTest, SuperclassedControlKeepsItsOwnBehaviour) {
    auto parent = Popup();
    UpperEdit first, second;
    ASSERT_TRUE(first.Create(parent->GetHwnd(), L"EDIT", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, L"", 301, nullptr));
    ASSERT_TRUE(second.Create(parent->GetHwnd(), L"EDIT", WS_CHILD, 0, 30, 100, 20, L"b", 302, nullptr));
    wchar_t className[64];
    GetClassNameW(first.GetHwnd(), className, 64);
    EXPECT_STREQ(className, L"CWndEDIT");
    EXPECT_EQ(GetDlgCtrlID(second.GetHwnd()), 302);

    for (UpperEdit* edit : {&first, &second}) {
        HWND window = edit->GetHwnd();
        SendMessageW(window, EM_SETLIMITTEXT, 5, 0);
        EXPECT_EQ(SendMessageW(window, EM_GETLIMITTEXT, 0, 0), 5);  // the edit's own state
        SetWindowTextW(window, L"");
        for (wchar_t c : std::wstring(L"abcdefg"))
            SendMessageW(window, WM_CHAR, c, 1);
        EXPECT_EQ(TextOf(window), L"ABCDE");  // our handler, then the edit's limit
    }
    HWND firstWindow = first.GetHwnd();
    DestroyWindow(firstWindow);
    EXPECT_EQ(first.GetHwnd(), nullptr);
    EXPECT_FALSE(IsWindow(firstWindow));
}

TEST_F(WindowBaseTest, SubclassChecksBeforeItChangesAnything) {
    HWND plain = CreatePlainWindow();
    HWND other = CreatePlainWindow();
    ASSERT_TRUE(plain && other);
    SetWindowLongPtrW(plain, GWLP_USERDATA, 1234);
    SetWindowLongPtrW(other, GWLP_USERDATA, 5678);
    LONG_PTR otherProc = GetWindowLongPtrW(other, GWLP_WNDPROC);

    ProbeWindow w;
    EXPECT_FALSE(w.Subclass(nullptr));
    ASSERT_TRUE(w.Subclass(plain));
    SendMessageW(plain, WM_TIMER, 5, 0);
    EXPECT_EQ(w.calls.back(), "timer 5");
    EXPECT_EQ(SendMessageW(plain, WM_USER + 1, 0, 0), 42);  // unhandled: the window's own procedure

    // Already bound: the other window keeps its procedure and user data.
    EXPECT_FALSE(w.Subclass(other));
    EXPECT_EQ(GetWindowLongPtrW(other, GWLP_USERDATA), 5678);
    EXPECT_EQ(GetWindowLongPtrW(other, GWLP_WNDPROC), otherProc);
    // A window that another object serves is refused as well.
    ProbeWindow intruder;
    EXPECT_FALSE(intruder.Subclass(plain));
    EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&w));

    EXPECT_EQ(w.Detach(), plain);
    EXPECT_EQ(w.GetHwnd(), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_USERDATA), 1234);
    EXPECT_EQ(SendMessageW(plain, WM_USER + 1, 0, 0), 42);
    w.calls.clear();
    SendMessageW(plain, WM_TIMER, 6, 0);
    EXPECT_TRUE(w.calls.empty());
    DestroyWindow(plain);
    DestroyWindow(other);

    // Detaching a window the object created leaves a plain default window behind.
    auto created = Popup();
    HWND window = created->Detach();
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), 0);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(DefWindowProcW));
    DestroyWindow(window);
}

TEST_F(WindowBaseTest, ChildrenExtentAndScrollPosition) {
    auto page = std::make_unique<ProbeWindow>();
    ASSERT_TRUE(page->Create(nullptr, nullptr, WS_POPUP | WS_VSCROLL, 0, 0, 300, 200, L"", 0, nullptr));
    RECT client;
    GetClientRect(page->GetHwnd(), &client);
    ProbeWindow top, hidden, low;
    ASSERT_TRUE(top.Create(page->GetHwnd(), nullptr, WS_CHILD | WS_VISIBLE, 0, 10, 50, 30, L"", 1, nullptr));
    ASSERT_TRUE(hidden.Create(page->GetHwnd(), nullptr, WS_CHILD, 0, 500, 50, 30, L"", 2, nullptr));
    int bottom = -1;
    EXPECT_TRUE(page->GetChildrenExtent(bottom));
    EXPECT_EQ(bottom, 40);

    ASSERT_TRUE(low.Create(page->GetHwnd(), nullptr, WS_CHILD | WS_VISIBLE, 0, client.bottom - 10, 50, 30, L"", 3,
                           nullptr));
    HDC dc = GetDC(page->GetHwnd());
    int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(page->GetHwnd(), dc);
    EXPECT_FALSE(page->GetChildrenExtent(bottom));
    EXPECT_EQ(bottom, client.bottom + 20 + (8 * dpiY + 48) / 96);

    SCROLLINFO info = {sizeof(info), SIF_RANGE | SIF_POS, 0, 100, 0, 30, 0};
    SetScrollInfo(page->GetHwnd(), SB_VERT, &info, FALSE);
    EXPECT_EQ(page->GetVScrollPos(), 30);
    EXPECT_EQ(top.GetVScrollPos(), 0);
}
