#include "ButtonMap.h"

#include <string>

#include "BoundFunctions.h"
#include "DeviceScreen.h"
#include "PlatformHelpers.h"
#include "RegKeyRef.h"
#include "Translator.h"
#include "hotkeys.h"
#include "resource.h"

namespace {

constexpr int kFirstVersionWithoutArrowTabs = 5;
constexpr DWORD kPlainKeyBit = 0x80000000;  // stored: the key is registered without MOD_WIN

// The process-wide lists; the Buttons page edits their keys in place.
ButtonBinding gClock[] = {{IDS_KEY_MAXIMIZE_CLOCK, 0, 0}, {IDS_KEY_CONTEXT_MENU, 0, 0},
                          {IDS_KEY_PREVIOUS_TAB, 0, 0},   {IDS_KEY_NEXT_TAB, 0, 0},
                          {0, 0, 0}};
ButtonBinding gAlarms[] = {{IDS_TODAY_ADD_ALARM, 0, 0},     {IDS_KEY_DELETE_ALARM, 0, 0},
                           {IDS_TODAY_CANCEL_SNOOZE, 0, 0}, {IDS_KEY_ALARM_PROPERTIES, 0, 0},
                           {IDS_KEY_TOGGLE_ALARM, 0, 0},    {IDS_KEY_CONTEXT_MENU, 0, 0},
                           {IDS_KEY_PREVIOUS_TAB, 0, 0},    {IDS_KEY_NEXT_TAB, 0, 0},
                           {0, 0, 0}};
ButtonBinding gTimers[] = {{IDS_KEY_START_PAUSE_TIMER, 0, 0}, {IDS_KEY_STOP_TIMER, 0, 0},
                           {IDS_TODAY_ADD_TIMER, 0, 0},       {IDS_KEY_DELETE_TIMER, 0, 0},
                           {IDS_KEY_TIMER_PROPERTIES, 0, 0},  {IDS_KEY_RESET_TIMER, 0, 0},
                           {IDS_KEY_CONTEXT_MENU, 0, 0},      {IDS_TODAY_CANCEL_SNOOZE, 0, 0},
                           {IDS_KEY_PREVIOUS_TAB, 0, 0},      {IDS_KEY_NEXT_TAB, 0, 0},
                           {0, 0, 0}};
ButtonBinding gStopwatch[] = {{IDS_KEY_START_STOPWATCH, 0, 0}, {IDS_KEY_STOP_STOPWATCH, 0, 0},
                              {IDS_KEY_PAUSE_STOPWATCH, 0, 0}, {IDS_KEY_RESET_STOPWATCH, 0, 0},
                              {IDS_KEY_SAVE_STOPWATCH, 0, 0},  {IDS_KEY_PREVIOUS_TAB, 0, 0},
                              {IDS_KEY_NEXT_TAB, 0, 0},        {0, 0, 0}};
ButtonBinding* const kLists[ButtonMap::kModeCount] = {gClock, gAlarms, gTimers, gStopwatch};
const wchar_t* const kModeKeys[ButtonMap::kModeCount] = {L"Buttons\\Clock", L"Buttons\\Alarms", L"Buttons\\Timers",
                                                         L"Buttons\\Stopwatch"};

struct KeyName {
    int key;
    UINT nameId;
};
// The first matching row wins both ways: 0xC9 and 0xCF share the recorder's name.
const KeyName kKeyNames[] = {
    {0x25, IDS_KEYNAME_LEFT},     {0x27, IDS_KEYNAME_RIGHT},    {0x26, IDS_KEYNAME_UP},
    {0x28, IDS_KEYNAME_DOWN},     {0x72, IDS_KEYNAME_DIAL},     {0x73, IDS_KEYNAME_HANGUP},
    {0x70, IDS_KEYNAME_SOFTKEY1}, {0x71, IDS_KEYNAME_SOFTKEY2}, {0xC1, IDS_KEYNAME_CALENDAR},
    {0xC2, IDS_KEYNAME_CONTACTS}, {0xC3, IDS_KEYNAME_INBOX},    {0xC4, IDS_KEYNAME_HOME},
    {0xC5, IDS_KEYNAME_RECORDER}, {0xC6, IDS_KEYNAME_WIRELESS}, {0xC9, IDS_KEYNAME_RECORDER},
    {0xCF, IDS_KEYNAME_RECORDER}, {0x0D, IDS_KEYNAME_DPAD},     {0x86, IDS_KEYNAME_DPAD},
    {0, 0}};

using UnregisterFunc1Function = BOOL(WINAPI*)(UINT modifiers, UINT key);

UINT Modifiers(const ButtonBinding& binding) { return binding.win ? MOD_WIN : 0; }

}  // namespace

ButtonMap& ButtonMap::Instance() {
    static ButtonMap map;
    return map;
}

ButtonMap::ButtonMap() {
    for (ButtonBinding* list : kLists)
        for (ButtonBinding* binding = list; binding->commandId; ++binding) binding->key = 0;
    SetDefault(kStopwatch, IDS_KEY_START_STOPWATCH, IDS_KEYNAME_RECORDER);
    if (Sys_GetOsMajorVersion() < kFirstVersionWithoutArrowTabs) {
        for (int mode = 0; mode < kModeCount; ++mode) {
            SetDefault(mode, IDS_KEY_PREVIOUS_TAB, IDS_KEYNAME_LEFT);
            SetDefault(mode, IDS_KEY_NEXT_TAB, IDS_KEYNAME_RIGHT);
        }
    }
}

void ButtonMap::SetDefault(int mode, int commandId, UINT keyNameId) {
    for (ButtonBinding* binding = Bindings(mode); binding && binding->commandId; ++binding) {
        if (binding->commandId == commandId) {
            binding->key = Key_FromNameId(keyNameId);
            return;
        }
    }
}

ButtonBinding* ButtonMap::Bindings(int mode) { return mode >= 0 && mode < kModeCount ? kLists[mode] : nullptr; }

const ButtonBinding* ButtonMap::Bindings(int mode) const {
    return mode >= 0 && mode < kModeCount ? kLists[mode] : nullptr;
}

void ButtonMap::RegisterKeys() {
    if (!window_) return;
    for (const ButtonBinding* binding = Bindings(mode_); binding && binding->commandId; ++binding) {
        if (!binding->key) continue;
        // A key the shell holds cannot be registered; without the function it is tried anyway.
        if (auto release = Bound::UnregisterFunc1.As<UnregisterFunc1Function>())
            release(Modifiers(*binding), static_cast<UINT>(binding->key));
        RegisterHotKey(window_, binding->commandId, Modifiers(*binding), static_cast<UINT>(binding->key));
    }
}

void ButtonMap::UnregisterKeys() {
    if (!window_ || !IsWindow(window_)) return;
    bool anyBound = false;
    for (const ButtonBinding* binding = Bindings(mode_); binding && binding->commandId; ++binding) {
        if (!binding->key) continue;
        UnregisterHotKey(window_, binding->commandId);
        anyBound = true;
    }
    // The shell takes the keys back on this word. The host refuses to post or notify
    // WM_SETTINGCHANGE (its lParam may be a pointer), so every window is sent it, a hung
    // one only briefly.
    if (anyBound) DeviceScreen_BroadcastSettingChange(kAppButtonChange);
}

void ButtonMap::Bind(HWND window, int mode) {
    if (window_) UnregisterKeys();
    mode_ = mode;
    window_ = window;
    RegisterKeys();
}

std::vector<ButtonBinding> ButtonMap::Snapshot() const {
    std::vector<ButtonBinding> bindings;
    for (int mode = 0; mode < kModeCount; ++mode)
        for (const ButtonBinding* binding = Bindings(mode); binding->commandId; ++binding) bindings.push_back(*binding);
    return bindings;
}

void ButtonMap::Restore(const std::vector<ButtonBinding>& bindings) {
    size_t next = 0;
    for (int mode = 0; mode < kModeCount; ++mode)
        for (ButtonBinding* binding = Bindings(mode); binding->commandId && next < bindings.size(); ++binding)
            *binding = bindings[next++];
}

void ButtonMap::Load(const RegKeyRef& clockKey) {
    for (int mode = 0; mode < kModeCount; ++mode) {
        RegKeyRef modeKey = RegKeyRef::OpenSubKey(kModeKeys[mode], clockKey, false);
        int position = 0;
        for (ButtonBinding* binding = Bindings(mode); binding->commandId; ++binding, ++position) {
            DWORD data = 0;
            if (RegKeyRef_QueryDword(modeKey, &data, std::to_wstring(position).c_str(), 0) != ERROR_SUCCESS) {
                binding->key = 0;  // the Win flag stays as it was
                continue;
            }
            binding->win = (data & kPlainKeyBit) ? 0 : 1;
            binding->key = static_cast<int>(data & ~kPlainKeyBit);
        }
    }
}

void ButtonMap::Save(const RegKeyRef& clockKey) const {
    for (int mode = 0; mode < kModeCount; ++mode) {
        RegKeyRef modeKey = RegKeyRef::OpenSubKey(kModeKeys[mode], clockKey, false);
        if (!modeKey.IsOpen()) continue;
        int position = 0;
        for (const ButtonBinding* binding = Bindings(mode); binding->commandId; ++binding, ++position) {
            const DWORD data = static_cast<DWORD>(binding->key) | (binding->win ? 0 : kPlainKeyBit);
            RegKey_WriteDword(modeKey, data, std::to_wstring(position).c_str());
        }
    }
}

std::wstring Key_GetName(int key) {
    for (const KeyName* row = kKeyNames; row->key; ++row)
        if (row->key == key) return Translator::Instance().GetString(row->nameId);
    wchar_t text[16];
    swprintf(text, 16, L"0x%X", static_cast<unsigned>(key));
    return text;
}

int Key_FromNameId(UINT nameId) {
    for (const KeyName* row = kKeyNames; row->key; ++row)
        if (row->nameId == nameId) return row->key;
    return 0;
}
