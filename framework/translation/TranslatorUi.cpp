// Putting translated texts on live windows: dialog captions and controls, menu-bar
// buttons and their menus, and the flags of the language list.
#include <windows.h>
#include <commctrl.h>

#include "Dpi.h"
#include "MenuBarButtons.h"
#include "Translator.h"

namespace {

const char kCaptionKey[] = "CAPTION";
const wchar_t kStaticClass[] = L"static";
const wchar_t kButtonClass[] = L"button";
constexpr int kClassNameLength = 64;
constexpr int kMenuTextLength = 128;
constexpr int kFlagIconSize = 16;
constexpr int kLargeFlagIconSize = 32;
constexpr int kLargeIconDpi = 192;

// Flag icons and the language each stands for; icons are appended in this order.
struct LanguageFlag {
    int iconId;
    DWORD language;
};
const LanguageFlag kLanguageFlags[] = {
    {309, 2052}, {314, 1033}, {323, 1028}, {311, 1029}, {312, 1030}, {344, 1032}, {345, 1060},
    {313, 1043}, {315, 1036}, {316, 1031}, {317, 1040}, {318, 1041}, {319, 1045}, {346, 1046},
    {320, 2070}, {321, 1049}, {310, 9226}, {322, 3082}, {324, 1055}, {308, 1058}, {335, 1053},
    {334, 1035}, {338, 1037}, {387, 1063}, {392, 1044}, {402, 1038},
};

// A menu item read by position, with its text.
struct MenuItem {
    MENUITEMINFOW info;
    wchar_t text[kMenuTextLength];

    bool Read(HMENU menu, int position) {
        info = MENUITEMINFOW{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_TYPE | MIIM_DATA;
        text[0] = 0;
        info.dwTypeData = text;
        info.cch = kMenuTextLength - 1;
        return GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) != FALSE;
    }
    // Popups are keyed by their English text in the ANSI code page.
    std::string Key() const {
        char key[kMenuTextLength * 2] = {};
        const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, key, sizeof key - 1, nullptr, nullptr);
        return std::string(key, length > 0 ? static_cast<size_t>(length - 1) : 0);
    }
};

void SetMenuItemText(HMENU menu, int position, const std::wstring& text) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_TYPE;
    info.fType = MFT_STRING;
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
}

bool IsExcluded(int id, const int* excludedIds) {
    for (const int* p = excludedIds; p && *p; ++p) {
        if (*p == id) return true;
    }
    return false;
}

}  // namespace

bool Translator::ApplyCaption(HWND dialog, UINT dialogId, const int* excludedIds) const {
    const auto* entry = m_noTranslation ? nullptr : FindEntry(static_cast<int>(dialogId), m_dialogs);
    if (!entry) {
        PostMessageW(dialog, kDialogTranslatedMessage, 0, 0);
        return false;
    }
    auto caption = entry->find(kCaptionKey);
    if (caption != entry->end()) SetWindowTextW(dialog, caption->second.text.c_str());

    bool all = true;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = static_cast<int>(GetWindowLongPtrW(child, GWLP_ID));
        if (id == 0 || IsExcluded(id, excludedIds)) continue;
        if (!ApplyControl(child, *entry)) all = false;
    }
    SendMessageW(dialog, kDialogTranslatedMessage, 0, 0);
    return all;
}

bool Translator::ApplyControl(HWND control, const std::map<std::string, TranslationEntry>& dialogEntry) const {
    if (m_noTranslation) return false;
    wchar_t className[kClassNameLength] = {};
    GetClassNameW(control, className, kClassNameLength);
    if (_wcsicmp(className, kStaticClass) != 0 && _wcsicmp(className, kButtonClass) != 0) return false;
    const int id = static_cast<int>(GetWindowLongPtrW(control, GWLP_ID));
    if (id == 0xFFFF || id == -1) return false;

    auto names = m_symbols.equal_range(id);
    for (auto name = names.first; name != names.second; ++name) {
        auto entry = dialogEntry.find(name->second);
        if (entry == dialogEntry.end()) continue;
        if (entry->second.text.empty()) return false;
        SetWindowTextW(control, entry->second.text.c_str());
        return true;
    }
    return false;
}

bool Translator::ApplyMenuBar(HWND menuBar, UINT menuId) const {
    const auto* entry = m_noTranslation ? nullptr : FindEntry(static_cast<int>(menuId), m_menus);
    if (!entry) return false;
    HMENU menuTemplate = LoadMenuW(m_module, MAKEINTRESOURCEW(menuId));
    if (!menuTemplate) return false;

    // The bar's two buttons stand for the template's first two items.
    for (int button = 0; button < 2; ++button) {
        MenuItem item;
        if (!item.Read(menuTemplate, button)) continue;
        if (item.info.hSubMenu) {
            auto child = entry->find(item.Key());
            if (child == entry->end()) continue;
            if (!child->second.text.empty()) Toolbar_SetButtonInfo(menuBar, child->second.text.c_str(), button);
            if (HMENU live = MenuBar_GetSubMenu(menuBar, button)) ApplyMenu(live, item.info.hSubMenu, child->second);
        } else if (const std::wstring* text = FirstTranslatedText(static_cast<int>(item.info.wID), *entry)) {
            Toolbar_SetButtonInfo(menuBar, text->c_str(), button);
        }
    }
    DestroyMenu(menuTemplate);
    return true;
}

// The live menu must have the template's layout: items are addressed by position.
void Translator::ApplyMenu(HMENU live, HMENU menuTemplate, const TranslationEntry& entry) const {
    if (!IsMenu(menuTemplate)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return;
    }
    MenuItem item;
    for (int position = 0; item.Read(menuTemplate, position); ++position) {
        if (item.info.fType & MFT_SEPARATOR) continue;
        if (item.info.hSubMenu) {
            auto child = entry.children.find(item.Key());
            if (child == entry.children.end()) continue;
            if (!child->second.text.empty()) SetMenuItemText(live, position, child->second.text);
            if (HMENU livePopup = GetSubMenu(live, position)) ApplyMenu(livePopup, item.info.hSubMenu, child->second);
        } else if (const std::wstring* text = FirstTranslatedText(static_cast<int>(item.info.wID), entry.children)) {
            SetMenuItemText(live, position, *text);
        }
    }
}

HIMAGELIST Translator::BuildLanguageImageList(std::vector<int>& slots) const {
    slots.assign(m_languages.size(), -1);
    const int size = Dpi_GetX() >= kLargeIconDpi ? kLargeFlagIconSize : kFlagIconSize;
    HIMAGELIST list = ImageList_Create(size, size, ILC_MASK | ILC_COLOR8, static_cast<int>(m_languages.size()), 1);
    if (!list) return nullptr;
    for (const LanguageFlag& flag : kLanguageFlags) {
        bool offered = false;
        for (DWORD language : m_languages) offered = offered || language == flag.language;
        if (!offered) continue;
        HICON icon = static_cast<HICON>(LoadImageW(m_module, MAKEINTRESOURCEW(flag.iconId), IMAGE_ICON, size, size, 0));
        if (!icon) continue;
        const int index = ImageList_AddIcon(list, icon);
        DestroyIcon(icon);
        for (size_t slot = 0; slot < m_languages.size(); ++slot) {
            if (m_languages[slot] == flag.language) slots[slot] = index;
        }
    }
    return list;
}
