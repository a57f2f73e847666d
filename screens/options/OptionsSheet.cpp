#include "OptionsSheet.h"

#include "App.h"
#include "AtomicClockPage.h"
#include "ButtonsPage.h"
#include "ChimePage.h"
#include "EngineWnd.h"
#include "GeneralPage.h"
#include "HelpTopic.h"
#include "ItemStore.h"
#include "LanguagesPage.h"
#include "NotificationsPage.h"
#include "ScreenSaverPage.h"
#include "SkinPage.h"
#include "resource.h"

OptionsSheet::OptionsSheet() : TabDialog(IDS_OPTIONS_CAPTION, kIcon, true, IDM_TAB_MENUBAR, true) {}

OptionsSheet::~OptionsSheet() = default;

LRESULT OptionsSheet::OnHelp(HELPINFO*, WPARAM) {
    Help_ShowTopic(kHelpTopic);
    return 1;
}

template <class Page>
Page* OptionsSheet::Add(Page* page, UINT templateId, UINT captionId) {
    if (!page->CreateModeless(templateId, GetHwnd(), nullptr)) {
        if (page->GetHwnd()) DestroyWindow(page->GetHwnd());
        delete page;
        return nullptr;
    }
    AddPage(page, captionId);
    return page;
}

void OptionsSheet::OnInitPages() {
    ItemStore* store = ItemStore::Current();
    if (!store) return;
    Settings& settings = store->GetSettings();
    chime_ = Add(new ChimePage(store->Chime()), IDD_CHIME_PAGE, IDS_TAB_CHIME);
    screenSaver_ = Add(new ScreenSaverPage(*settings.screenSaver), IDD_SCREEN_SAVER_PAGE, IDS_TAB_SCREEN_SAVER);
    languages_ = Add(new LanguagesPage(), IDD_LANGUAGES_PAGE, IDS_LANGUAGES);
    skins_ = Add(new SkinPage(), IDD_SKIN_PAGE, IDS_TAB_SKINS);
    system_ = Add(new GeneralPage(*settings.system), IDD_GENERAL_PAGE, IDS_TAB_SYSTEM);
    interface_ = Add(new NotificationsPage(*settings.system), IDD_INTERFACE_PAGE, IDS_TAB_INTERFACE);
    buttons_ = Add(new ButtonsPage(), IDD_BUTTONS_PAGE, IDS_TAB_BUTTONS);
    atomicClock_ = Add(new AtomicClockPage(store->SetAtomicClockAlarm()), IDD_ATOMIC_CLOCK_PAGE, IDS_TAB_ATOMIC_CLOCK);
}

void OptionsSheet::OnOpened(UINT, WPARAM) {
    if (PageCount() > 0) SelectPage(0);
}

bool OptionsSheet::CanOK() {
    DialogBase* const order[] = {chime_, screenSaver_, skins_, system_, interface_, buttons_, languages_, atomicClock_};
    for (DialogBase* page : order)
        if (page && !page->OnOK(IDOK, nullptr)) return false;
    if (EngineWnd* engine = App::GetEngine()) engine->Reschedule();
    if (ItemStore* store = ItemStore::Current()) store->Save(true);
    return true;
}

void OptionsSheet_Run(HWND parent) {
    EngineWnd* engine = App::GetEngine();
    if (!parent && engine) parent = engine->Hwnd();
    if (engine) engine->ChangeBusyCount(1);
    {
        OptionsSheet sheet;
        sheet.Show(parent);
    }
    if (engine) engine->ChangeBusyCount(-1);
}
