// The null output "No Sound Driver": accepts everything and plays nothing. Its channel
// and sample operations are also the first every channel and sample receives.
#include <cstring>

#include "aural_engine.h"
#include "sound_output.h"
#include "sound_software.h"

namespace {

BOOL Succeed() { return TRUE; }
BOOL ChSucceed(SoundChannel*) { return TRUE; }
BOOL ChSucceedInt(SoundChannel*, int) { return TRUE; }
BOOL ChSetSample(SoundChannel* ch, SoundSample* s) {
  ch->sample = s;
  return TRUE;
}
BOOL ChStart(SoundDspUnit*, SoundChannel*, SoundSample*) { return TRUE; }
BOOL ChPause(SoundChannel*, BOOL) { return TRUE; }
BOOL ChSetMode(SoundChannel*, uint32_t) { return TRUE; }
// A silent output still moves on in time, so the mixer keeps its pace.
int ChGetPosition(SoundChannel*) {
  return static_cast<int>(static_cast<int64_t>(SoundClock_Now()) * SoundEngine.mixRate / 1000);
}
BOOL ChGetLevels(SoundChannel*, int* left, int* right) {
  *left = *right = 0;
  return TRUE;
}
int ExtraSucceed(SoundChannel*) { return TRUE; }
int ExtraMinusOne(SoundChannel*) { return -1; }

BOOL SmAllocate(SoundSample*, int) { return TRUE; }
void SmFree(SoundSample*) {}
BOOL SmLock(SoundSample*, uint32_t, uint32_t, void** p1, uint32_t* l1, void** p2, uint32_t* l2) {
  *p1 = *p2 = nullptr;
  *l1 = *l2 = 0;
  return FALSE;
}
BOOL SmUnlock(SoundSample*, void*, uint32_t, void*, uint32_t) { return TRUE; }

void NameNoDriver(char (*names)[kSoundOutputNameSize], int32_t* count) {
  std::strncpy(names[0], kNoSoundDriverName, kSoundOutputNameSize - 1);
  *count = 1;
}

BOOL ListDrivers() {
  NameNoDriver(SoundDevices.outputNames, &SoundDevices.outputCount);
  SoundEngine.devicesEnumerated = 1;
  return TRUE;
}

BOOL ListInputDrivers() {
  std::strncpy(SoundDevices.inputNames[0], kNoSoundDriverName, kSoundInputNameSize - 1);
  SoundDevices.inputCount = 1;
  return TRUE;
}

BOOL Open(int) {
  ListDrivers();
  NullOutput.offersDriverChannels2d = NullOutput.offersDriverChannels3d = 0;
  NullOutput.channels2d = NullOutput.channels3d = 0;
  NullOutput.needsMixerThread = SoundEngine_IsNonRealtime() ? 0 : 1;
  return TRUE;
}
void Close() {}
uintptr_t DeviceHandle() { return 0; }
void Nothing() {}
BOOL Unsupported() {
  SoundError_Set(kSoundErrNotSupported);
  return FALSE;
}
BOOL RecordStart(int, uint32_t, int) { return Unsupported(); }
int RecordPosition() { return -1; }
BOOL RecordLock(int, int length, void** p1, uint32_t* l1, void** p2, uint32_t* l2) {
  *p1 = *p2 = nullptr;
  *l1 = static_cast<uint32_t>(length);
  *l2 = 0;
  return TRUE;
}

}  // namespace

void NullOutput_FillChannelOps(SoundChannel* ch) {
  SoundChannelOps& o = ch->ops;
  o.init = o.free = o.stop = o.spare = o.isPlaying = o.update3d = ChSucceed;
  o.setSample = ChSetSample;
  o.start = ChStart;
  o.setFrequency = o.setFrequency256 = o.setVolume = o.setPan = o.setPosition = ChSucceedInt;
  o.pause = ChPause;
  o.getPosition = ChGetPosition;
  o.getLevels = ChGetLevels;
  o.setMode = ChSetMode;
  for (auto& extra : o.extra) extra = ExtraSucceed;
  o.extra[0] = ExtraMinusOne;
}

void NullOutput_FillSampleOps(SoundSample* s) {
  s->ops.allocate = SmAllocate;
  s->ops.free = SmFree;
  s->ops.upload = nullptr;
  s->ops.lock = SmLock;
  s->ops.unlock = SmUnlock;
}

SoundOutputDriver NullOutput = {
    0, 0, 1,
    ListDrivers, Open, Close, NullOutput_FillSampleOps, NullOutput_FillChannelOps, Nothing, DeviceHandle, Nothing,
    SoftwareOutput_Update, Succeed, SoundOutput_SetProperties, SoundOutput_GetProperties, ListInputDrivers,
    Unsupported, RecordStart, Succeed, RecordPosition, RecordLock, Succeed,
    0, 0, 0,
};
