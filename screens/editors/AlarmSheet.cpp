#include "AlarmSheet.h"

#include "AlarmItem.h"
#include "AlarmPage.h"
#include "DialogFrame.h"
#include "EventPage.h"
#include "ItemStore.h"
#include "Translator.h"
#include "resource.h"

AlarmSheet::AlarmSheet(AlarmItem& alarm, ItemStore& store)
    : ItemEditorSheet(IDS_ALARM_SHEET_CAPTION, kIcon, alarm), alarm_(alarm), store_(store) {}

bool AlarmSheet::ItemStillThere() const { return store_.FindAlarmByHash(hash_) == &alarm_; }

PageBase* AlarmSheet::CreateMainPage() { return new AlarmPage(alarm_); }
UINT AlarmSheet::MainTemplateId() const { return IDD_ALARM_PAGE; }
UINT AlarmSheet::MainCaptionId() const { return IDS_ALARM_TAB_MAIN; }
UINT AlarmSheet::ActionsCaptionId() const { return IDS_ALARM_TAB_ACTIONS; }
int AlarmSheet::ActionsHelpTopic() const { return EventPage::kAlarmHelpTopic; }

void AlarmSheet::FinishCommit() {
    const bool active = (alarm_.flags & AlarmItem::kEnabled) && (alarm_.flags & AlarmItem::kDaysMask);
    if (!active) {
        const Translator& translator = Translator::Instance();
        const std::wstring text = translator.GetString(IDS_ALARM_NOT_ACTIVE);
        const std::wstring caption = translator.GetString(IDS_ALARM_NOT_ACTIVE_CAPTION);
        if (MessageBoxW(Frame().GetHwnd(), text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES)
            alarm_.flags |= AlarmItem::kEnabled;
    }
    NameAfterAction(kDefaultTitlePrefix);
}
