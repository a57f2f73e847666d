#pragma once
// The program's quick menu: a modal popup over the whole work area showing the screen
// behind it darkened, with six large cells (Clock, Alarms, Timers, Stopwatch, About,
// Settings). A cell posts its page message to the engine window, or opens the options
// sheet. The engine window counts the popups that are open. GUI thread only.
#include <memory>
#include <string>
#include <vector>

#include "DialogBase.h"
#include "MainMenuLayout.h"

class Dib;
class Image;
class MenuBarWnd;

class MainMenuPopup : public DialogBase {
public:
    // The cells, in their order on the grid.
    enum Cell { kClockCell, kAlarmsCell, kTimersCell, kStopwatchCell, kAboutCell, kSettingsCell };

    MainMenuPopup();
    ~MainMenuPopup() override;
    MainMenuPopup(const MainMenuPopup&) = delete;
    MainMenuPopup& operator=(const MainMenuPopup&) = delete;

    // Runs the popup over parent until a cell was chosen or it was cancelled: 0 after a
    // cell, IDOK or IDCANCEL, -1 when it could not open.
    INT_PTR DoModal(HWND parent);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnSize(UINT type, int width, int height) override;
    void OnPaint() override;
    LRESULT OnEraseBkgnd(HDC dc) override;
    LRESULT OnGetDlgCode(MSG* message, WPARAM key) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void OnLButtonDown(int x, int y, UINT keys) override;
    void OnLButtonUp(int x, int y, UINT keys) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    void OnDestroy() override;

    const MainMenuLayout& Layout() const { return layout_; }
    int SelectedCell() const;
    // The translated caption drawn under the cell.
    const std::wstring& Caption(int cell) const { return cells_[cell].caption; }

    // The cell's action: its page message posted to the engine window, or the options
    // sheet shown over the popup; then the popup ends.
    void Activate(int cell);

private:
    struct MenuCell {
        HICON icon = nullptr;
        bool pressed = false;
        bool selected = false;
        std::wstring caption;
    };

    void BuildPanel();
    void Paint(HDC dc, const RECT& update);
    void DrawCell(HDC dc, int cell);
    void InvalidateCell(int cell);

    std::vector<BYTE> template_;
    std::unique_ptr<MenuBarWnd> menuBar_;
    MenuCell cells_[MainMenuLayout::kCellCount];
    std::unique_ptr<Image> background_;
    MainMenuLayout layout_;
    HFONT captionFont_ = nullptr;
    bool counted_ = false;
};

// Runs the popup over the window; what the engine does on its message 1570 and the
// pages on their command 30050.
void MainMenu_Run(HWND parent);
// The options sheet, modal over the window; installed by the program so the popup and the
// clock's menu reach it.
using OptionsSheetRunner = void (*)(HWND parent);
void MainMenu_SetOptionsRunner(OptionsSheetRunner runner);
void MainMenu_RunOptions(HWND parent);
