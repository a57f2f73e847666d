#pragma once
// The main window ("OrvalenMainWnd"): a top-level frame holding the tab view, the
// soft-key bar whose commands go to the current page, the hardware keys switched with
// activation, and the end of the program when it is destroyed.
#include <memory>

#include "ControlWndBase.h"

class MainTabView;
class MenuBarWnd;

class MainFrameWnd : public ControlWndBase {
public:
    static constexpr wchar_t kClassName[] = L"OrvalenMainWnd";
    // Posted by OnCreate: show the view, make the soft-key bar, lay out.
    static constexpr UINT kShowViewMessage = 1371;
    // Passed on to the engine window.
    static constexpr UINT kEngineForwardMessage = 1023;
    // Tells the clock window of the frame's activation.
    static constexpr UINT kClockActivationMessage = 1372;
    static constexpr UINT kWorkAreaChange = 0x3002;  // SETTINGCHANGE_RESET

    MainFrameWnd();
    ~MainFrameWnd() override;

    // Registers the class and makes the window over rect; null when it failed.
    static MainFrameWnd* Create(const RECT& rect);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCreate(CREATESTRUCTW* create) override;
    void OnDestroy() override;
    void OnActivate(UINT state, HWND other, BOOL minimized) override;
    void OnWindowPosChanged(WINDOWPOS* position) override;
    void OnSettingChange(UINT flag, LPARAM lParam) override;
    void OnSize(UINT type, int width, int height) override;
    LRESULT OnHelp(HELPINFO* info, WPARAM wParam) override;
    void OnCommand(UINT id, HWND control, UINT code) override;

    MainTabView* View() const { return view_.get(); }
    MenuBarWnd* MenuBar() const { return menuBar_.get(); }
    // The tab view's frame dialog, null before it exists.
    HWND ViewWindow() const;

private:
    void ShowView();
    void CreateMenuBar();
    HWND CurrentPageWindow() const;

    std::unique_ptr<MainTabView> view_;
    std::unique_ptr<MenuBarWnd> menuBar_;
};
