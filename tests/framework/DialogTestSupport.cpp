#include "DialogTestSupport.h"

#include <commctrl.h>

#include <map>

#include "DeviceScreen.h"
#include "Dpi.h"
#include "TestArchives.h"
#include "TestRegistry.h"
#include "Translator.h"
#include "ZipFileArchive.h"

namespace dialogtests {

namespace {

constexpr DWORD kGerman = 1031;
const wchar_t kLanguageKey[] = L"Software\\Ostrel\\Orvalen\\Clock\\Language";

std::map<UINT_PTR, ModalScript*> g_scripts;  // GUI thread

}  // namespace

bool LoadGermanPack() {
    if (!testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kLanguageKey, L"LangID", kGerman))
        return false;
    const std::wstring path = testarchives::FixturePath(L"dialogs-translation.zip");
    return Translator::Instance().Load(new ZipFileArchive(path.c_str()), false) &&
           Translator::Instance().IsTranslating();
}

void UseScreen(int width, int height, int dpi) {
    DeviceScreen_SetMode(width, height, dpi);
    Dpi_ResetCache();
}

TestWindow::TestWindow(const wchar_t* title, int x, int y, int width, int height) {
    window_ = CreateWindowExW(0, L"STATIC", title, WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
}

TestWindow::~TestWindow() { DestroyWindow(window_); }

RECT ChildRect(HWND parent, HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 127, MF_BYPOSITION);
    return text;
}

ModalScript::ModalScript(UINT intervalMs, int maxTicks) : maxTicks_(maxTicks) {
    timer_ = SetTimer(nullptr, 0, intervalMs, &ModalScript::OnTick);
    g_scripts[timer_] = this;
}

ModalScript::~ModalScript() {
    KillTimer(nullptr, timer_);
    g_scripts.erase(timer_);
}

ModalScript& ModalScript::Then(Step step) {
    steps_.push_back(std::move(step));
    return *this;
}

void CALLBACK ModalScript::OnTick(HWND, UINT, UINT_PTR id, DWORD) {
    auto found = g_scripts.find(id);
    if (found != g_scripts.end())
        found->second->Tick();
}

void ModalScript::Tick() {
    // A step may run a modal loop of its own (a popup menu): ticks meanwhile go on
    // with the next steps, which is how such loops are driven.
    if (++ticks_ > maxTicks_ && !timedOut_) {
        timedOut_ = true;
        if (dialog_) {
            if (HWND dialog = dialog_())
                EndDialog(dialog, -2);
        }
        return;
    }
    if (Finished())
        return;
    Step step = steps_[next_++];
    step();
}

}  // namespace dialogtests
