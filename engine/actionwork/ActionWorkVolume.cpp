// The volume action.
#include "ActionWork.h"

#include "BoundFunctions.h"
#include "ChangeVolumeAction.h"
#include "DeviceAudio.h"
#include "ItemHost.h"
#include "soundfile.h"

bool ActionWork::Run(ChangeVolumeAction& action) {
    auto setSound = Bound::SndSetSound.As<SndSetSoundFunction>();
    if (!setSound) return false;
    SNDFILEINFO setting = {};
    setting.sstType = ChangeVolumeAction::PlatformSoundType(action.Type);
    setting.szPathName[0] = setting.szDisplayName[0] = 0;
    setSound(SND_EVENT_ALL, &setting, TRUE);
    if (action.Type != ChangeVolumeAction::kTypeOn) return true;

    if (ItemHost* host = ItemHost::Current()) host->SetVolumePercent(action.Vol);
    RegKeyRef ring = RegKeyRef::Open(ChangeVolumeAction::kRingCategoryKey, HKEY_CURRENT_USER, false);
    if (ring.IsOpen()) {
        RegKey_WriteDword(ring, ChangeVolumeAction::RingStep(action.RingVol), ChangeVolumeAction::kInitVolValue);
        AudioUpdateFromRegistry();
    }
    return true;
}
