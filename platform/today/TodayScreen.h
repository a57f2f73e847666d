#pragma once
// The simulated handheld's Today screen: a full-width window below the task bar that
// shows the date and, stacked under it, the custom items it loads. It binds each item
// library's initialisation by ordinal as the shell does, asks every item for its height
// every two seconds (and at once after loading it), moves the selection with the
// up and down keys and hands the left, right and action keys to the selected item. It
// answers the items' colour and background requests with the colours the device's
// settings name. GUI thread only.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "todaycmn.h"

class TodayScreen {
public:
    static constexpr UINT_PTR kRefreshTimer = 1;
    static constexpr UINT kRefreshMs = 2000;

    // endsThread: closing the screen ends the thread's message loop (the host program).
    explicit TodayScreen(bool endsThread) : endsThread_(endsThread) {}
    ~TodayScreen();
    TodayScreen(const TodayScreen&) = delete;
    TodayScreen& operator=(const TodayScreen&) = delete;

    // Makes the task bar and the screen window; false when the window cannot be made.
    bool Create();
    // Loads an item library (a device path, a bare name in \Windows or a host path),
    // binds ordinal 240 and lets it make its window. False when any step fails.
    bool AddItem(const std::wstring& library);
    HWND Window() const { return window_; }
    size_t ItemCount() const { return items_.size(); }
    HWND ItemWindow(size_t index) const { return index < items_.size() ? items_[index]->record.hwndCustom : nullptr; }
    // Asks every item for its height and lays them out again when one changed.
    void Refresh(bool force);
    // The colour the host answers for a TODAYCOLOR_ index, from the device's settings.
    static COLORREF Colour(DWORD index);
    // Paints the background of rect (client coordinates of window) as the Today screen
    // shows it there: a vertical gradient over the whole screen.
    void DrawWatermark(HDC dc, const RECT& rect, HWND window) const;

private:
    struct Item {
        TODAYLISTITEM record = {};
        HMODULE module = nullptr;
    };

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Layout();
    void Paint();
    void OnKey(UINT key);
    void Select(int index);
    int HeaderHeight() const;

    const bool endsThread_;
    HWND window_ = nullptr;
    std::vector<std::unique_ptr<Item>> items_;
    int selected_ = -1;
};
