#include "TimerDialog.h"

#include "EventPage.h"
#include "ItemStore.h"
#include "TimerItem.h"
#include "TimerPage.h"
#include "resource.h"

namespace {

const ItemEditorSheet::Layout kLayout = {IDS_TIMER_DIALOG_CAPTION, TimerDialog::kIcon,   IDD_TIMER_PAGE,
                                         IDS_TIMER_TAB_MAIN,       IDS_TIMER_TAB_ACTIONS, EventPage::kTimerHelpTopic,
                                         TimerItem::kDefaultTitleWord};

}  // namespace

TimerDialog::TimerDialog(TimerItem& timer, ItemStore& store)
    : ItemEditorSheet(kLayout, timer), timer_(timer), store_(store) {}

bool TimerDialog::ItemStillThere() const { return store_.FindTimerByHash(hash_) == &timer_; }

PageBase* TimerDialog::CreateMainPage() {
    timerPage_ = new TimerPage(timer_, store_);
    return timerPage_;
}

bool TimerDialog::ValidateMainPage() { return !MainPage() || !timerPage_ || timerPage_->Validate(); }
