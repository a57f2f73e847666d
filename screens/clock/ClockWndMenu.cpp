// The clock's tap handling, its context menu and the menu's commands.
#include "ClockWnd.h"

#include "App.h"
#include "EngineMessage.h"
#include "EngineWnd.h"
#include "FullScreenClockWnd.h"
#include "ItemStore.h"
#include "SkinList.h"
#include "Translator.h"
#include "aygshell.h"

#include <cstring>

namespace {

void AppendItem(HMENU menu, UINT flags, UINT_PTR id, UINT textId) {
    AppendMenuW(menu, MF_STRING | flags, id, Translator::Instance().GetString(textId).c_str());
}

}  // namespace

void ClockWnd::OnLButtonDown(int x, int y, UINT keys) {
    paintingEnabled_ = false;
    FullScreenClockWnd* fullScreen = FullScreenClockWnd::Instance();
    if (fullScreen && fullScreen->IsShowing()) {
        paintingEnabled_ = true;
        fullScreen->Show(false, false, false, false);
    } else {
        SHRGINFO gesture = {sizeof gesture, GetHwnd(), {x, y}, SHRG_RETURNCMD};
        const DWORD result = SHRecognizeGesture(&gesture);
        paintingEnabled_ = true;
        if (result == GN_CONTEXTMENU)
            TrackMenu(x, y);
        else if (fullScreen)
            fullScreen->Show(true, false, false, false);
    }
    ControlWndBase::OnLButtonDown(x, y, keys);
}

HMENU ClockWnd::BuildContextMenu() {
    if (menuOpen_) return nullptr;
    SkinList& skins = Skins();
    HMENU menu = CreatePopupMenu();
    HMENU skinMenu = CreatePopupMenu();
    if (!menu || !skinMenu) {
        if (menu) DestroyMenu(menu);
        if (skinMenu) DestroyMenu(skinMenu);
        return nullptr;
    }
    ItemStore* store = ItemStore::Current();
    const bool chimeOn = store && store->Chime().Active;
    AppendItem(menu, chimeOn ? MF_CHECKED : 0, kChimeCommand, kChimeCommand);
    if (App::ActivityDriverUsable()) {
        const bool saverOn = store && store->GetSettings().screenSaver->Active;
        AppendItem(menu, saverOn ? MF_CHECKED : 0, kScreenSaverCommand, kScreenSaverCommand);
    }
    Skin* current = skins.GetCurrent();
    const char* currentGuid = current ? current->GetGuid() : nullptr;
    for (int i = 0; i < skins.Count(); ++i) {
        Skin* skin = skins.At(i);
        const char* guid = skin->GetGuid();
        // A skin without identity is known by its name, so only it can be the current one.
        const bool checked = guid ? currentGuid && strcmp(guid, currentGuid) == 0 : skin == current;
        AppendMenuW(skinMenu, MF_STRING | (checked ? MF_CHECKED : 0), kFirstSkinCommand + i, skin->GetName().c_str());
    }
    AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(skinMenu),
                Translator::Instance().GetString(kSkinsMenuText).c_str());
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendItem(menu, 0, kSettingsCommand, kSettingsCommand);
    AppendItem(menu, 0, kStartScreenSaverCommand, kStartScreenSaverCommand);
    AppendItem(menu, 0, kStartSlideShowCommand, kStartSlideShowCommand);
    return menu;
}

void ClockWnd::TrackMenu(int x, int y) {
    HMENU menu = BuildContextMenu();
    if (!menu) return;
    POINT at = {x, y};
    ClientToScreen(GetHwnd(), &at);
    InvalidateRect(GetHwnd(), nullptr, FALSE);
    menuOpen_ = true;
    const UINT command = static_cast<UINT>(TrackPopupMenuEx(menu, TPM_RETURNCMD, at.x, at.y, GetHwnd(), nullptr));
    menuOpen_ = false;
    DestroyMenu(menu);
    menuSeen_ = nullptr;
    if (command) OnClockCommand(command);
}

void ClockWnd::OpenOptions() {
    if (optionsOpener_) optionsOpener_(GetHwnd());
}

void ClockWnd::OnClockCommand(UINT id) {
    FullScreenClockWnd* fullScreen = FullScreenClockWnd::Instance();
    ItemStore* store = ItemStore::Current();
    switch (id) {
    case kStartScreenSaverCommand:
        if (fullScreen) fullScreen->Show(true, true, false, false);
        return;
    case kStartSlideShowCommand:
        if (fullScreen) fullScreen->Show(true, true, true, true);
        return;
    case kSettingsCommand:
        OpenOptions();
        return;
    case kChimeCommand:
        if (!store) return;
        store->Chime().EventTime = 0;
        store->Chime().Active = !store->Chime().Active;
        if (EngineWnd* engine = App::GetEngine()) engine->Reschedule();
        store->Save(true);
        return;
    case kScreenSaverCommand:
        if (!store) return;
        store->GetSettings().screenSaver->Active = !store->GetSettings().screenSaver->Active;
        if (EngineWnd* engine = App::GetEngine()) PostMessageW(engine->GetHwnd(), EngineMessage::kSettingsChanged, 0, 0);
        return;
    }
    if (id < kFirstSkinCommand) return;
    Skin* skin = Skins().At(static_cast<int>(id - kFirstSkinCommand));
    if (!skin) return;
    // A skin without GUID is stored by its name; one that fails to load is not stored
    // and leaves the built-in skin on the clock.
    if (ApplySkin(skin))
        Skins().SetCurrentSkin(*skin);
    else if (Skins().BuiltIn() != skin)
        ApplySkin(Skins().BuiltIn());
}
