#include "PlainPage.h"

#include "MainWindow.h"
#include "resource.h"

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
    : TabPage(templateId, captionId, 0, helpContext, buttonMode), previousTab_(previousTab), nextTab_(nextTab) {}

LRESULT PlainPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFillMenuBarMessage) {
        if (MainWindow::MenuBar()) FillMenuBar(TailMenu());
        return 0;
    }
    return TabPage::WindowProc(message, wParam, lParam);
}

void PlainPage::OnHotKey(int id, UINT, UINT) {
    if (id == IDS_KEY_PREVIOUS_TAB && previousTab_ >= 0) MainWindow::SelectTab(previousTab_);
    if (id == IDS_KEY_NEXT_TAB && nextTab_ >= 0) MainWindow::SelectTab(nextTab_);
}
