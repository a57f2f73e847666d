#pragma once
// Whether the full-screen clock may start as screen saver now, and starting it:
// not over a ring, a call in progress, a program on the exception list, or (when
// so set) anything but the Today screen, and never when the show type says no.
#include <string>
#include <vector>

class FullScreenClockControl;
class ItemStore;
class ScreenSaverSettings;

class ScreenSaverStart {
public:
    static constexpr wchar_t kCallWindowClass[] = L"IACSP20_Main";
    static constexpr wchar_t kTodayWindowClass[] = L"DesktopExplorerWindow";
    static constexpr wchar_t kMediaPlayerExe[] = L"wmplayer.exe";
    static constexpr wchar_t kMediaPlayerWindowClass[] = L"WMP for Mobile Devices";
    // Show types: never, only while no alarm is pending, always.
    static constexpr int kShowNever = 0;
    static constexpr int kShowWithoutPendingAlarm = 1;

    // "ShowTypeDC" on AC power, else "ShowTypeBT".
    static int ShowTypeInForce(const ScreenSaverSettings& settings);

    // Shows the clock as screen saver when every test passes; true when shown.
    static bool TryShow(FullScreenClockControl* clock, const ItemStore& store);

    // The exception test alone: running is the executable names of the running
    // programs; true when one of them keeps the screen saver away.
    static bool ExceptionRuns(const std::vector<std::wstring>& exceptions, const std::vector<std::wstring>& running,
                              const std::wstring& foregroundClass);

private:
    static bool AnyRingWindow(const ItemStore& store);
    static bool AlarmPending(const ItemStore& store);
    static std::wstring ForegroundClass();
    // The executable names of the running processes; false when no snapshot could be taken.
    static bool RunningPrograms(std::vector<std::wstring>& names);
};
