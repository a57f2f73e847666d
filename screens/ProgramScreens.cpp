#include "ProgramScreens.h"

#include "AlarmItem.h"
#include "ClockWnd.h"
#include "EngineMessage.h"
#include "EngineWnd.h"
#include "FullScreenClock.h"
#include "ItemEditors.h"
#include "ProductKey.h"
#include "RegKeyRef.h"
#include "TimerItem.h"

namespace {

// Destroys a window object's window when it is still a window, then the object.
template <typename WindowObject>
void DestroyWindowObject(WindowObject*& object) {
    if (!object) return;
    if (IsWindow(object->Hwnd())) {
        DestroyWindow(object->Hwnd());
        object->ClearHwnd();
    }
    delete object;
    object = nullptr;
}

}  // namespace

void ProgramScreens::Install() {
    static ProgramScreens screens;
    EngineScreens::Install(&screens);
}

bool ProgramScreens::CreateClockWindows(HWND engineWindow) {
    if (!fullScreenClock_) fullScreenClock_ = FullScreenClock::Create();
    if (!clock_) clock_ = ClockWnd::Create(engineWindow, WS_CHILD | WS_VISIBLE);
    return fullScreenClock_ && clock_;
}

void ProgramScreens::DestroyClockWindows() {
    DestroyWindowObject(fullScreenClock_);
    DestroyWindowObject(clock_);
}

FullScreenClockControl* ProgramScreens::FullScreenClock() { return fullScreenClock_; }

HWND ProgramScreens::ClockWindow() const { return clock_ ? clock_->Hwnd() : nullptr; }

void ProgramScreens::Record(const wchar_t* key, const wchar_t* valueName, DWORD value, UINT message) {
    RegKeyRef product = RegKeyRef::Open(ProductKey::kPath, HKEY_CURRENT_USER, false);
    RegKeyRef record = RegKeyRef::OpenSubKey(key, product, false);
    if (!record.IsOpen()) return;
    DWORD count = 0;
    RegKeyRef_QueryDword(record, &count, kRingCountValue, 0);
    RegKey_WriteDword(record, value, valueName);
    RegKey_WriteDword(record, message, kLastMessageValue);
    // Written last: a reader that sees the count sees the values with it.
    RegKey_WriteDword(record, count + 1, kRingCountValue);
}

void ProgramScreens::ShowAlarmRing(EngineWnd&, AlarmItem& alarm, UINT message) {
    Record(kRingRecordKey, kLastHashValue, static_cast<DWORD>(alarm.Hash), message);
    RunRingAction(alarm);
}

void ProgramScreens::ShowTimerRing(EngineWnd&, TimerItem& timer) {
    Record(kRingRecordKey, kLastHashValue, static_cast<DWORD>(timer.Hash), EngineMessage::kTimerExpired);
    RunRingAction(timer);
}

void ProgramScreens::RunRingAction(EventItem& item) {
    // As a ring starts: the first ring only, and not a program meant for the dismissal.
    if (item.SnoozeCount != 0 || item.HasProgramAction() || !item.action) return;
    // Held here: the action may outlive a change of the item's action.
    boost::shared_ptr<Action> action = item.action;
    action->Execute();
}

bool ProgramScreens::OpenMainWindow(EngineWnd&, int tab) {
    Record(kScreenRecordKey, kLastValueValue, static_cast<DWORD>(tab), EngineMessage::kOpenMainWindow);
    return false;
}

void ProgramScreens::CloseMainWindow(EngineWnd&) {}

bool ProgramScreens::EditTimer(EngineWnd& engine, TimerItem& timer) {
    return ItemEditors_EditTimer(engine.Hwnd(), timer);
}

bool ProgramScreens::EditAlarm(EngineWnd& engine, AlarmItem& alarm) {
    return ItemEditors_EditAlarm(engine.Hwnd(), alarm);
}

void ProgramScreens::RunMainMenu(EngineWnd&) {
    Record(kScreenRecordKey, kLastValueValue, 0, EngineMessage::kMainMenu);
}

bool ProgramScreens::ConfirmDelete(EngineWnd&, UINT textId) {
    Record(kScreenRecordKey, kLastValueValue, textId, kDeleteQuestion);
    return true;
}
