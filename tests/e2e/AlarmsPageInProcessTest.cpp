// The alarms page in this process: an alarm that leaves the store while its editor's
// modal loop runs is not touched by the page afterwards.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "HeapControl.h"
#include "AlarmItem.h"
#include "AlarmListPage.h"
#include "InProcessProgram.h"
#include "MainWindow.h"
#include "ProgramScreens.h"
#include "TestSupport.h"
#include "resource.h"

namespace {

constexpr int kAlarmList = 10300;

// An editor whose modal loop sees its alarm deleted and a new one made where the deleted
// one lay; it answers OK.
class DeletingEditor : public ProgramScreens {
public:
    bool EditAlarm(EngineWnd&, AlarmItem& alarm) override {
        ItemStore* store = ItemStore::Current();
        edited = &alarm;
        HeapControl_ReuseNext(&alarm, sizeof(AlarmItem));
        store->RemoveAlarm(&alarm);
        replacement = store->CreateAlarm(nullptr);
        HeapControl_Disarm();
        if (replacement) {
            // Neither due nor dismissed: what the page sets on an alarm it edited.
            replacement->flags &= ~AlarmItem::kFired;
            replacement->SetDismissed(false);
            replacementFlags = replacement->flags;
        }
        return true;
    }
    const void* edited = nullptr;
    AlarmItem* replacement = nullptr;
    uint32_t replacementFlags = 0;
};

using AlarmsPageInProcess = InProcessProgram;

}  // namespace

TEST_F(AlarmsPageInProcess, AnAlarmDeletedInsideItsEditorIsNotTouchedAfterwards) {
    AlarmItem* alarm = store_->CreateAlarm(nullptr);
    ASSERT_NE(nullptr, alarm);
    alarm->title.SetCStr(L"Gym");
    alarm->flags &= ~AlarmItem::kNew;
    ASSERT_TRUE(MainWindow::Open(MainWindow::kAlarmsTab));
    AlarmListPage* page = MainWindow::AlarmPage();
    ASSERT_NE(nullptr, page);
    HWND list = GetDlgItem(page->GetHwnd(), kAlarmList);
    ASSERT_TRUE(testsupport::PollUntil(5000, [&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        return ListView_GetItemCount(list) == 1;
    }));
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetSelectionMark(list, 0);
    ASSERT_EQ(alarm, page->SelectedAlarm());

    DeletingEditor editor;
    EngineScreens* program = EngineScreens::Install(&editor);
    SendMessageW(page->GetHwnd(), WM_COMMAND, MAKEWPARAM(IDS_EDIT, 0), 0);
    EngineScreens::Install(program);
    ASSERT_NE(nullptr, editor.replacement);
    ASSERT_EQ(editor.edited, editor.replacement) << "the new alarm did not take the deleted one's place";
    // The new alarm is as it was made: the page did not take it for the edited one.
    EXPECT_EQ(editor.replacementFlags, editor.replacement->flags);
    MainWindow::Close();
}
