#include "PlainPage.h"


namespace {

// The menu tail alone.
KeptMenu gTailMenu;

HMENU TailMenu() {
    if (!gTailMenu.menu && (gTailMenu.menu = CreatePopupMenu())) {
        TabPage::AppendMenuTail(gTailMenu.menu);
        // The tail starts with a separator; alone, the menu does not need it.
        DeleteMenu(gTailMenu.menu, 0, MF_BYPOSITION);
    }
    return gTailMenu.menu;
}

}  // namespace

PlainPage::PlainPage(UINT templateId, UINT captionId, int helpContext, int buttonMode, int previousTab, int nextTab)
    : TabPage(templateId, captionId, 0, helpContext, buttonMode) {
    SetNeighbourTabs(previousTab, nextTab);
}

HMENU PlainPage::Menu() { return TailMenu(); }
