#include "TimerDialog.h"

#include "EventPage.h"
#include "ItemStore.h"
#include "TimerItem.h"
#include "TimerPage.h"
#include "resource.h"

TimerDialog::TimerDialog(TimerItem& timer, ItemStore& store)
    : ItemEditorSheet(IDS_TIMER_DIALOG_CAPTION, kIcon, timer), timer_(timer), store_(store) {}

bool TimerDialog::ItemStillThere() const { return store_.FindTimerByHash(hash_) == &timer_; }

PageBase* TimerDialog::CreateMainPage() {
    timerPage_ = new TimerPage(timer_, store_);
    return timerPage_;
}

UINT TimerDialog::MainTemplateId() const { return IDD_TIMER_PAGE; }
UINT TimerDialog::MainCaptionId() const { return IDS_TIMER_TAB_MAIN; }
UINT TimerDialog::ActionsCaptionId() const { return IDS_TIMER_TAB_ACTIONS; }
int TimerDialog::ActionsHelpTopic() const { return EventPage::kTimerHelpTopic; }

bool TimerDialog::ValidateMainPage() { return !MainPage() || !timerPage_ || timerPage_->Validate(); }

void TimerDialog::FinishCommit() { NameAfterAction(kDefaultTitlePrefix); }
