#pragma once
// Sound and vibration settings on their own: a "Sound" tab and, on a device that
// vibrates, a "Vibro" tab, over one pair of records. The chime's three pairs (by chime
// type: 0 quarter, 1 half hour, 2 full hour) and the program's default settings are
// edited with it.
#include "SettingsDialog.h"

class ChimeItem;
class ItemSoundSettings;
class ItemVibrationSettings;

class SoundSettingsSheet : public SettingsDialog {
public:
    SoundSettingsSheet(UINT captionStringId, UINT iconId, ItemSoundSettings* sound, ItemVibrationSettings* vibration);

    void OnInitPages() override;
    void OnOpened(UINT message, WPARAM wParam) override;
    // Validates both pages, then each writes into its record.
    bool CanOK() override;

private:
    ItemSoundSettings* sound_;
    ItemVibrationSettings* vibration_;
};

// The chime's pair of that type; false (both null) for another type.
bool ChimeItem_SoundPair(ChimeItem& chime, int type, ItemSoundSettings*& sound, ItemVibrationSettings*& vibration);

// "Chime properties" over the chime's pair of that type; a type without a pair gives no pages.
class ChimeSoundDialog : public SoundSettingsSheet {
public:
    ChimeSoundDialog(ChimeItem& chime, int type);
};

// The program's default sound and vibration settings; OK saves them with the store.
class DefaultSoundDialog : public SoundSettingsSheet {
public:
    DefaultSoundDialog();
    bool CanOK() override;
};
