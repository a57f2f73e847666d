#include "SoundSettingsSheet.h"

#include "ChimeItem.h"
#include "ItemStore.h"
#include "Settings.h"
#include "resource.h"

namespace {

ItemSoundSettings* DefaultSound() {
    ItemStore* store = ItemStore::Current();
    return store ? store->GetSettings().defaultSoundSettings.get() : nullptr;
}

ItemVibrationSettings* DefaultVibration() {
    ItemStore* store = ItemStore::Current();
    return store ? store->GetSettings().defaultVibrationSettings.get() : nullptr;
}

ItemSoundSettings* PairSound(ChimeItem& chime, int type) {
    ItemSoundSettings* sound = nullptr;
    ItemVibrationSettings* vibration = nullptr;
    ChimeItem_SoundPair(chime, type, sound, vibration);
    return sound;
}

ItemVibrationSettings* PairVibration(ChimeItem& chime, int type) {
    ItemSoundSettings* sound = nullptr;
    ItemVibrationSettings* vibration = nullptr;
    ChimeItem_SoundPair(chime, type, sound, vibration);
    return vibration;
}

}  // namespace

bool ChimeItem_SoundPair(ChimeItem& chime, int type, ItemSoundSettings*& sound, ItemVibrationSettings*& vibration) {
    switch (type) {
    case 0:
        sound = &chime.quarterSound;
        vibration = &chime.quarterVibration;
        return true;
    case 1:
        sound = &chime.halfSound;
        vibration = &chime.halfVibration;
        return true;
    case 2:
        sound = &chime.soundSettings;
        vibration = &chime.vibrationSettings;
        return true;
    default:
        sound = nullptr;
        vibration = nullptr;
        return false;
    }
}

SoundSettingsSheet::SoundSettingsSheet(UINT captionStringId, UINT iconId, ItemSoundSettings* sound,
                                       ItemVibrationSettings* vibration)
    : SettingsDialog(captionStringId, iconId), sound_(sound), vibration_(vibration) {}

void SoundSettingsSheet::OnInitPages() {
    if (sound_ && vibration_) AddSoundPages(sound_, vibration_);
}

void SoundSettingsSheet::OnOpened(UINT, WPARAM) {
    if (PageCount() > 0) SelectPage(0);
}

bool SoundSettingsSheet::CanOK() { return ValidateSoundPages() && ApplySoundPages(); }

ChimeSoundDialog::ChimeSoundDialog(ChimeItem& chime, int type)
    : SoundSettingsSheet(IDS_CHIME_SOUND_CAPTION, IDI_CHIME_SHEET, PairSound(chime, type), PairVibration(chime, type)) {}

DefaultSoundDialog::DefaultSoundDialog()
    : SoundSettingsSheet(IDS_DEFAULT_SOUND_CAPTION, IDI_MENU_SETTINGS, DefaultSound(), DefaultVibration()) {}

bool DefaultSoundDialog::CanOK() {
    if (!SoundSettingsSheet::CanOK()) return false;
    if (ItemStore* store = ItemStore::Current()) store->Save(true);
    return true;
}
