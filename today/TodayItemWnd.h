#pragma once
// The Today item's window (class "Quindle"), a child of the shell's Today screen. It
// keeps the read-only view of the program's store, shows its nearest alarm
// occurrences and running timers, answers the host's height and selection messages,
// reloads when the program saved (1402) and when the day changes, counts its running
// timers down between reloads, and opens the popup and the command menu.
#include "DateFunctions.h"
#include "TodayLists.h"
#include "TodayResources.h"
#include "TodayRowPainter.h"
#include "TodayStore.h"
#include "TodayTextTable.h"
#include "WindowBase.h"

#include <windows.h>

#include <memory>

class TodayPopupWnd;

class TodayItemWnd : public WindowBase {
public:
    static constexpr wchar_t kClassName[] = L"Quindle";
    static constexpr wchar_t kTitle[] = L"Orvalen today";
    // Added to the class style the item registers.
    static constexpr UINT kClassStyleBit = 0x800;
    static constexpr UINT_PTR kAdvanceTimer = 123;
    static constexpr UINT kAdvanceMs = 5000;
    static constexpr UINT_PTR kDayTimer = 124;
    static constexpr UINT kDayCheckMs = 10000;
    static constexpr UINT kRefreshMessage = WM_USER + 378;  // the program saved its store

    explicit TodayItemWnd(HINSTANCE module);
    ~TodayItemWnd() override;

    // Registers the class (after dropping any left by this module) and makes the
    // window, width wide and 0 high, in host. False when it cannot be made.
    bool CreateItem(HWND host, int width);
    // Writes the window handle as "TodayPluginHWND" (4 bytes, REG_BINARY) under the
    // product key, when that key exists; the program posts 1402 there after each save.
    void PublishHwnd() const;

    // Reads the store, builds the lists, reads the texts and repaints.
    void Reload();
    // Opens the popup when it is closed and there is something to show, closes it when open.
    void TogglePopup();
    // Builds and shows the command menu at a client point and carries out the choice;
    // at (0, 0) the menu starts with "Cancel".
    void RunCommandMenu(POINT client);

    const TodayStore& Store() const { return store_; }
    const TodayLists& Lists() const { return lists_; }
    const TodayTextTable& Texts() const { return texts_; }
    TodayResources& Resources() { return resources_; }
    bool Selected() const { return selected_; }
    int CachedHeight() const { return cachedHeight_; }
    HWND PopupWindow() const;
    bool PopupUpward() const { return upward_; }

    // Chooses an entry of the shown command menu; a test replaces it.
    using MenuTracker = UINT (*)(HMENU menu, POINT screen, HWND owner);
    static MenuTracker SetMenuTracker(MenuTracker tracker);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCreate(CREATESTRUCTW* create) override;
    void OnDestroy() override;
    void OnPaint() override;
    LRESULT OnEraseBkgnd(HDC dc) override { return 1; }
    void OnTimer(UINT_PTR id) override;
    void OnLButtonDown(int x, int y, UINT keys) override;
    void OnLButtonDblClk(int x, int y, UINT keys) override { OnLButtonDown(x, y, keys); }
    void OnLButtonUp(int x, int y, UINT keys) override;

private:
    friend class TodayPopupWnd;

    TodayRowPainter Painter() { return TodayRowPainter(resources_, lists_, texts_); }
    // Colours and background come from the host, the item's parent.
    COLORREF HostColour(DWORD index) const;
    void DrawHostWatermark(HDC dc, const RECT& rect, HWND window) const;
    COLORREF RowTextColour() const;
    void AdvanceTimers();
    void OpenPopup();
    void ClosePopup();
    // The popup's window is gone.
    void OnPopupDestroyed();
    RECT GrownButtonRect() const;
    LRESULT OnQueryRefresh(WPARAM listItem);

    HINSTANCE module_;
    UINT metricChangeMessage_ = 0;
    TodayResources resources_;
    TodayStore store_;
    TodayLists lists_;
    TodayTextTable texts_;
    bool selected_ = false;
    int cachedHeight_ = 0;
    WORD reloadDay_ = 0;
    FILETIME lastAdvance_ = {};
    bool pressed_ = false;
    bool collapsed_ = true;
    bool upward_ = false;
    std::unique_ptr<TodayPopupWnd> popup_;
};
