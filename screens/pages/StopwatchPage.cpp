#include "StopwatchPage.h"

#include <commctrl.h>

#include <string>

#include "AppMessageBox.h"
#include "BitmapFontCtrl.h"
#include "ButtonMap.h"
#include "ContextHelp.h"
#include "Dpi.h"
#include "EngineWnd.h"
#include "Fonts.h"
#include "ItemStore.h"
#include "LapsCsvExport.h"
#include "MainWindow.h"
#include "PageServices.h"
#include "StopwatchItem.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr UINT kFastTickMs = 200;
constexpr UINT kSlowTickMs = 1000;
constexpr int kListsTop = 35;        // at 96 DPI, vertical
constexpr int kLapColumnWidth = 94;  // at 96 DPI
constexpr int kLapFontTenths = 85;
constexpr int kLargeFontDpi = 192;
const wchar_t kZeroTime[] = L"00:00:00.000";

KeptMenu gMenu;

bool IsPaused(const StopwatchItem& stopwatch) { return (stopwatch.flags & TimerItem::kStopwatchHeld) != 0; }

}  // namespace

StopwatchPage::StopwatchPage()
    : TabPage(IDD_STOPWATCH_PAGE, IDS_STOPWATCH, IDI_STOPWATCH, ContextHelp::kLapTimers, ButtonMap::kStopwatch),
      startHook_([this] { StartOrStage(); }),
      stopHook_([this] { PostMessageW(GetHwnd(), WM_COMMAND, MAKEWPARAM(IDC_STOPWATCH_STOP, 0), 0); }),
      pauseHook_([this] { TogglePause(); }) {
    SetNeighbourTabs(MainWindow::kTimersTab, MainWindow::kClockTab);
}

StopwatchPage::~StopwatchPage() {
    if (lapFont_) DeleteObject(lapFont_);
}

HWND StopwatchPage::CurrentList() const {
    return GetDlgItem(GetHwnd(), secondListCurrent_ ? IDC_STOPWATCH_LAPS_PREVIOUS : IDC_STOPWATCH_LAPS);
}

HWND StopwatchPage::OtherList() const {
    return GetDlgItem(GetHwnd(), secondListCurrent_ ? IDC_STOPWATCH_LAPS : IDC_STOPWATCH_LAPS_PREVIOUS);
}

StopwatchItem* StopwatchPage::Stopwatch() {
    ItemStore* store = ItemStore::Current();
    return store && !store->Stopwatches().empty() ? store->Stopwatches().front() : nullptr;
}

void StopwatchPage::Tick(UINT intervalMs) {
    HWND engine = PageServices::EngineWindow();
    if (!engine) return;
    if (intervalMs) SetTimer(engine, EngineWnd::kTickTimer, intervalMs, nullptr);
    SendMessageW(engine, WM_TIMER, EngineWnd::kTickTimer, 0);
}

LRESULT StopwatchPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = TabPage::OnInitDialog(wParam, lParam);
    display_ = std::make_unique<BitmapFontCtrl>();
    display_->Subclass(GetDlgItem(GetHwnd(), IDC_STOPWATCH_DISPLAY));
    if (Dpi_GetX() < kLargeFontDpi) display_->LoadFont(IDR_FONT_SMALL_STRIP, IDR_FONT_SMALL);
    else display_->LoadFont(IDR_FONT_LARGE_STRIP, IDR_FONT_LARGE);
    display_->SetText(kZeroTime);
    for (const wchar_t* c = kZeroTime; *c; ++c) displayWidth_ += display_->Font().GlyphWidth(*c);
    RECT page = {};
    GetClientRect(GetHwnd(), &page);
    PlaceDisplay(page.right, true);

    currentTap_.Subclass(GetDlgItem(GetHwnd(), IDC_STOPWATCH_LAPS));
    otherTap_.Subclass(GetDlgItem(GetHwnd(), IDC_STOPWATCH_LAPS_PREVIOUS));
    const struct {
        UINT control, caption, icon, disabledIcon;
    } buttons[] = {{IDC_STOPWATCH_START, IDS_STOPWATCH_START, IDI_START, IDI_START_DISABLED},
                   {IDC_STOPWATCH_PAUSE, IDS_STOPWATCH_PAUSE, IDI_PAUSE, IDI_PAUSE_DISABLED},
                   {IDC_STOPWATCH_STOP, IDS_STOPWATCH_STOP, IDI_STOP, IDI_STOP_DISABLED},
                   {IDC_STOPWATCH_CLEAR, IDS_STOPWATCH_CLEAR, IDI_CLEAR, IDI_CLEAR},
                   {IDC_STOPWATCH_SAVE, IDS_STOPWATCH_SAVE, IDI_SAVE, IDI_SAVE}};
    for (const auto& button : buttons)
        if (!AddIconButton(button.control, button.caption, button.icon, button.disabledIcon)) break;
    startHook_.Subclass(GetDlgItem(GetHwnd(), IDC_STOPWATCH_START));
    stopHook_.Subclass(GetDlgItem(GetHwnd(), IDC_STOPWATCH_STOP));
    pauseHook_.Subclass(GetDlgItem(GetHwnd(), IDC_STOPWATCH_PAUSE));
    for (HWND list : {CurrentList(), OtherList()}) {
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH;
        column.fmt = LVCFMT_LEFT;
        column.cx = Dpi_ScaleX(kLapColumnWidth);
        SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    }
    // The digits stand on the page, not on a box of the window colour.
    display_->SetBackground(GetSysColor(COLOR_BTNFACE));

    ItemStore* store = ItemStore::Current();
    StopwatchItem* stopwatch = Stopwatch();
    if (!stopwatch && store && (stopwatch = store->CreateStopwatch()) != nullptr) {
        stopwatch->flags &= ~TimerItem::kRunning;
        stopwatch->StopTime = StopwatchItem::kNoStopTime;
        store->Save(false);
    } else if (stopwatch) {
        if (stopwatch->IsRunning()) Tick(kFastTickMs);
        if (!stopwatch->laps.empty()) {
            for (Ticks100ns lap : stopwatch->laps.front()) AddLapRow(CurrentList(), lap);
        }
        if (stopwatch->laps.size() > 1) {
            secondListCurrent_ = true;
            for (Ticks100ns lap : stopwatch->laps.back()) AddLapRow(CurrentList(), lap);
        }
    }
    UpdateButtons();
    UpdateDisplay();
    UpdateLapHeadings();
    Font_CreateTahoma(lapFont_, kLapFontTenths, false);
    for (HWND list : {CurrentList(), OtherList()})
        SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(lapFont_), TRUE);
    return result;
}

void StopwatchPage::UpdateLapHeadings() {
    const Translator& texts = Translator::Instance();
    const std::wstring latest = texts.GetString(IDS_STOPWATCH_LATEST_RUN);
    const std::wstring previous = texts.GetString(IDS_STOPWATCH_PREVIOUS_RUN);
    const UINT newest = newestList_ ? newestList_ : IDC_STOPWATCH_LAPS;
    for (UINT id : {IDC_STOPWATCH_LAPS, IDC_STOPWATCH_LAPS_PREVIOUS}) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT;
        column.pszText = const_cast<wchar_t*>(id == newest ? latest.c_str() : previous.c_str());
        SendDlgItemMessageW(GetHwnd(), static_cast<int>(id), LVM_SETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    }
}

void StopwatchPage::OnDestroy() {
    if (currentTap_.GetHwnd()) currentTap_.Detach();
    if (otherTap_.GetHwnd()) otherTap_.Detach();
    for (PressHook* hook : std::initializer_list<PressHook*>{&startHook_, &stopHook_, &pauseHook_})
        if (hook->GetHwnd()) hook->Detach();
    if (display_ && display_->GetHwnd()) display_->Detach();
    TabPage::OnDestroy();
}

void StopwatchPage::PlaceDisplay(int pageWidth, bool resize) {
    HWND display = GetDlgItem(GetHwnd(), IDC_STOPWATCH_DISPLAY);
    RECT bounds = {};
    GetWindowRect(display, &bounds);
    MapWindowPoints(nullptr, GetHwnd(), reinterpret_cast<POINT*>(&bounds), 2);
    const int width = resize ? displayWidth_ : bounds.right - bounds.left;
    const UINT flags = resize ? SWP_NOZORDER | SWP_SHOWWINDOW : SWP_NOZORDER | SWP_NOSIZE | SWP_NOREDRAW;
    SetWindowPos(display, nullptr, (pageWidth - width) / 2, bounds.top, width, bounds.bottom - bounds.top, flags);
}

void StopwatchPage::OnSize(UINT type, int width, int height) {
    TabPage::OnSize(type, width, height);
    const ButtonLayout layout = LayoutButtons();
    const int m = layout.margin, g = layout.gap, v = layout.verticalMargin, h = layout.height;
    const int a = (width - 2 * (m + g)) / 3;
    const int lower = height - v - h, upper = lower - v - h;
    HWND page = GetHwnd();
    MoveWindow(GetDlgItem(page, IDC_STOPWATCH_STOP), m + g + a, lower, a, h, TRUE);
    MoveWindow(GetDlgItem(page, IDC_STOPWATCH_SAVE), m + 2 * (g + a), lower, a, h, TRUE);
    MoveWindow(GetDlgItem(page, IDC_STOPWATCH_START), m, upper, a, 2 * h + m, TRUE);
    MoveWindow(GetDlgItem(page, IDC_STOPWATCH_PAUSE), m + g + a, upper, a, h, TRUE);
    MoveWindow(GetDlgItem(page, IDC_STOPWATCH_CLEAR), m + 2 * (g + a), upper, a, h, TRUE);
    const int top = Dpi_ScaleY(kListsTop);
    const int listWidth = (width - 3 * m) / 2;
    const int listHeight = height - 2 * h - 3 * v - top;
    MoveWindow(GetDlgItem(page, IDC_STOPWATCH_LAPS), m, top, listWidth, listHeight, TRUE);
    MoveWindow(GetDlgItem(page, IDC_STOPWATCH_LAPS_PREVIOUS), 2 * m + listWidth, top, listWidth, listHeight, TRUE);
    // The lap column fills its list when the list is wider: a lap text is wider than the
    // design width in the desktop's Tahoma.
    for (HWND list : {CurrentList(), OtherList()}) {
        RECT client = {};
        GetClientRect(list, &client);
        const int column = client.right > Dpi_ScaleX(kLapColumnWidth) ? client.right : Dpi_ScaleX(kLapColumnWidth);
        SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(column, 0));
    }
    PlaceDisplay(width, false);
}

void StopwatchPage::UpdateDisplay() {
    const StopwatchItem* stopwatch = Stopwatch();
    if (!display_ || !display_->GetHwnd()) return;
    display_->SetText(StopwatchItem::FormatTime(stopwatch ? stopwatch->time : 0).CStr());
    InvalidateRect(display_->GetHwnd(), nullptr, FALSE);
}

void StopwatchPage::AddLapRow(HWND list, long long lap) {
    const UINT id = static_cast<UINT>(GetDlgCtrlID(list));
    if (id != newestList_) {
        newestList_ = id;
        UpdateLapHeadings();
    }
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    std::wstring text = std::to_wstring(count + 1) + L". " + StopwatchItem::FormatTime(lap).CStr();
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    SendMessageW(list, LVM_SETSELECTIONMARK, 0, 0);
    // A list scrolled down keeps showing the same laps.
    if (SendMessageW(list, LVM_GETTOPINDEX, 0, 0) != 0) {
        RECT first = {LVIR_BOUNDS}, second = {LVIR_BOUNDS};
        SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
        SendMessageW(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
        SendMessageW(list, LVM_SCROLL, 0, second.top - first.top);
    }
}

void StopwatchPage::Reset() {
    StopwatchItem* stopwatch = Stopwatch();
    if (!stopwatch) return;
    SendMessageW(CurrentList(), LVM_DELETEALLITEMS, 0, 0);
    LVITEMW unselect = {};
    unselect.stateMask = LVIS_SELECTED;
    SendMessageW(OtherList(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&unselect));
    stopwatch->Restart();
    PageServices::Save();
    UpdateButtons();
    Tick(kFastTickMs);
}

void StopwatchPage::AddLap() {
    StopwatchItem* stopwatch = Stopwatch();
    if (!stopwatch) return;
    Tick();
    stopwatch->AddLap();
    AddLapRow(CurrentList(), stopwatch->LastLap());
    PageServices::SaveTimers();
}

void StopwatchPage::StartOrStage() {
    StopwatchItem* stopwatch = Stopwatch();
    if (!stopwatch) return;
    if (!stopwatch->IsRunning()) {
        Reset();
        return;
    }
    if (IsPaused(*stopwatch)) TogglePause();
    AddLap();
}

void StopwatchPage::Stop() {
    StopwatchItem* stopwatch = Stopwatch();
    if (!stopwatch || !stopwatch->IsRunning()) return;
    Tick();
    stopwatch->AddLap();
    stopwatch->flags &= ~TimerItem::kRunning;
    AddLapRow(CurrentList(), stopwatch->LastLap());
    UpdateDisplay();
    UpdateButtons();
    // The next run fills the other list, so the last two runs stand side by side.
    secondListCurrent_ = !secondListCurrent_;
    SetFocus(GetDlgItem(GetHwnd(), IDC_STOPWATCH_START));
    PageServices::Save();
    Tick(kSlowTickMs);
}

void StopwatchPage::TogglePause() {
    StopwatchItem* stopwatch = Stopwatch();
    if (!stopwatch || !stopwatch->IsRunning()) return;
    Tick();
    if (IsPaused(*stopwatch)) {
        stopwatch->flags &= ~TimerItem::kStopwatchHeld;
        Tick(kFastTickMs);
    } else {
        stopwatch->flags |= TimerItem::kStopwatchHeld;
        UpdateDisplay();
        Tick(kSlowTickMs);
    }
    PageServices::SaveTimers();
}

void StopwatchPage::Clear() {
    StopwatchItem* stopwatch = Stopwatch();
    HWND lists[] = {CurrentList(), OtherList()};
    if (!stopwatch || (SendMessageW(lists[0], LVM_GETITEMCOUNT, 0, 0) == 0 &&
                       SendMessageW(lists[1], LVM_GETITEMCOUNT, 0, 0) == 0))
        return;
    const std::wstring question = Translator::Instance().GetString(IDS_STOPWATCH_CLEAR_QUESTION);
    if (AppMessageBox_Show(GetHwnd(), question.c_str(), MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) != IDYES) return;
    // The question's modal loop may have let the stopwatch go.
    stopwatch = Stopwatch();
    for (HWND list : lists) SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    secondListCurrent_ = false;
    newestList_ = 0;
    UpdateLapHeadings();
    if (stopwatch) {
        stopwatch->laps.clear();
        stopwatch->time = 0;
    }
    UpdateDisplay();
    PageServices::SaveTimers();
}

void StopwatchPage::Save() {
    Laps_ExportCsv(GetHwnd(), GetDlgItem(GetHwnd(), IDC_STOPWATCH_LAPS),
                   GetDlgItem(GetHwnd(), IDC_STOPWATCH_LAPS_PREVIOUS));
}

void StopwatchPage::UpdateButtons() {
    const StopwatchItem* stopwatch = Stopwatch();
    const bool running = stopwatch && stopwatch->IsRunning();
    HWND page = GetHwnd();
    EnableWindow(GetDlgItem(page, IDC_STOPWATCH_PAUSE), running);
    EnableWindow(GetDlgItem(page, IDC_STOPWATCH_STOP), running);
    EnableWindow(GetDlgItem(page, IDC_STOPWATCH_CLEAR), !running);
    EnableWindow(GetDlgItem(page, IDC_STOPWATCH_SAVE), !running);
    if (IconButton* start = FindIconButton(IDC_STOPWATCH_START)) {
        start->SetText(Translator::Instance().GetString(running ? IDS_STOPWATCH_STAGE : IDS_STOPWATCH_START).c_str());
        start->LoadIcons(GetModuleHandleW(nullptr), running ? IDI_STAGE : IDI_START,
                         running ? IDI_STAGE_DISABLED : IDI_START_DISABLED);
    }
    InvalidateRect(GetDlgItem(page, IDC_STOPWATCH_START), nullptr, TRUE);
}

HMENU StopwatchPage::Menu() {
    if (gMenu.menu) return gMenu.menu;
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    const UINT items[][2] = {{IDC_STOPWATCH_START, IDS_STOPWATCH_START}, {IDC_STOPWATCH_PAUSE, IDS_STOPWATCH_PAUSE},
                             {IDC_STOPWATCH_STOP, IDS_STOPWATCH_STOP},   {IDC_STOPWATCH_CLEAR, IDS_STOPWATCH_CLEAR},
                             {IDC_STOPWATCH_SAVE, IDS_STOPWATCH_SAVE}};
    for (const auto& item : items)
        AppendMenuW(menu, MF_STRING, item[0], Translator::Instance().GetString(item[1]).c_str());
    AppendMenuTail(menu);
    gMenu.menu = menu;
    return menu;
}

void StopwatchPage::PrepareMenu(HMENU menu) {
    const StopwatchItem* stopwatch = Stopwatch();
    const bool running = stopwatch && stopwatch->IsRunning();
    const std::wstring start = Translator::Instance().GetString(running ? IDS_STOPWATCH_STAGE : IDS_STOPWATCH_START);
    ModifyMenuW(menu, IDC_STOPWATCH_START, MF_BYCOMMAND | MF_STRING, IDC_STOPWATCH_START, start.c_str());
    for (UINT id : {IDC_STOPWATCH_PAUSE, IDC_STOPWATCH_STOP})
        EnableMenuItem(menu, id, MF_BYCOMMAND | (running ? MF_ENABLED : MF_GRAYED));
    for (UINT id : {IDC_STOPWATCH_CLEAR, IDC_STOPWATCH_SAVE})
        EnableMenuItem(menu, id, MF_BYCOMMAND | (running ? MF_GRAYED : MF_ENABLED));
}

void StopwatchPage::OnCommand(UINT id, HWND control, UINT code) {
    // These buttons act at the press, through their hooks; their clicks are not commands.
    for (UINT pressed : {IDC_STOPWATCH_START, IDC_STOPWATCH_PAUSE, IDC_STOPWATCH_STOP})
        if (control && control == GetDlgItem(GetHwnd(), pressed)) return;
    switch (id) {
    case IDC_STOPWATCH_START:
        StartOrStage();
        return;
    case IDC_STOPWATCH_PAUSE:
        TogglePause();
        return;
    case IDC_STOPWATCH_STOP:
        Stop();
        return;
    case IDC_STOPWATCH_CLEAR:
        Clear();
        return;
    case IDC_STOPWATCH_SAVE:
        Save();
        return;
    case IDS_TIME:
        PageServices::RunMainMenu();
        return;
    }
    TabPage::OnCommand(id, control, code);
}

void StopwatchPage::OnHotKey(int id, UINT, UINT) {
    const StopwatchItem* stopwatch = Stopwatch();
    const bool running = stopwatch && stopwatch->IsRunning();
    switch (id) {
    case IDS_KEY_PAUSE_STOPWATCH:
        TogglePause();
        return;
    case IDS_KEY_RESET_STOPWATCH:
        if (!running) Clear();
        return;
    case IDS_KEY_SAVE_STOPWATCH:
        if (!running) Save();
        return;
    case IDS_KEY_START_STOPWATCH:
        // A lap from the key does not resume a paused run.
        if (running) AddLap();
        else Reset();
        return;
    case IDS_KEY_STOP_STOPWATCH:
        if (running) Stop();
        return;
    case IDS_KEY_PREVIOUS_TAB:
    case IDS_KEY_NEXT_TAB:
        TabPage::OnHotKey(id, 0, 0);
        return;
    }
}
