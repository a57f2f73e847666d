#include "AlarmSheet.h"

#include "AlarmItem.h"
#include "AlarmPage.h"
#include "DeviceScreen.h"
#include "DialogFrame.h"
#include "EventPage.h"
#include "ItemStore.h"
#include "Translator.h"
#include "resource.h"

namespace {

const ItemEditorSheet::Layout kLayout = {IDS_ALARM_SHEET_CAPTION, AlarmSheet::kIcon,     IDD_ALARM_PAGE,
                                         IDS_ALARM_TAB_MAIN,      IDS_ALARM_TAB_ACTIONS, EventPage::kAlarmHelpTopic,
                                         L"Alarm - "};

}  // namespace

AlarmSheet::AlarmSheet(AlarmItem& alarm, ItemStore& store)
    : ItemEditorSheet(kLayout, alarm), alarm_(alarm), store_(store) {}

bool AlarmSheet::ItemStillThere() const { return store_.FindAlarmByHash(hash_) == &alarm_; }

PageBase* AlarmSheet::CreateMainPage() { return new AlarmPage(alarm_); }

void AlarmSheet::FinishCommit() {
    const bool active = (alarm_.flags & AlarmItem::kEnabled) && (alarm_.flags & AlarmItem::kDaysMask);
    if (active) return;
    const Translator& translator = Translator::Instance();
    const std::wstring text = translator.GetString(IDS_ALARM_NOT_ACTIVE);
    const std::wstring caption = translator.GetString(IDS_ALARM_NOT_ACTIVE_CAPTION);
    const int answer = DeviceScreen_MessageBox(Frame().GetHwnd(), text.c_str(), caption.c_str(),
                                               MB_YESNO | MB_ICONQUESTION);
    // The question's loop runs rings and commands: the alarm may have gone meanwhile.
    if (answer == IDYES && ItemStillThere()) alarm_.flags |= AlarmItem::kEnabled;
}
