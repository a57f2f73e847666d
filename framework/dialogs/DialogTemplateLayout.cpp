// Moving a live dialog's controls to the places of another template of the same
// dialog, so one dialog serves the portrait and the landscape screen.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>

#include "DialogBase.h"

namespace {

constexpr WORD kOrdinalMarker = 0xFFFF;
constexpr WORD kButtonAtom = 0x80;
constexpr WORD kStaticAtom = 0x82;
constexpr WORD kListBoxAtom = 0x83;
constexpr WORD kComboBoxAtom = 0x85;
constexpr const wchar_t* kUpDownClass = L"msctls_updown32";
constexpr WORD kUnnamedId = 0xFFFF;

// A name-or-ordinal field of a template: 0xFFFF and a 16-bit value, or a string.
struct NameOrOrdinal {
    bool isOrdinal = false;
    WORD ordinal = 0;
    const wchar_t* text = nullptr;
};

class TemplateReader {
public:
    TemplateReader(const BYTE* start, DWORD size) : start_(start), position_(start), end_(start + size) {}

    bool Fits(size_t bytes) const { return position_ + bytes <= end_; }
    template <typename T>
    bool Read(T& value) {
        if (!Fits(sizeof value))
            return false;
        memcpy(&value, position_, sizeof value);
        position_ += sizeof value;
        return true;
    }
    bool ReadName(NameOrOrdinal& name) {
        WORD first = 0;
        if (!Read(first))
            return false;
        name = NameOrOrdinal();
        if (first == kOrdinalMarker) {
            name.isOrdinal = true;
            return Read(name.ordinal);
        }
        name.text = reinterpret_cast<const wchar_t*>(position_ - sizeof first);
        for (WORD unit = first; unit != 0;) {
            if (!Read(unit))
                return false;
        }
        return true;
    }
    bool SkipString() {
        for (WORD unit = 1; unit != 0;) {
            if (!Read(unit))
                return false;
        }
        return true;
    }
    void AlignToDword() {
        const size_t offset = static_cast<size_t>(position_ - start_);
        position_ = start_ + ((offset + 3) & ~static_cast<size_t>(3));
    }
    bool Skip(size_t bytes) {
        if (!Fits(bytes))
            return false;
        position_ += bytes;
        return true;
    }

private:
    const BYTE* start_;
    const BYTE* position_;
    const BYTE* end_;
};

#pragma pack(push, 2)
struct ItemHeader {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(ItemHeader) == 18, "DLGITEMTEMPLATE is 18 bytes");

RECT MappedRect(HWND dialog, const ItemHeader& item) {
    RECT rect = {item.x, item.y, item.x + item.cx, item.y + item.cy};
    MapDialogRect(dialog, &rect);
    return rect;
}

bool IsClass(const NameOrOrdinal& name, WORD atom) { return name.isOrdinal && name.ordinal == atom; }

// Icons and bitmaps of a template are loaded again: the control keeps its own copy.
void ReloadImage(HINSTANCE instance, HWND control, const ItemHeader& item, const NameOrOrdinal& title) {
    if (!title.isOrdinal)
        return;
    if ((item.style & 3) == 3) {
        if (HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(title.ordinal))) {
            auto previous = reinterpret_cast<HICON>(
                SendMessageW(control, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
            if (previous && previous != icon)
                DestroyIcon(previous);
        }
    }
    if ((item.style & 0x0E) == 0x0E) {
        if (HBITMAP bitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(title.ordinal))) {
            auto previous = reinterpret_cast<HBITMAP>(
                SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
            if (previous && previous != bitmap)
                DeleteObject(previous);
        }
    }
}

struct PreviousItem {
    bool present = false;
    HWND control = nullptr;
    ItemHeader header = {};
};

void PlaceUpDown(HDWP& defer, HWND dialog, HWND upDown, const ItemHeader& item, const PreviousItem& buddy) {
    const RECT b = MappedRect(dialog, buddy.header);
    const RECT u = MappedRect(dialog, item);
    const int w = u.right - u.left;
    const int h = b.bottom - b.top;
    const int buddyWidth = b.right - b.left - w + 1;
    if (item.style & UDS_ALIGNRIGHT) {
        defer = DeferWindowPos(defer, upDown, nullptr, b.right - w, b.top, w, h, SWP_NOZORDER);
        defer = DeferWindowPos(defer, buddy.control, nullptr, b.left, b.top, buddyWidth, h, SWP_NOZORDER);
    } else {
        defer = DeferWindowPos(defer, upDown, nullptr, b.left, b.top, w, h, SWP_NOZORDER);
        defer = DeferWindowPos(defer, buddy.control, nullptr, b.left + w - 1, b.top, buddyWidth, h, SWP_NOZORDER);
    }
}

}  // namespace

bool Dialog_ApplyTemplateLayout(HINSTANCE instance, HWND dialog, UINT templateId) {
    instance = instance ? instance : GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!bytes || !IsWindow(dialog))
        return false;
    TemplateReader reader(bytes, SizeofResource(instance, found));

    DLGTEMPLATE header = {};
    if (!reader.Read(header) || HIWORD(header.style) == kOrdinalMarker)
        return false;  // extended templates are not used by the program
    NameOrOrdinal ignored;
    if (!reader.ReadName(ignored) || !reader.ReadName(ignored) || !reader.SkipString())
        return false;
    if (header.style & DS_SETFONT) {
        WORD pointSize = 0;
        if (!reader.Read(pointSize) || !reader.SkipString())
            return false;
    }

    HDWP defer = BeginDeferWindowPos(header.cdit);
    if (!defer)
        return false;
    bool allMoved = true;
    int unnamedItems = 0;
    PreviousItem previous;
    for (WORD index = 0; index < header.cdit; ++index) {
        reader.AlignToDword();
        ItemHeader item = {};
        NameOrOrdinal className, title;
        WORD extra = 0;
        if (!reader.Read(item) || !reader.ReadName(className) || !reader.ReadName(title) || !reader.Read(extra) ||
            !reader.Skip(extra)) {
            allMoved = false;
            break;
        }
        if (item.id == kUnnamedId)
            ++unnamedItems;
        HWND control = GetDlgItem(dialog, static_cast<short>(item.id));
        if (!control) {
            allMoved = false;
            previous = PreviousItem();
            continue;
        }
        const RECT rect = MappedRect(dialog, item);
        defer = DeferWindowPos(defer, control, nullptr, rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, SWP_NOZORDER);
        if (!defer)
            return false;

        if (IsClass(className, kButtonAtom) || IsClass(className, kStaticAtom)) {
            ReloadImage(instance, control, item, title);
        } else if (IsClass(className, kListBoxAtom)) {
            const LRESULT selection = SendMessageW(control, LB_GETCURSEL, 0, 0);
            if (selection != LB_ERR)
                SendMessageW(control, LB_SETCURSEL, static_cast<WPARAM>(selection), 0);
        } else if (IsClass(className, kComboBoxAtom)) {
            const LRESULT selection = SendMessageW(control, CB_GETCURSEL, 0, 0);
            if (selection != CB_ERR)
                SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
        } else if (className.text && _wcsicmp(className.text, kUpDownClass) == 0 && (item.style & UDS_AUTOBUDDY) &&
                   (item.style & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT)) && previous.present &&
                   reinterpret_cast<HWND>(SendMessageW(control, UDM_GETBUDDY, 0, 0)) == previous.control) {
            PlaceUpDown(defer, dialog, control, item, previous);
            if (!defer)
                return false;
        }
        previous.present = true;
        previous.control = control;
        previous.header = item;
    }
    const bool deferred = EndDeferWindowPos(defer) != FALSE;
    return allMoved && deferred && unnamedItems < 2;
}
