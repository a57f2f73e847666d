#pragma once
// The device's hardware keys bound to commands of the main window, one list per screen
// (mode). The current screen's keys are registered as hot keys of its window, which
// then hears WM_HOTKEY with the command id. One map per process; GUI thread only.
#include <windows.h>

#include <string>
#include <vector>

#include "Settings.h"

struct ButtonBinding {
    int commandId;  // the text's string id, also the hot key's id; 0 ends a list
    int key;        // virtual-key code, 0 when unbound
    int win;        // registered with MOD_WIN
};

class ButtonMap : public ClockKeyRecord {
public:
    enum Mode { kClock = 0, kAlarms = 1, kTimers = 2, kStopwatch = 3, kModeCount = 4 };
    // A screen releases the current keys when a menu opens and registers them again
    // when it closes: WM_ENTERMENULOOP (529) and WM_EXITMENULOOP (530).
    static constexpr UINT kReleaseKeysMessage = WM_ENTERMENULOOP;
    static constexpr UINT kRegisterKeysMessage = WM_EXITMENULOOP;
    static constexpr UINT kAppButtonChange = 228;  // SPI_APPBUTTONCHANGE

    // The one map, made on first use with its defaults; nothing is registered then.
    static ButtonMap& Instance();
    ButtonMap();

    // For each bound key of the current mode: the shell lets go of it, then it becomes
    // a hot key of the map's window. Nothing without a window.
    void RegisterKeys();
    // Takes the current mode's hot keys back and tells the shell when any was bound.
    // Nothing when the window is gone.
    void UnregisterKeys();
    // A screen becomes current: its keys replace those of the previous screen.
    void Bind(HWND window, int mode);

    HWND Window() const { return window_; }
    int CurrentMode() const { return mode_; }
    // The mode's list, ended by an entry with command id 0; null for a bad mode.
    ButtonBinding* Bindings(int mode);
    const ButtonBinding* Bindings(int mode) const;

    // Every mode's bindings in list order, and putting them back: an editor that is
    // cancelled leaves the keys as it found them.
    std::vector<ButtonBinding> Snapshot() const;
    void Restore(const std::vector<ButtonBinding>& bindings);

    // Under the settings' "Clock" key: "Buttons\<screen>" with one value per binding.
    void Load(const RegKeyRef& clockKey) override;
    void Save(const RegKeyRef& clockKey) const override;

private:
    void SetDefault(int mode, int commandId, UINT keyNameId);

    HWND window_ = nullptr;
    int mode_ = kClock;
};

// The translated name of a key ("0x84" for a key the table does not know).
std::wstring Key_GetName(int key);
// The key that the first row with that name id stands for; 0 when none.
int Key_FromNameId(UINT nameId);
