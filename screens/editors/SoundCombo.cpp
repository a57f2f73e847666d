#include "SoundCombo.h"

#include "DeviceFiles.h"
#include "GdiHandles.h"
#include "GdiHelpers.h"
#include "RcString.h"
#include "TextFitting.h"

namespace {

// Past this many numbered texts the entry takes the last one tried.
constexpr int kMostChoices = 100;

// The mark around a text; a mark without "%s" (a language pack's) follows the text.
std::wstring Marked(const std::wstring& mark, const std::wstring& text) {
    const size_t at = mark.find(L"%s");
    if (at == std::wstring::npos) return text + L" " + mark;
    return mark.substr(0, at) + text + mark.substr(at + 2);
}

}  // namespace

void SoundCombo::Attach(HWND combo, const std::wstring& notFoundMark) {
    combo_ = combo;
    notFoundMark_ = notFoundMark;
}

bool SoundCombo::SameText(const std::wstring& a, const std::wstring& b) {
    const RcString mappedA = RcString::MapCaseCopy(RcString(a.c_str()));
    const RcString mappedB = RcString::MapCaseCopy(RcString(b.c_str()));
    return wcscmp(mappedA.CStr(), mappedB.CStr()) == 0;
}

std::wstring SoundCombo::HostPath(const std::wstring& path) {
    wchar_t mapped[MAX_PATH];
    return Device_MapPath(path.c_str(), mapped, MAX_PATH) ? mapped : path;
}

const SoundEntry* SoundCombo::At(LRESULT index) const {
    if (index < 0) return nullptr;
    const LRESULT data = SendMessageW(combo_, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data == CB_ERR ? nullptr : reinterpret_cast<const SoundEntry*>(data);
}

const SoundEntry* SoundCombo::Selected() const { return At(SendMessageW(combo_, CB_GETCURSEL, 0, 0)); }

LRESULT SoundCombo::Find(const std::wstring& path) const {
    const std::wstring wanted = HostPath(path);
    const int count = static_cast<int>(SendMessageW(combo_, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        const SoundEntry* entry = At(index);
        if (entry && entry->kind == 1 && SameText(HostPath(entry->fullPath), wanted)) return index;
    }
    return CB_ERR;
}

bool SoundCombo::Shows(const std::wstring& text) const {
    return SendMessageW(combo_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str())) !=
           CB_ERR;
}

std::wstring SoundCombo::TextFor(HDC dc, const SoundEntry& entry, int choice, int width) const {
    const std::wstring number = choice > 1 ? L" (" + std::to_wstring(choice) + L")" : std::wstring();
    int room = width - Gfx_GetTextWidth(dc, number.c_str());
    if (entry.missing) room -= Gfx_GetTextWidth(dc, Marked(notFoundMark_, std::wstring()).c_str());
    const RcString own(choice == 0 ? entry.displayName.c_str() : entry.fullPath.c_str());
    RcString fitted = choice == 0 ? Text_ShortenToFit(dc, own, room) : Text_KeepEndToFit(dc, own, room);
    // A name too wide alone keeps its end, so that the mark still shows.
    if (RcText_GetWidth(fitted, dc) >= room) fitted = Text_KeepEndToFit(dc, fitted, room);
    const std::wstring text = fitted.CStr() + number;
    return entry.missing ? Marked(notFoundMark_, text) : text;
}

int SoundCombo::TextWidth() const {
    // The part that shows the selected text, without the drop-down button.
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(combo_, &info)) return info.rcItem.right - info.rcItem.left;
    RECT client = {};
    GetClientRect(combo_, &client);
    return client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
}

LRESULT SoundCombo::Add(std::unique_ptr<SoundEntry> entry) {
    WindowDc dc(combo_);
    if (!dc.Get()) return CB_ERR;
    SelectScope font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(combo_, WM_GETFONT, 0, 0)));
    std::wstring text;
    for (int choice = 0; choice < kMostChoices; ++choice) {
        text = TextFor(dc.Get(), *entry, choice, TextWidth());
        if (!Shows(text)) break;
    }
    entry->displayName = text;
    const LRESULT index = SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index < 0) return CB_ERR;
    SendMessageW(combo_, CB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry.release()));
    return index;
}

void SoundCombo::Remove(LRESULT index) {
    delete At(index);
    SendMessageW(combo_, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void SoundCombo::Select(LRESULT index) { SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

void SoundCombo::FreeEntries() {
    const int count = static_cast<int>(SendMessageW(combo_, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        delete At(index);
        SendMessageW(combo_, CB_SETITEMDATA, static_cast<WPARAM>(index), 0);
    }
}
