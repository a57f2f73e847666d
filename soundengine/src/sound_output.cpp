// What both outputs share: the device name lists and the properties record.
#include "sound_output.h"

#include <cstring>

#include "aural_engine.h"

SoundDeviceList SoundDevices = {{}, 0, {}, 0, -1, -1};
SoundOutputProperties SoundOutputProps = {};

BOOL SoundOutput_SetProperties(const SoundOutputProperties* record) {
  if (!record) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  std::memcpy(&SoundOutputProps, record, sizeof(SoundOutputProps));
  return TRUE;
}

BOOL SoundOutput_GetProperties(SoundOutputProperties* record) {
  if (!record) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  std::memcpy(record, &SoundOutputProps, sizeof(SoundOutputProps));
  return TRUE;
}
