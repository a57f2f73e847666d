// Quindle.dll: the Today item as the shell loads it. The shell binds two entry points by
// ordinal: 240 makes the item's window (replacing an earlier one), 241 would run an
// options dialog, which the item does not have.
#include <windows.h>

#include "DeviceScreen.h"
#include "HandlerFaultReporter.h"
#include "TodayItemWnd.h"
#include "todaycmn.h"

#include <memory>

namespace {

HINSTANCE g_module = nullptr;
// The one item window object, made on first use and kept while the library is loaded.
std::unique_ptr<TodayItemWnd> g_item;

// The item runs in the shell's process, which must not see a fault box of ours.
void IgnoreFault(const wchar_t*, const wchar_t*) {}

}  // namespace

extern "C" HWND WINAPI TodayItem_Initialize(TODAYLISTITEM* item, HWND host) {
    try {
        HDC screen = GetDC(nullptr);
        const int width = DeviceScreen_GetDeviceCaps(screen, HORZRES);
        ReleaseDC(nullptr, screen);
        if (!g_item) g_item = std::make_unique<TodayItemWnd>(g_module);
        if (HWND previous = g_item->GetHwnd()) DestroyWindow(previous);
        if (!g_item->CreateItem(host, width)) return nullptr;
        g_item->PublishHwnd();
        return g_item->GetHwnd();
    } catch (...) {
        return nullptr;
    }
}

extern "C" BOOL WINAPI TodayItem_OptionsDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        g_module = module;
        DisableThreadLibraryCalls(module);
        HandlerFaultReporter::SetShowFunction(IgnoreFault);
        // A class of this name left behind by an earlier load of the library.
        UnregisterClassW(TodayItemWnd::kClassName, module);
        break;
    case DLL_PROCESS_DETACH:
        // Unloaded by the shell: the window goes with the library. At process exit
        // (reserved set) the windows are gone already and nothing may be called.
        if (reserved) {
            g_item.release();
        } else {
            g_item.reset();
            UnregisterClassW(TodayItemWnd::kClassName, module);
        }
        break;
    }
    return TRUE;
}
