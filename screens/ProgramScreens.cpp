#include "ProgramScreens.h"

#include "AlarmItem.h"
#include "AlarmListPage.h"
#include "StopwatchPage.h"
#include "TimerListPage.h"
#include "AppMessageBox.h"
#include "ButtonMap.h"
#include "ClockWnd.h"
#include "ContextHelp.h"
#include "EngineMessage.h"
#include "EngineWnd.h"
#include "ExceptionsDlg.h"
#include "FullScreenClockWnd.h"
#include "ItemEditors.h"
#include "ItemStore.h"
#include "MainMenuPopup.h"
#include "MainWindow.h"
#include "OptionsSheet.h"
#include "RingScreens.h"
#include "ScreenSaverPage.h"
#include "Settings.h"
#include "SlideShowPage.h"
#include "TimerItem.h"
#include "Translator.h"

namespace {

// Destroys a window object's window when it is still a window, then the object.
template <typename WindowObject>
void DestroyWindowObject(WindowObject*& object) {
    if (!object) return;
    // Destroyed before the delete, so the window's own destroy handler runs.
    if (IsWindow(object->GetHwnd())) DestroyWindow(object->GetHwnd());
    delete object;
    object = nullptr;
}

}  // namespace

void ProgramScreens::Install() {
    static ProgramScreens screens;
    EngineScreens::Install(&screens);
    ContextHelp::Install();
    Settings::SetButtonRecord(&ButtonMap::Instance());
    MainMenu_SetOptionsRunner(OptionsSheet_Run);
    ScreenSaverPage_SetDialogRunners(EditSlideShow, EditExceptions);
}

bool ProgramScreens::EditSlideShow(HWND owner) { return SlideShowPage::Edit(owner) == IDOK; }

bool ProgramScreens::EditExceptions(HWND owner) {
    ItemStore* store = ItemStore::Current();
    if (!store || !store->GetSettings().screenSaver) return false;
    ExceptionsDlg editor(*store->GetSettings().screenSaver);
    return editor.Show(owner) == IDOK;
}

bool ProgramScreens::CreateClockWindows(HWND engineWindow) {
    if (!fullScreenClock_) fullScreenClock_ = FullScreenClockWnd::Create();
    if (!clock_) clock_ = ClockWnd::Create(engineWindow);
    ClockWnd::SetOptionsOpener(OptionsSheet_Run);
    return fullScreenClock_ && clock_;
}

void ProgramScreens::DestroyClockWindows() {
    DestroyWindowObject(fullScreenClock_);
    DestroyWindowObject(clock_);
}

FullScreenClockControl* ProgramScreens::FullScreenClock() { return fullScreenClock_; }

HWND ProgramScreens::ClockWindow() const { return clock_ ? clock_->GetHwnd() : nullptr; }

void ProgramScreens::ShowAlarmRing(EngineWnd& engine, AlarmItem& alarm, UINT) {
    RingScreens::ShowAlarmRing(engine.Hwnd(), alarm);
}

void ProgramScreens::ShowTimerRing(EngineWnd& engine, TimerItem& timer) { RingScreens::ShowTimerRing(engine.Hwnd(), timer); }

bool ProgramScreens::OpenMainWindow(EngineWnd&, int tab) { return MainWindow::Open(tab); }

void ProgramScreens::CloseMainWindow(EngineWnd&) { MainWindow::Close(); }

bool ProgramScreens::HasMainWindow() const { return MainWindow::Window() != nullptr; }

void ProgramScreens::RefreshAlarmRow(AlarmItem& alarm) {
    if (AlarmListPage* page = MainWindow::AlarmPage()) page->UpdateRow(&alarm);
}

void ProgramScreens::RemoveAlarmRow(AlarmItem& alarm) {
    if (AlarmListPage* page = MainWindow::AlarmPage()) page->RemoveRow(page->FindRow(&alarm));
}

void ProgramScreens::AddAlarmRow(AlarmItem& alarm) {
    if (AlarmListPage* page = MainWindow::AlarmPage()) page->ShowNewAlarm(&alarm);
}

void ProgramScreens::RefreshTimerRow(TimerItem& timer) {
    TimerListPage* page = MainWindow::TimerPage();
    if (!page) return;
    if (page->FindRow(&timer) < 0) page->InsertRow(&timer);
    page->UpdateRow(&timer);
}

bool ProgramScreens::ShowTimerTimeLeft(TimerItem& timer) {
    TimerListPage* page = MainWindow::TimerPage();
    return page && page->ShowTimeLeft(timer);
}

void ProgramScreens::RemoveTimerRow(TimerItem& timer) {
    if (TimerListPage* page = MainWindow::TimerPage()) page->RemoveRow(&timer);
}

bool ProgramScreens::HasStopwatchPage() const { return MainWindow::StopwatchTab() != nullptr; }

void ProgramScreens::ResetStopwatch() {
    if (StopwatchPage* page = MainWindow::StopwatchTab()) page->Reset();
}

void ProgramScreens::AddStopwatchLap() {
    if (StopwatchPage* page = MainWindow::StopwatchTab()) page->AddLap();
}

void ProgramScreens::UpdateStopwatchDisplay() {
    if (StopwatchPage* page = MainWindow::StopwatchTab()) page->UpdateDisplay();
}

bool ProgramScreens::EditTimer(EngineWnd& engine, TimerItem& timer) {
    return ItemEditors_EditTimer(engine.Hwnd(), timer);
}

bool ProgramScreens::EditAlarm(EngineWnd& engine, AlarmItem& alarm) {
    return ItemEditors_EditAlarm(engine.Hwnd(), alarm);
}

void ProgramScreens::RunMainMenu(EngineWnd& engine) {
    // A modal dialog of the engine: no idle exit while it is open.
    engine.ChangeBusyCount(1);
    HWND active = GetActiveWindow();
    MainMenu_Run(active ? active : engine.Hwnd());
    engine.ChangeBusyCount(-1);
}

bool ProgramScreens::ConfirmDelete(EngineWnd& engine, UINT textId) {
    const std::wstring text = Translator::Instance().GetString(textId);
    return AppMessageBox_Show(engine.Hwnd(), text.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}
