#include "ContextHelp.h"

#include <windows.h>

#include "DeviceLibraries.h"
#include "DeviceProcess.h"
#include "HelpTopic.h"
#include "HelpViewerRecord.h"
#include "Translator.h"

namespace ContextHelp {

namespace {

struct Topic {
    int context;
    const wchar_t* anchor;
};
const Topic kTopics[] = {{kClock, L"clock"},
                         {kAlarms, L"alarms"},
                         {kCountdownTimers, L"countdown_timers"},
                         {kLapTimers, L"lap_timers"},
                         {kAbout, L"about"},
                         {kAlarmProperties, L"alarm_properties"},
                         {kCountdownTimerProperties, L"countdown_timer_properties"},
                         {kSoundSettings, L"sound_settings"},
                         {kVibroSettings, L"vibro_settings"}};

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The program's folder with its backslash; empty when the path cannot be read.
std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// The system's coredll.dll: loaded by every program of the handheld, here by name
// from the device's \Windows.
std::wstring CoreLibraryPath() {
    HMODULE core = GetModuleHandleW(COREDLL_LIBRARY);
    if (!core) core = Device_LoadLibrary(COREDLL_LIBRARY);
    wchar_t path[MAX_PATH] = {};
    const DWORD length = core ? GetModuleFileNameW(core, path, MAX_PATH) : 0;
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    return std::wstring(path, length);
}

}  // namespace

const wchar_t* TopicOf(int context) {
    for (const Topic& topic : kTopics)
        if (topic.context == context) return topic.anchor;
    return L"Main_Contents";
}

void Show(int context) {
    const std::wstring folder = ProgramFolder();
    std::wstring source = folder + L"Lng\\Orvalen_" + Translator::Instance().LanguageTag() + L".htm";
    if (!Exists(source)) source = folder + L"Lng\\Orvalen.htm";
    const std::wstring core = CoreLibraryPath();
    if (Exists(source) && !core.empty()) {
        const std::wstring target = core.substr(0, core.find_last_of(L'\\') + 1) + L"Orvalen.htm";
        if (target != source) CopyFileW(source.c_str(), target.c_str(), FALSE);
    }
    const std::wstring command = std::wstring(L"file:Orvalen") + L".htm#" + TopicOf(context);
    Device_CreateProcess(HELP_VIEWER_PROGRAM, command.c_str(), nullptr);
}

void Install() { Help_SetTopicFunction(&Show); }

}  // namespace ContextHelp
