#pragma once
// The short text report of one run: how the program ended, the windows it showed and
// what it left on the device.
#include "DeviceSnapshot.h"
#include "WindowWatch.h"

#include <string>
#include <vector>

// OnDisplay: a run without a time limit, ended by the user or by the program.
enum class RunEnding { NotStarted, ByItself, OnDisplay, WindowsClosed, Terminated };

struct RunFacts {
    std::wstring commandText;
    LONG screenWidth = 0;
    LONG screenHeight = 0;
    LONG dpi = 0;
    RunEnding ending = RunEnding::NotStarted;
    DWORD startError = 0;  // when not started
    DWORD exitCode = 0;
    ULONGLONG ranMs = 0;
    std::wstring screenshot;  // when and why the screenshot was taken, or why not
    std::vector<ShownWindow> windows;
    DeviceSnapshot before;
    DeviceSnapshot after;
};

// The report as UTF-8 text, one fact per paragraph.
std::string RunReport_Format(const RunFacts& facts);
// The paragraph on the device's notifications, when and what each starts.
std::wstring RunReport_Notifications(const DeviceSnapshot& snapshot);
