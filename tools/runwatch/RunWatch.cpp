// Starts the program on the run's device and watches it until it ends:
//   OrvalenRunWatch <program> <run folder> <width> <height> <dpi> <screenshot after s> <run limit s>
// The command text comes from ORVALEN_RUN_COMMAND_TEXT, so it reaches the program exactly.
// When the program's first window is up (or the screenshot time has passed) it writes
// "screenshot.wanted" into the run folder and waits for "screenshot.taken", which the
// script writes once it has the picture. At the end it writes "report.txt" and
// "exit-code". A program still running at the run limit has its windows closed; a limit
// of 0 leaves it to the person at the screen, for as long as it runs.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "DeviceControl.h"
#include "DeviceProcess.h"
#include "DeviceScreen.h"
#include "DeviceSession.h"
#include "RunReport.h"
#include "ScopedHandle.h"
#include "WideText.h"

namespace {
const wchar_t kCommandTextVariable[] = L"ORVALEN_RUN_COMMAND_TEXT";
const wchar_t kScreenshotWanted[] = L"screenshot.wanted";
const wchar_t kScreenshotTaken[] = L"screenshot.taken";
const wchar_t kReportFile[] = L"report.txt";
const wchar_t kExitCodeFile[] = L"exit-code";
const DWORD kPollMs = 100;
const DWORD kInputIdleMs = 5000;
const DWORD kPaintSettleMs = 300;
const ULONGLONG kScreenshotAnswerMs = 20000;
const ULONGLONG kCloseGraceMs = 10000;
const int kArgumentCount = 8;

enum WatchExit { kWatched = 0, kBadArguments = 2, kNoDevice = 3 };

struct Options {
    std::wstring program;
    std::wstring runFolder;
    LONG width = 0, height = 0, dpi = 0;
    ULONGLONG screenshotAfterMs = 0;
    ULONGLONG limitMs = 0;
};

bool ParseOptions(Options* o) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args) return false;
    bool ok = count == kArgumentCount;
    if (ok) {
        o->program = args[1];
        o->runFolder = args[2];
        o->width = _wtol(args[3]);
        o->height = _wtol(args[4]);
        o->dpi = _wtol(args[5]);
        o->screenshotAfterMs = static_cast<ULONGLONG>(_wtol(args[6])) * 1000;
        o->limitMs = static_cast<ULONGLONG>(_wtol(args[7])) * 1000;
        ok = o->width > 0 && o->height > 0 && o->dpi > 0;
    }
    LocalFree(args);
    return ok;
}

std::wstring CommandText() {
    const DWORD n = GetEnvironmentVariableW(kCommandTextVariable, nullptr, 0);
    if (n == 0) return std::wstring();
    std::wstring text(n, L'\0');
    text.resize(GetEnvironmentVariableW(kCommandTextVariable, &text[0], n));
    return text;
}

bool WriteFileText(const std::wstring& path, const std::string& text) {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class Run {
public:
    explicit Run(const Options& options) : options_(options), start_(GetTickCount64()) {}

    void Watch(RunFacts* facts) {
        facts->commandText = CommandText();
        PROCESS_INFORMATION pi = {};
        if (!Device_CreateProcess(options_.program.c_str(), facts->commandText.c_str(), &pi)) {
            facts->startError = GetLastError();
            facts->screenshot = L"not taken: Orvalen did not start.";
            return;
        }
        ScopedHandle process(pi.hProcess), thread(pi.hThread);
        facts->ending = options_.limitMs > 0 ? RunEnding::ByItself : RunEnding::OnDisplay;
        ULONGLONG closedAt = 0;
        for (;;) {
            windows_.Poll();
            if (facts->screenshot.empty()) TakeScreenshotWhenDue(process.Get(), facts);
            if (WaitForSingleObject(process.Get(), kPollMs) == WAIT_OBJECT_0) break;
            const ULONGLONG now = Elapsed();
            if (facts->ending == RunEnding::ByItself && now >= options_.limitMs) {
                windows_.CloseWindowsOf(pi.dwProcessId);
                facts->ending = RunEnding::WindowsClosed;
                closedAt = now;
            } else if (facts->ending == RunEnding::WindowsClosed && now - closedAt >= kCloseGraceMs) {
                TerminateProcess(process.Get(), ERROR_TIMEOUT);
                facts->ending = RunEnding::Terminated;
            }
        }
        facts->ranMs = Elapsed();
        GetExitCodeProcess(process.Get(), &facts->exitCode);
        if (facts->screenshot.empty()) {
            std::wstring when;
            WString_Format(when, L"taken after Orvalen ended (%.1f s), having shown no window.",
                           static_cast<double>(facts->ranMs) / 1000.0);
            RequestScreenshot(when, facts);
        }
        facts->windows = windows_.Shown();
    }

private:
    ULONGLONG Elapsed() const { return GetTickCount64() - start_; }

    void TakeScreenshotWhenDue(HANDLE process, RunFacts* facts) {
        std::wstring when;
        if (windows_.ProgramWindowVisible()) {
            // Painted once its queue is empty.
            WaitForInputIdle(process, kInputIdleMs);
            Sleep(kPaintSettleMs);
            WString_Format(when, L"taken when the first window was up, %.1f s after the start.",
                           static_cast<double>(Elapsed()) / 1000.0);
        } else if (Elapsed() >= options_.screenshotAfterMs) {
            WString_Format(when, L"taken after %.1f s with no window up.", static_cast<double>(Elapsed()) / 1000.0);
        } else {
            return;
        }
        RequestScreenshot(when, facts);
    }

    void RequestScreenshot(const std::wstring& when, RunFacts* facts) {
        const std::wstring taken = options_.runFolder + L"\\" + kScreenshotTaken;
        DeleteFileW(taken.c_str());
        WriteFileText(options_.runFolder + L"\\" + kScreenshotWanted, std::string());
        const ULONGLONG asked = GetTickCount64();
        while (!FileExists(taken) && GetTickCount64() - asked < kScreenshotAnswerMs) Sleep(kPollMs);
        facts->screenshot = FileExists(taken) ? when : L"not taken: the script did not answer.";
    }

    const Options& options_;
    const ULONGLONG start_;
    WindowWatch windows_;
};
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    Options options;
    if (!ParseOptions(&options)) return kBadArguments;
    if (!DeviceSession_Attach()) return kNoDevice;
    DeviceScreen_SetMode(options.width, options.height, options.dpi);

    RunFacts facts;
    facts.screenWidth = options.width;
    facts.screenHeight = options.height;
    facts.dpi = options.dpi;
    facts.before = DeviceSnapshot::Take();
    Run(options).Watch(&facts);
    // The device lives as long as the run: its notification service ends with it. What
    // is registered stays, and the program registers it again when it next starts.
    DeviceControl_StopServices();
    facts.after = DeviceSnapshot::Take();

    WriteFileText(options.runFolder + L"\\" + kReportFile, RunReport_Format(facts));
    const std::string exitCode =
        facts.ending == RunEnding::NotStarted ? std::string("not started\n") : std::to_string(facts.exitCode) + "\n";
    WriteFileText(options.runFolder + L"\\" + kExitCodeFile, exitCode);
    return kWatched;
}
