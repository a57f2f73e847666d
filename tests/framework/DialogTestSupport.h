#pragma once
// Helpers of the dialog tests: the German test pack, and modal dialogs driven by a
// timer that runs one step per tick (a modal loop never returns to the test).
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "TestWindows.h"

namespace dialogtests {

// Loads the dialog tests' language pack in German; false when it is missing.
bool LoadGermanPack();
// Gives the simulated device another screen and forgets the cached density.
void UseScreen(int width, int height, int dpi);

using testsupport::WindowText;
// The child's window rectangle in the parent's client coordinates.
RECT ChildRect(HWND parent, HWND child);
void PumpMessages();
using testsupport::ButtonText;
// Text of a menu item by position.
std::wstring MenuText(HMENU menu, int position);

// A visible top-level STATIC window for the life of the scope: a parent or owner
// for the windows under test.
class TestWindow {
public:
    TestWindow(const wchar_t* title, int x, int y, int width, int height);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Get() const { return window_; }

private:
    HWND window_;
};

// Runs steps from a thread timer while a modal loop is up: each step runs once,
// in order, one per tick. A script that is still running after its time limit ends
// the dialog given to Watch with -2, so a failing test never hangs.
class ModalScript {
public:
    using Step = std::function<void()>;

    explicit ModalScript(UINT intervalMs = 30, int maxTicks = 400);
    ~ModalScript();
    ModalScript& Then(Step step);
    // The window the time limit ends (a modal dialog).
    void Watch(std::function<HWND()> dialog) { dialog_ = std::move(dialog); }
    bool Finished() const { return next_ >= steps_.size(); }
    bool TimedOut() const { return timedOut_; }

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR id, DWORD);
    void Tick();

    std::vector<Step> steps_;
    size_t next_ = 0;
    int ticks_ = 0;
    int maxTicks_;
    bool timedOut_ = false;
    bool running_ = false;
    UINT_PTR timer_ = 0;
    std::function<HWND()> dialog_;
};

}  // namespace dialogtests
