#pragma once
// The program's notifications in the system: the launcher started with
// "AppRunAtTime" one second before each of the next due moments, and with
// "AppRunAfterTimeChange" / "AppRunAfterTzChange" when the clock or zone is set.
// They outlive the process. GUI thread only.
#include "DateFunctions.h"

#include <windows.h>
#include <vector>

class SystemNotifications {
public:
    // At most this many due moments are registered at once.
    static constexpr size_t kMaxRunAtTimes = 5;
    // A due moment nearer than this is registered this far ahead.
    static constexpr OleDate kMinLeadDays = 20.0 / 86400.0;
    // Registered this long before the due moment, so the program runs at it.
    static constexpr OleDate kEarlyStartDays = 1.0 / 86400.0;
    // More foreign notifications than this before the program's first: recreate all.
    static constexpr size_t kMaxHandlesBeforeOwn = 30;

    // The program's notifications as they stand.
    struct Own {
        std::vector<HANDLE> runAtTimes;    // time notifications, in list order
        size_t firstRunAtTimePosition = 0; // place of the first in the system's whole list
        std::vector<HANDLE> timeChanges;
        std::vector<HANDLE> zoneChanges;
    };
    static Own ScanOwn(const wchar_t* launcher);

    // Clears every notification of the launcher.
    static void ClearOwn(const wchar_t* launcher);
    // Keeps one time-change and one zone-change notification, creating missing ones.
    static void RegisterTimeChangeEvents(const wchar_t* launcher, const std::vector<HANDLE>& timeChanges,
                                         const std::vector<HANDLE>& zoneChanges);
    // Registers the first due moments (ascending, unique), updating existing time
    // notifications in place and clearing the surplus; now is local time.
    static void ScheduleRunAtTimes(const wchar_t* launcher, const std::vector<OleDate>& due,
                                   const std::vector<HANDLE>& runAtTimes, size_t firstPosition, OleDate now);
    // System-wide: clears every pending notification that repeats an earlier one, and
    // fired ones without an application.
    static void RemoveDuplicates();
};
