#include "RunReport.h"

#include "DeviceFiles.h"
#include "WideText.h"
#include "notify.h"

#include <cwchar>

namespace {
double Seconds(ULONGLONG ms) { return static_cast<double>(ms) / 1000.0; }

std::wstring Plural(DWORD count, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(count) + L" " + (count == 1 ? one : many);
}

std::wstring Ending(const RunFacts& f) {
    std::wstring text;
    switch (f.ending) {
        case RunEnding::NotStarted:
            WString_Format(text, L"Orvalen did not start (error %lu).\n", f.startError);
            return text;
        case RunEnding::ByItself:
            WString_Format(text, L"Exit code: %lu; Orvalen ended by itself after %.1f s.\n", f.exitCode,
                           Seconds(f.ranMs));
            return text;
        case RunEnding::OnDisplay:
            WString_Format(text, L"Exit code: %lu; Orvalen ended after %.1f s on the user's display.\n", f.exitCode,
                           Seconds(f.ranMs));
            return text;
        case RunEnding::WindowsClosed:
            WString_Format(text, L"Exit code: %lu; Orvalen was still running after %.1f s and ended when the run "
                           L"closed its windows.\n", f.exitCode, Seconds(f.ranMs));
            return text;
        case RunEnding::Terminated:
            WString_Format(text, L"Exit code: %lu; Orvalen did not end when the run closed its windows and was "
                           L"stopped after %.1f s.\n", f.exitCode, Seconds(f.ranMs));
            return text;
    }
    return text;
}

std::wstring Windows(const RunFacts& f) {
    std::wstring text;
    if (f.windows.empty()) return L"Windows shown: none.\n";
    WString_Format(text, L"Windows shown (%u):\n", static_cast<unsigned>(f.windows.size()));
    for (const ShownWindow& w : f.windows) {
        std::wstring line;
        WString_Format(line, L"  after %.1f s, by %ls: class \"%ls\", title \"%ls\", %ld x %ld at (%ld, %ld)%ls\n",
                       Seconds(w.shownAfterMs), w.process.c_str(), w.windowClass.c_str(), w.title.c_str(),
                       w.bounds.right - w.bounds.left, w.bounds.bottom - w.bounds.top, w.bounds.left, w.bounds.top,
                       w.shell ? L" (the device's task bar)" : L"");
        text += line;
    }
    return text;
}

// A host path inside the device as the device names it ("\\Windows\\x.exe").
std::wstring DevicePathOf(const std::wstring& path) {
    wchar_t root[MAX_PATH];
    if (!Device_GetRoot(root, MAX_PATH)) return path;
    const size_t n = wcslen(root);
    if (path.size() > n && path[n] == L'\\' && _wcsnicmp(path.c_str(), root, n) == 0) return path.substr(n);
    return path;
}

std::wstring Counted(DWORD after, DWORD before, const wchar_t* one, const wchar_t* many) {
    std::wstring text = Plural(after, one, many);
    if (after != before) text += L" (" + std::to_wstring(before) + L" before)";
    return text;
}

std::string Utf8(const std::wstring& text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string out(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], bytes, nullptr, nullptr);
    return out;
}
}  // namespace

std::wstring RunReport_Notifications(const DeviceSnapshot& s) {
    if (s.notifications.empty()) return L"Notifications registered with the device: none.\n";
    std::wstring text;
    WString_Format(text, L"Notifications registered with the device (%u):\n",
                   static_cast<unsigned>(s.notifications.size()));
    for (const DeviceNotification& n : s.notifications) {
        std::wstring when;
        if (n.type == CNT_TIME)
            WString_Format(when, L"at %04u-%02u-%02u %02u:%02u:%02u device time", n.start.wYear, n.start.wMonth,
                           n.start.wDay, n.start.wHour, n.start.wMinute, n.start.wSecond);
        else if (n.event == NOTIFICATION_EVENT_TIME_CHANGE)
            when = L"when the clock is set";
        else if (n.event == NOTIFICATION_EVENT_TZ_CHANGE)
            when = L"when the time zone is set";
        else
            WString_Format(when, L"on system event %lu", n.event);
        text += L"  " + when + L": " + DevicePathOf(n.application) + L" " + n.arguments + L"\n";
    }
    return text;
}

std::string RunReport_Format(const RunFacts& f) {
    std::wstring text;
    WString_Format(text, L"Orvalen ran on the simulated handheld (%ld x %ld, %ld DPI) with the command text \"%ls\".\n",
                   f.screenWidth, f.screenHeight, f.dpi, f.commandText.c_str());
    text += Ending(f);
    if (f.ending != RunEnding::NotStarted) text += Windows(f);
    text += RunReport_Notifications(f.after);
    text += L"Item store: " + Counted(f.after.alarms, f.before.alarms, L"alarm", L"alarms") + L", " +
            Counted(f.after.timers, f.before.timers, L"timer", L"timers") + L", " +
            Counted(f.after.stopwatches, f.before.stopwatches, L"stopwatch", L"stopwatches") + L".\n";
    text += L"Screenshot: " + f.screenshot + L"\n";
    return Utf8(text);
}
