#pragma once
// The settings sheets' command bar on the older shells, which have no soft-key menu to
// carry the "Profiles" popup: a "Profiles" button with that popup at the bar's start,
// shown or hidden with the page, and a record button with its icon at position 3.
#include <windows.h>

#include <string>
#include <vector>

#include "GdiHandles.h"

class SettingsCommandBar {
public:
    // The record button's place among the bar's buttons.
    static constexpr int kRecordPosition = 3;

    SettingsCommandBar();
    ~SettingsCommandBar();
    SettingsCommandBar(const SettingsCommandBar&) = delete;
    SettingsCommandBar& operator=(const SettingsCommandBar&) = delete;

    // Shows the "Profiles" button under the text with popup (taken over; null keeps the
    // one it has) and, when asked, the record button; or hides the one and deletes the other.
    void Show(HWND bar, bool show, const std::wstring& popupText, HMENU popup, bool withRecord);
    // The "Profiles" popup; null before the first Show.
    HMENU Popup() const { return popup_; }
    const std::vector<std::wstring>& Texts() const { return texts_; }

private:
    void ShowProfiles(HWND bar, bool show, const std::wstring& text, HMENU popup);
    void ShowRecord(HWND bar, bool show);

    std::vector<std::wstring> texts_;
    // The "Profiles" button's text: the older shells' bars keep the pointer they are given.
    std::wstring profilesText_;
    HMENU popup_ = nullptr;
    BitmapHandle bitmap_;   // the record icon as the bar was given it
    int image_ = -1;        // the record icon among the bar's images
    int firstString_ = -1;  // the text list among the bar's strings
};
