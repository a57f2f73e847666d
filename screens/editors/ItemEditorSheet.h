#pragma once
// What the alarm sheet and the timer dialog share: the tabs Main, Actions, Sound and
// (on a device that vibrates) Vibro over one item, and the commit on OK: every page is
// validated, then each writes its part into the item.
//
// The item is not the sheet's: while the sheet's modal loop runs, a command or a ring
// may delete it. The sheet keeps the item's Hash and looks it up again before OK
// writes anything; when it is gone, OK closes the sheet and writes nothing.
#include "ItemHash.h"
#include "SettingsDialog.h"

class EventItem;
class EventPage;

class ItemEditorSheet : public SettingsDialog {
public:
    // WM_NOTIFY with this wParam hides the input panel's button.
    static constexpr WPARAM kHideSipNotify = 64;

    // What tells the two editors apart.
    struct Layout {
        UINT captionStringId, iconId;
        UINT mainTemplateId, mainCaptionId, actionsCaptionId;
        int actionsHelpTopic;
        // A default title ("Alarm - 3", "Timer - 2") begins with it and yields to the
        // action's name on OK when the item has an action.
        const wchar_t* defaultTitlePrefix;
    };

    ItemEditorSheet(const Layout& layout, EventItem& item);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitPages() override;
    void OnOpened(UINT message, WPARAM wParam) override;
    bool CanOK() override;

    PageBase* MainPage() const { return mainPage_; }
    EventPage* GetEventPage() const { return eventPage_; }
    // False once the item has left the store.
    virtual bool ItemStillThere() const = 0;
    // True when the last OK found the item gone and wrote nothing.
    bool DiscardedEdit() const { return discarded_; }

protected:
    virtual PageBase* CreateMainPage() = 0;
    // Checks of the main page between the sound and the vibration page's.
    virtual bool ValidateMainPage() { return true; }
    // After every page wrote its part, before the title yields to the action's name. A
    // modal step in it must look the item up again before writing.
    virtual void FinishCommit() {}

    const Layout layout_;
    EventItem& item_;
    const ItemHash hash_;

private:
    void NameAfterAction();
    // Looks the item up again; true (and the edit discarded) when it has gone.
    bool Discarded();

    PageBase* mainPage_ = nullptr;
    EventPage* eventPage_ = nullptr;
    bool discarded_ = false;
};
