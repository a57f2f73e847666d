#include "PlainPage.h"

#include "MainWindow.h"
#include "MenuBarWnd.h"
#include "resource.h"

namespace {

// The menu tail alone, made on first need and kept until the program ends.
struct TailMenu {
    HMENU menu = nullptr;
    ~TailMenu() {
        if (menu) DestroyMenu(menu);
    }
    HMENU Get() {
        if (!menu && (menu = CreatePopupMenu())) {
            TabPage::AppendMenuTail(menu);
            // The tail starts with a separator; alone, the menu does not need it.
            DeleteMenu(menu, 0, MF_BYPOSITION);
        }
        return menu;
    }
};
TailMenu gTailMenu;

}  // namespace

PlainPage::PlainPage(UINT templateId, UINT captionId, int helpContext, int buttonMode, int previousTab, int nextTab)
    : TabPage(templateId, captionId, 0, helpContext, buttonMode), previousTab_(previousTab), nextTab_(nextTab) {}

LRESULT PlainPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFillMenuBarMessage) {
        MenuBarWnd* bar = MainWindow::MenuBar();
        if (HMENU menu = bar ? gTailMenu.Get() : nullptr) bar->SetMenu(menu);
        return 0;
    }
    return TabPage::WindowProc(message, wParam, lParam);
}

void PlainPage::OnHotKey(int id, UINT, UINT) {
    if (id == IDS_KEY_PREVIOUS_TAB && previousTab_ >= 0) MainWindow::SelectTab(previousTab_);
    if (id == IDS_KEY_NEXT_TAB && nextTab_ >= 0) MainWindow::SelectTab(nextTab_);
}
