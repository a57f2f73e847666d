#include "TextFitting.h"

#include "GdiHelpers.h"
#include "Translator.h"

namespace {

// String ids of the duration's unit words.
constexpr UINT kMinuteWord = 30069;
constexpr UINT kHourWord = 30070;
constexpr UINT kHoursWord = 30071;

const wchar_t kEllipsis[] = L"...";
const wchar_t kEllipsisWithSeparator[] = L"...\\";

int CharacterWidth(HDC dc, wchar_t c) {
    const wchar_t text[2] = {c, 0};
    return Gfx_GetTextWidth(dc, text);
}

}  // namespace

int RcText_GetWidth(const RcString& text, HDC dc) { return Gfx_GetTextWidth(dc, text.CStr()); }

RcString Text_ShortenToFit(HDC dc, const RcString& path, int maximum) {
    const int width = RcText_GetWidth(path, dc);
    if (width < maximum) return path;
    const int separator = path.Find(L"\\", path.Length() - 1, false, false);
    if (separator < 0) return path;
    RcString folder, name;
    if (separator > 0) folder.Mid(path, 0, separator);
    name.Mid(path, separator, path.Length() - separator);
    const int nameWidth = width - RcText_GetWidth(folder, dc);
    if (nameWidth >= maximum) return name;
    const int room = maximum - nameWidth;
    int used = Gfx_GetTextWidth(dc, kEllipsisWithSeparator);
    int count = 0;
    for (; count < folder.Length(); ++count) {
        const int next = CharacterWidth(dc, folder.CStr()[count]);
        if (used + next >= room) break;
        used += next;
    }
    RcString shortened;
    if (count > 0) shortened.Mid(folder, 0, count);
    shortened.AppendCStr(kEllipsis);
    shortened.AppendCStr(name.CStr());
    return shortened;
}

RcString Text_KeepEndToFit(HDC dc, const RcString& text, int maximum) {
    if (RcText_GetWidth(text, dc) < maximum) return text;
    int used = Gfx_GetTextWidth(dc, kEllipsis);
    int start = text.Length();
    for (; start > 0; --start) {
        const int next = CharacterWidth(dc, text.CStr()[start - 1]);
        if (used + next >= maximum) break;
        used += next;
    }
    RcString end, shortened(kEllipsis);
    if (start < text.Length()) end.Mid(text, start, text.Length() - start);
    shortened.AppendCStr(end.CStr());
    return shortened;
}

RcString Duration_Format(unsigned seconds) {
    const unsigned hours = seconds / 3600;
    const unsigned minutes = seconds % 3600 / 60;
    const Translator& translator = Translator::Instance();
    const std::wstring minuteWord = translator.GetString(kMinuteWord);
    const std::wstring hourWord = translator.GetString(hours == 1 ? kHourWord : kHoursWord);
    RcString text;
    if (hours && minutes)
        text.Format(L"%d %s %d %s", hours, hourWord.c_str(), minutes, minuteWord.c_str());
    else if (hours)
        text.Format(L"%d %s", hours, hourWord.c_str());
    else
        text.Format(L"%d %s", minutes, minuteWord.c_str());
    return text;
}
