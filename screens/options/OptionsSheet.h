#pragma once
// The program's settings dialog, "Clock Properties": the chime, screen saver, languages,
// skins, system, interface, buttons and atomic-clock pages over the item store's
// settings. Nothing is written before OK; OK applies every page in a fixed order, then
// reschedules and saves. GUI thread only.
#include "TabDialog.h"

class AtomicClockPage;
class ButtonsPage;
class ChimePage;
class GeneralPage;
class LanguagesPage;
class NotificationsPage;
class ScreenSaverPage;
class SkinPage;

class OptionsSheet : public TabDialog {
public:
    static constexpr UINT kIcon = 347;
    static constexpr int kHelpTopic = 1;

    OptionsSheet();
    ~OptionsSheet() override;

    LRESULT OnHelp(HELPINFO* info, WPARAM wParam) override;
    void OnInitPages() override;
    void OnOpened(UINT message, WPARAM wParam) override;
    // The pages' OnOK in the sheet's order; a page that refuses keeps the sheet open
    // (the pages before it have written). Then reschedule and save.
    bool CanOK() override;

private:
    template <class Page>
    Page* Add(Page* page, UINT templateId, UINT captionId);

    ChimePage* chime_ = nullptr;
    ScreenSaverPage* screenSaver_ = nullptr;
    SkinPage* skins_ = nullptr;
    GeneralPage* system_ = nullptr;
    NotificationsPage* interface_ = nullptr;
    ButtonsPage* buttons_ = nullptr;
    LanguagesPage* languages_ = nullptr;
    AtomicClockPage* atomicClock_ = nullptr;
};

// Runs the sheet modally over the window (the engine window when null).
void OptionsSheet_Run(HWND parent);
