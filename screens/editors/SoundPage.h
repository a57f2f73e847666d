#pragma once
// The "Sound" tab of the item editors and settings sheets: the sound file or folder,
// repetitions, pause, rising volume, respect for the system's sound state and the
// volume, with a Test button that rings the page's values through the signaller. It
// edits a copy of the caller's record and writes it back only in Apply.
#include <memory>
#include <vector>

#include "ItemSoundSettings.h"
#include "PageBase.h"
#include "SoundCombo.h"
#include "SoundScan.h"

class SoundPage : public PageBase {
public:
    static constexpr int kHelpTopic = 22;
    static constexpr int kRepeatMin = 1, kRepeatMax = 500;
    static constexpr int kRepSplitMin = 0, kRepSplitMax = 600;
    static constexpr int kAscTimeMin = 1, kAscTimeMax = 600;
    static constexpr int kVolumeMin = 3, kVolumeMax = 100;
    // The built-in sample rung when the volume slider is let go while nothing plays.
    static constexpr int kVolumeSampleResource = 201;

    explicit SoundPage(ItemSoundSettings* record);
    ~SoundPage() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    void OnHScroll(HWND bar, UINT code, UINT position) override;
    LRESULT OnHelp(HELPINFO* info, WPARAM wParam) override;

    // Collects into the caller's record; false (focus on the field) when a number is out of range.
    bool Apply();
    // Checks the three numbers then collects into target; false leaves target unchanged.
    bool Collect(ItemSoundSettings& target);
    // One number edit against its range: out of range shows the range, puts the lower
    // bound into the edit and says false. Other ids pass.
    bool CheckNumber(int id);
    // Checks 11405, 11406 and 11412 in that order; the first that fails gets the focus.
    bool CheckNumbers();
    // The user's choice of a file or folder: added to the list (once, by its full path)
    // and selected; false when it does not exist. Device-rooted paths are looked for on
    // the device.
    bool AddPath(const std::wstring& path);
    // Shows the program's default sound settings.
    void Reset();

    // The scan's state, for tests: whether it still runs, and its thread id.
    const SoundScan& Scan() const { return scan_; }
    const ItemSoundSettings& WorkingCopy() const { return working_; }

private:
    void ShowSettings(const ItemSoundSettings& settings, int emptyAscTime, bool raiseVolume);
    void FillSoundList();
    void HandOverScan();
    void UpdateVolumeLabel();
    void EnableGroups();
    void OnTest();
    void OnVolumeReleased();
    void ChooseFile();
    void ChooseFolder();
    // The selected entry as settings: a path (found or not), else the built-in resource 200.
    void ReadSoundChoice(ItemSoundSettings& target) const;
    // A list entry for a file or folder, under its name in the sounds folder, else its path.
    std::unique_ptr<SoundEntry> MakeEntry(const std::wstring& path, bool missing) const;
    // AddPath without making it the user's choice.
    bool ListPath(const std::wstring& path);
    HWND Item(int id) const { return GetDlgItem(GetHwnd(), id); }

    ItemSoundSettings* edited_;
    ItemSoundSettings working_;
    SoundCombo list_;
    SoundScan scan_;
    std::vector<std::unique_ptr<SoundEntry>> found_;
    bool validating_ = true;
    // The user picked a sound (list, File, Folder or Reset); until then a built-in sound of
    // the record keeps its own resource.
    bool soundChosen_ = false;
};
