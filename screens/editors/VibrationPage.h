#pragma once
// The "Vibro" tab of the item editors and settings sheets: vibrating before the sound,
// for a fixed time or as long as the sound, and (behind "Advanced settings") the
// vibrator's on/off cycle. It edits a copy and writes back only on OK.
#include "ItemVibrationSettings.h"
#include "PageBase.h"

class VibrationPage : public PageBase {
public:
    static constexpr int kHelpTopic = 23;
    static constexpr int kBeforeMin = 1, kBeforeMax = ItemVibrationSettings::kLeadMaxSeconds;
    // The fixed time accepts 1..600, yet its message and reset name 5.
    static constexpr int kFixedMin = 1, kFixedMax = ItemVibrationSettings::kFixedMaxSeconds, kFixedShownMin = 5;

    explicit VibrationPage(ItemVibrationSettings* record);

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    LRESULT OnHelp(HELPINFO* info, WPARAM wParam) override;

    // Checks one field (11503 or 11506; other ids pass); a failure shows the range and resets the field.
    bool Validate(int id);
    // Validates both fields (when the device can vibrate; focus to the failing one), then
    // writes the page's values into record.
    bool Save(ItemVibrationSettings& record);
    // OnOK of the sheets: the edited record takes the page's values.
    bool Apply();
    // Shows the program's default vibration settings.
    void Load();
    // True exactly when the page shows the program's default vibration settings.
    bool IsChanged();

    const ItemVibrationSettings& WorkingCopy() const { return working_; }

private:
    void Show(const ItemVibrationSettings& settings);
    void EnableFields();
    void OpenCycleDialog();

    bool validating_ = true;
    ItemVibrationSettings working_;
    ItemVibrationSettings* edited_;
};
