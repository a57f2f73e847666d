#include "HandlerFaultReporter.h"

#include <atomic>

#include "DeviceScreen.h"

namespace {

void ShowMessageBox(const wchar_t* text, const wchar_t* caption) {
    DeviceScreen_MessageBox(nullptr, text, caption, MB_ICONERROR);
}

std::atomic<HandlerFaultReporter::ShowFunction> g_show{&ShowMessageBox};
thread_local bool t_showing = false;
thread_local unsigned t_suppressed = 0;

constexpr int kMaxWindowText = 255;

}  // namespace

void HandlerFaultReporter::Report(HWND window, UINT message) noexcept {
    if (message == WM_PAINT && IsWindow(window))
        ValidateRect(window, nullptr);
    if (t_showing) {
        ++t_suppressed;
        return;
    }
    WCHAR title[kMaxWindowText + 1] = L"";
    if (IsWindow(window))
        GetWindowTextW(window, title, kMaxWindowText + 1);
    // wsprintfW: %s is a wide string whatever the C runtime's printf convention;
    // the result stays well below its 1024-character limit.
    WCHAR text[512];
    wsprintfW(text, kTextFormat, title, message);
    t_showing = true;
    try {
        g_show.load()(text, kCaption);
    } catch (...) {
        // A failing report must not take the window procedure down with it.
    }
    t_showing = false;
}

HandlerFaultReporter::ShowFunction HandlerFaultReporter::SetShowFunction(ShowFunction show) {
    return g_show.exchange(show ? show : &ShowMessageBox);
}

unsigned HandlerFaultReporter::SuppressedCount() { return t_suppressed; }
