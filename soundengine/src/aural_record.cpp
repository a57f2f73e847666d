// Recording entry points: the record sample is named here and the output driver's
// recording slots do the capture.
#include "aural_record.h"

#include "aural_engine.h"
#include "sound_output.h"

BOOL Aural_RecordStart(SoundSample* sample, BOOL loop) {
  SoundError_Begin();
  if (!SoundEngine.initialised) {
    SoundError_Set(kSoundErrNotInitialised);
    return FALSE;
  }
  if (!sample || !sample->data || sample->length <= 0) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  SoundOutputDriver* driver = SoundEngine.driver;
  driver->recordStop();
  WaveInRecord_SetTarget(sample, loop);
  return driver->recordStart(sample->length, sample->mode, sample->frequency);
}

BOOL Aural_RecordStop() {
  SoundError_Begin();
  if (!SoundEngine.initialised) {
    SoundError_Set(kSoundErrNotInitialised);
    return FALSE;
  }
  return SoundEngine.driver->recordStop();
}

int Aural_GetRecordPosition() {
  SoundError_Begin();
  return SoundEngine.driver ? SoundEngine.driver->recordPosition() : -1;
}
