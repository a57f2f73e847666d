#pragma once
// The base of the main window's pages: a modeless page of the tab view with a caption
// and an icon for the frame's header, owner-drawn icon buttons, its own help context,
// a screen of the hardware-button map, and the view state it keeps in the registry.
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "IconButton.h"
#include "PageBase.h"
#include "RegKeyRef.h"

// A page menu made on first need and kept until the program ends.
struct KeptMenu {
    HMENU menu = nullptr;
    KeptMenu() = default;
    KeptMenu(const KeptMenu&) = delete;
    KeptMenu& operator=(const KeptMenu&) = delete;
    ~KeptMenu() {
        if (menu) DestroyMenu(menu);
    }
};

class TabPage : public PageBase {
public:
    // Sent to a page to refill the soft-key menu from its own.
    static constexpr UINT kFillMenuBarMessage = 1397;
    static constexpr int kNoButtonMode = -1;

    // buttonMode: the page's screen in the button map (ButtonMap::Mode), or kNoButtonMode.
    TabPage(UINT templateId, UINT captionId, UINT iconId, int helpContext, int buttonMode);
    ~TabPage() override;

    // Creates the page modeless inside the tab view; false when it failed.
    bool Create(HWND tabView);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnGetDlgCode(MSG* message, WPARAM key) override;
    LRESULT OnDrawItem(UINT controlId, DRAWITEMSTRUCT* item) override;
    LRESULT OnHelp(HELPINFO* info, WPARAM wParam) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    // "Previous tab", "next tab" and "show context menu"; pages pass other keys here last.
    void OnHotKey(int id, UINT modifiers, UINT key) override;
    bool IsScrollable() override { return false; }
    // The page becomes current: it takes the button map's keys and refills the soft keys.
    void OnPageShow() override;

    virtual void LoadViewState(const RegKeyRef& productKey) { (void)productKey; }
    virtual void SaveViewState(const RegKeyRef& productKey) { (void)productKey; }
    virtual void FocusDefault() {}

    HICON Icon() const { return icon_; }
    const std::wstring& Caption() const { return caption_; }
    UINT TemplateId() const { return templateId_; }
    bool Titled() const { return ShowHeader(); }
    void SetTitled(bool titled) { SetShowHeader(titled); }
    bool MenuOpen() const { return menuOpen_; }

    // Appends the translated string id as the menu command id.
    static void AppendMenuItem(HMENU menu, UINT id);
    // Appends the item's options as a submenu titled titleId: the entries given, then
    // vibrateId on a device that has a vibrator. False when the submenu cannot be made.
    static bool AppendOptionsSubmenu(HMENU menu, UINT titleId, std::initializer_list<UINT> ids, UINT vibrateId);
    // Every page menu ends with a separator, "Help" and "Exit".
    static void AppendMenuTail(HMENU menu);
    // Copies the menu into the main window's soft-key menu, when it has one.
    static void FillMenuBar(HMENU menu);

protected:
    // Makes an owner-drawn icon button of the control; false when it failed.
    bool AddIconButton(UINT controlId, UINT captionId, UINT iconId, UINT disabledIconId);
    IconButton* FindIconButton(UINT controlId) const;
    // Button layout of the list pages: margin, gap, vertical margin, height, and
    // whether icons stand above the captions (portrait).
    struct ButtonLayout {
        int margin, gap, verticalMargin, height;
    };
    ButtonLayout LayoutButtons();
    // Tracks the menu at a screen point with the menu-open flag set; the chosen command, 0 for none.
    UINT TrackMenu(HMENU menu, int x, int y);
    // The common answer to 35039 "Show context menu": replays Enter into an open menu,
    // closes it on any other key, else opens the page's context menu.
    void OnContextMenuKey(UINT key);
    virtual void OpenContextMenu() {}
    // Where "previous tab" and "next tab" go (-1: nowhere).
    void SetNeighbourTabs(int previousTab, int nextTab) {
        previousTab_ = previousTab;
        nextTab_ = nextTab;
    }
    // The page's soft-key menu, made on first need; null for none.
    virtual HMENU Menu() { return nullptr; }
    // Checks and greys the menu's items before it shows.
    virtual void PrepareMenu(HMENU menu) { (void)menu; }
    // Whether the page's context menu is being tracked (the clock page's is the clock's).
    virtual bool IsContextMenuOpen() const { return menuOpen_; }

private:
    UINT templateId_;
    UINT captionId_;
    UINT iconId_;
    int helpContext_;
    int buttonMode_;
    std::vector<std::unique_ptr<IconButton>> buttons_;
    HICON icon_ = nullptr;
    std::wstring caption_;
    bool menuOpen_ = false;
    int previousTab_ = -1;
    int nextTab_ = -1;
};
