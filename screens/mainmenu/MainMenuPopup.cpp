#include "MainMenuPopup.h"

#include <aygshell.h>

#include "App.h"
#include "DeviceScreen.h"
#include "Dib.h"
#include "Dpi.h"
#include "EngineMessage.h"
#include "EngineWnd.h"
#include "Fonts.h"
#include "Image.h"
#include "ImageComposite.h"
#include "ImageScrollIn.h"
#include "MainMenuCellArt.h"
#include "MenuBarWnd.h"
#include "OffscreenDc.h"
#include "PlatformHelpers.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr DWORD kPopupStyle = WS_POPUP | WS_VISIBLE | WS_SYSMENU;
constexpr int kCaptionTenthsOfPoint = 85;
constexpr int kDarkenAlpha = 192;
constexpr int kFirstMenuBarVersion = 5;
constexpr UINT kShellOkCommand = 0xE790;
constexpr UINT kShellCancelCommand = 0xE791;
constexpr COLORREF kCaptionColour = 0xFFFFFF;

struct CellKind {
    UINT icon;
    UINT caption;
    UINT message;  // 0: the options sheet
};

constexpr CellKind kCells[MainMenuLayout::kCellCount] = {
    {IDI_PROGRAM, IDS_CLOCK, EngineMessage::kShowClock},
    {IDI_MENU_ALARMS, IDS_ALARMS, EngineMessage::kShowAlarms},
    {IDI_TIMER, IDS_TIMERS, EngineMessage::kShowTimers},
    {IDI_STOPWATCH, IDS_STOPWATCH, EngineMessage::kShowStopwatches},
    {IDI_MENU_ABOUT, IDS_ABOUT, EngineMessage::kShowAbout},
    {IDI_MENU_SETTINGS, IDS_SETTINGS, 0},
};

OptionsSheetRunner g_optionsRunner = nullptr;

void ChangeEnginePopupCount(int delta) {
    if (EngineWnd* engine = App::GetEngine()) engine->ChangePopupCount(delta);
}

bool IsPortrait() {
    return DeviceScreen_GetSystemMetrics(SM_CXSCREEN) < DeviceScreen_GetSystemMetrics(SM_CYSCREEN);
}

}  // namespace

MainMenuPopup::MainMenuPopup() : background_(std::make_unique<Image>()) {}

MainMenuPopup::~MainMenuPopup() {
    if (captionFont_) DeleteObject(captionFont_);
    for (MenuCell& cell : cells_)
        if (cell.icon) DestroyIcon(cell.icon);
}

INT_PTR MainMenuPopup::DoModal(HWND parent) {
    if (template_.empty()) {
        // DLGTEMPLATE, then empty menu, class and title: a bare full-screen popup.
        DLGTEMPLATE header = {};
        header.style = kPopupStyle;
        const BYTE* bytes = reinterpret_cast<const BYTE*>(&header);
        template_.assign(bytes, bytes + sizeof header);
        template_.resize(template_.size() + 3 * sizeof(WORD), 0);
    }
    PrepareTemplates(IDM_MAIN_MENU_POPUP, true);
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(template_.data()),
                                   parent, StaticProc, reinterpret_cast<LPARAM>(this));
}

LRESULT MainMenuPopup::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DialogBase::WindowProc(message, wParam, lParam);
}

LRESULT MainMenuPopup::OnInitDialog(WPARAM, LPARAM) {
    SetForegroundWindow(GetHwnd());
    SHINITDLGINFO info = {SHIDIM_FLAGS, GetHwnd(), SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
    SHInitDialog(&info);
    const bool withCancel = Sys_GetOsMajorVersion() >= kFirstMenuBarVersion;
    menuBar_.reset(MenuBarWnd::Create(GetHwnd(), GetModuleHandleW(nullptr), withCancel ? SHCMBF_HMENU : SHCMBF_EMPTYBAR,
                                      withCancel ? IDM_MAIN_MENU_POPUP : 0));
    if (menuBar_) Translator::Instance().ApplyMenuBar(menuBar_->GetHwnd(), IDM_MAIN_MENU_POPUP);
    BuildPanel();
    SetFocus(GetHwnd());
    return 0;
}

void MainMenuPopup::BuildPanel() {
    ChangeEnginePopupCount(1);
    counted_ = true;
    layout_.cellSize = MainMenuLayout::CellSize(Dpi_GetX());
    const int iconSize = Dpi_GetX() < 192 ? 48 : 96;
    for (int index = 0; index < MainMenuLayout::kCellCount; ++index) {
        MenuCell& cell = cells_[index];
        if (cell.icon) DestroyIcon(cell.icon);
        cell.icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kCells[index].icon),
                                                  IMAGE_ICON, iconSize, iconSize, 0));
        cell.caption = Translator::Instance().GetString(kCells[index].caption);
    }
    Font_CreateTahoma(captionFont_, kCaptionTenthsOfPoint, true);

    RECT work = {};
    DeviceScreen_GetWorkArea(&work);
    if (menuBar_) {
        RECT bar = {};
        GetClientRect(menuBar_->GetHwnd(), &bar);
        work.bottom -= bar.bottom;
    }
    const int width = DeviceScreen_GetSystemMetrics(SM_CXSCREEN);
    const int height = work.bottom - work.top;
    if (width <= 0 || height <= 0) return;
    HDC screen = GetDC(nullptr);
    background_->CaptureDc(screen, 0, work.top, width, height);
    // A quarter of the screen's brightness shows through.
    Image black;
    if (black.Create(width, height)) {
        black.Fill(0);
        Image_Composite(*background_, black, 0, 0, 0, 0, -1, -1, kCompositeBlend, kDarkenAlpha);
        layout_.Arrange(width, height, IsPortrait(), Dpi_GetY());
        if (HDC picture = black.MemoryDc(screen)) {
            const RECT all = {0, 0, width, height};
            Paint(picture, all);
            const RECT target = {0, work.top, width, work.bottom};
            Image_ScrollIn(screen, black, target);
        }
    }
    ReleaseDC(nullptr, screen);
}

void MainMenuPopup::OnSize(UINT, int width, int height) {
    if (layout_.cellSize == 0) return;
    layout_.Arrange(width, height, IsPortrait(), Dpi_GetY());
    Translator::Instance().ApplyCaption(GetHwnd(), IDM_MAIN_MENU_POPUP);
}

void MainMenuPopup::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(GetHwnd(), &paint);
    RECT client = {};
    GetClientRect(GetHwnd(), &client);
    OffscreenDc buffer;
    if (buffer.Begin(dc, client)) {
        Paint(buffer.Dc(), client);
        buffer.End();
    }
    EndPaint(GetHwnd(), &paint);
}

LRESULT MainMenuPopup::OnEraseBkgnd(HDC) { return 1; }

LRESULT MainMenuPopup::OnGetDlgCode(MSG*, WPARAM) { return DLGC_WANTALLKEYS; }

void MainMenuPopup::Paint(HDC dc, const RECT& update) {
    HGDIOBJ previousFont = captionFont_ ? SelectObject(dc, captionFont_) : nullptr;
    if (!background_->IsEmpty())
        background_->Draw(dc, update.left, update.top, update.left, update.top, update.right - update.left,
                          update.bottom - update.top);
    else
        FillRect(dc, &update, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const int size = layout_.cellSize;
    for (int cell = 0; cell < MainMenuLayout::kCellCount; ++cell) {
        const POINT corner = layout_.cells[cell];
        const POINT opposite = {corner.x + size, corner.y + size};
        if (PtInRect(&update, corner) || PtInRect(&update, opposite)) DrawCell(dc, cell);
    }
    if (previousFont) SelectObject(dc, previousFont);
}

void MainMenuPopup::DrawCell(HDC dc, int index) {
    const MenuCell& cell = cells_[index];
    const POINT corner = layout_.cells[index];
    const int size = layout_.cellSize;
    if (const Dib* art = MainMenuCellArt_Background(size, cell.pressed || cell.selected))
        const_cast<Dib*>(art)->DrawAlpha(dc, corner.x, corner.y, size, size);
    if (cell.icon)
        DrawIconEx(dc, corner.x + ((Dpi_GetX() + 12) * 4) / 96, corner.y + ((Dpi_GetY() + 12) * 4) / 96, cell.icon, 0,
                   0, 0, nullptr, DI_NORMAL);
    SIZE text = {};
    GetTextExtentPoint32W(dc, cell.caption.c_str(), static_cast<int>(cell.caption.size()), &text);
    RECT box = {};
    box.left = corner.x + size / 2 - text.cx / 2;
    box.right = box.left + text.cx;
    box.top = corner.y + size;
    box.bottom = box.top + text.cy;
    SetTextColor(dc, kCaptionColour);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, cell.caption.c_str(), -1, &box, DT_NOCLIP);
}

void MainMenuPopup::InvalidateCell(int cell) {
    RECT square = layout_.CellRect(cell);
    InvalidateRect(GetHwnd(), &square, TRUE);
}

int MainMenuPopup::SelectedCell() const {
    for (int cell = 0; cell < MainMenuLayout::kCellCount; ++cell)
        if (cells_[cell].selected) return cell;
    return MainMenuLayout::kNoCell;
}

void MainMenuPopup::OnKeyDown(UINT key, UINT, UINT) {
    const int selected = SelectedCell();
    if (selected == MainMenuLayout::kNoCell) {
        cells_[0].selected = true;
        InvalidateCell(0);
        return;
    }
    if (key >= '1' && key <= '6') {
        Activate(static_cast<int>(key - '1'));
        return;
    }
    if (key == VK_RETURN) {
        Activate(selected);
        return;
    }
    const int target = layout_.Move(selected, key);
    if (target == MainMenuLayout::kNoCell) return;
    cells_[selected].selected = false;
    cells_[target].selected = true;
    RECT both = layout_.CellRect(selected), next = layout_.CellRect(target);
    UnionRect(&both, &both, &next);
    InvalidateRect(GetHwnd(), &both, TRUE);
}

void MainMenuPopup::OnLButtonDown(int x, int y, UINT) {
    const int cell = layout_.CellAt(x, y);
    if (cell == MainMenuLayout::kNoCell) return;
    cells_[cell].pressed = true;
    InvalidateCell(cell);
}

void MainMenuPopup::OnLButtonUp(int x, int y, UINT) {
    const int lifted = layout_.CellAt(x, y);
    for (int cell = 0; cell < MainMenuLayout::kCellCount; ++cell) {
        const bool wasPressed = cells_[cell].pressed;
        cells_[cell].pressed = false;
        if (cell == lifted && wasPressed) {
            Activate(cell);
            return;
        }
        InvalidateRect(GetHwnd(), nullptr, TRUE);
    }
}

void MainMenuPopup::Activate(int cell) {
    if (cell < 0 || cell >= MainMenuLayout::kCellCount) return;
    if (kCells[cell].message != 0) {
        if (EngineWnd* engine = App::GetEngine()) PostMessageW(engine->Hwnd(), kCells[cell].message, 0, 0);
    } else {
        MainMenu_RunOptions(GetHwnd());
    }
    EndDialog(GetHwnd(), 0);
}

void MainMenuPopup::OnCommand(UINT id, HWND control, UINT code) {
    if (id == kShellOkCommand) id = IDOK;
    if (id == kShellCancelCommand) id = IDCANCEL;
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(GetHwnd(), id);
        return;
    }
    DialogBase::OnCommand(id, control, code);
}

void MainMenuPopup::OnDestroy() {
    menuBar_.reset();
    if (counted_) ChangeEnginePopupCount(-1);
    counted_ = false;
}

void MainMenu_Run(HWND parent) {
    MainMenuPopup popup;
    popup.DoModal(parent);
}

void MainMenu_SetOptionsRunner(OptionsSheetRunner runner) { g_optionsRunner = runner; }

void MainMenu_RunOptions(HWND parent) {
    if (g_optionsRunner) g_optionsRunner(parent);
}
