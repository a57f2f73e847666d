#pragma once
// The tabbed soft-key dialog that shows an item's sound and vibration pages. Its soft-key
// menu carries a "Profiles" popup while a sound or vibration page is shown: "Reset"
// fills the page from the program's defaults, "Set as default" makes the page's values
// the program's defaults. With the sound page comes "Record a sound", which records a
// new file and offers it on the page. The alarm sheet, the timer dialog and the sound
// settings sheets are built on it.
#include <memory>

#include "TabDialog.h"

class SettingsCommandBar;
class SoundPage;
class VibrationPage;

class SettingsDialog : public TabDialog {
public:
    SettingsDialog(UINT captionStringId, UINT iconId);
    ~SettingsDialog() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    // The page switch, then the "Profiles" popup for the new page.
    void SelectPage(int index) override;

    // Shows the "Profiles" popup under the text (string id) at the top of the soft-key
    // menu, with "Record a sound" below it when asked, or removes them.
    void SetMenuText(bool show, UINT popupTextId, bool withRecordEntry);
    // Enables "Reset" and "Set as default" for the sound page, and for the vibration
    // page while it does not already show the defaults; greys them otherwise.
    void UpdateMenu(int pageIndex);
    bool MenuShown() const { return profilesShown_; }
    // The older shells' command bar; null where the soft-key menu carries the popup.
    SettingsCommandBar* CommandBar() const { return commandBar_.get(); }

    SoundPage* GetSoundPage() const { return soundPage_; }
    VibrationPage* GetVibrationPage() const { return vibrationPage_; }

protected:
    // Creates a page from its template as a child of the dialog and adds it under its
    // caption; a page that cannot be created is deleted and null comes back.
    template <class Page>
    Page* AddCreatedPage(Page* page, UINT templateId, UINT captionStringId) {
        return static_cast<Page*>(AddPageFromTemplate(page, templateId, captionStringId));
    }
    PageBase* AddPageFromTemplate(PageBase* page, UINT templateId, UINT captionStringId);
    // Adds the sound page and, on a device that vibrates, the vibration page.
    void AddSoundPages(class ItemSoundSettings* sound, class ItemVibrationSettings* vibration);
    // The sound page's three numbers, then (on a device that vibrates) the vibration
    // page's two; the first failing field gets the focus.
    bool ValidateSoundPages() { return ValidateSoundPage() && ValidateVibrationPage(); }
    bool ValidateSoundPage();
    bool ValidateVibrationPage();
    // Both pages write into their records; false when one refused.
    bool ApplySoundPages();

    SoundPage* soundPage_ = nullptr;
    VibrationPage* vibrationPage_ = nullptr;

private:
    HMENU SoftKeyMenu() const;
    // Where "Reset" and "Set as default" stand: the soft-key menu or the command bar's popup.
    HMENU ProfilesMenu() const;
    void RemoveProfiles();
    void SetPageAsDefault();
    void ResetPage();
    // Asks for a file name, records into it and, once kept, adds it to the sound page.
    void RecordSound();

    bool profilesShown_ = false;
    bool recordShown_ = false;
    std::unique_ptr<SettingsCommandBar> commandBar_;
};

// True when the signaller can vibrate the device.
bool Editor_DeviceCanVibrate();
