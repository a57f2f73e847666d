// The DSP chain: units ordered by priority, and the built-in units of the mixer.
#include "aural_dsp.h"

#include "aural_engine.h"
#include "music_song.h"
#include "sound_alloc.h"
#include "sound_software.h"

static constexpr char kSoundFileTag[] = "src/aural_dsp";

SoundLink* AuralDsp_ChainHead() { return &SoundTables.dspChain.link; }

static SoundDspUnit* UnitOf(SoundLink* link) { return reinterpret_cast<SoundDspUnit*>(link); }

static bool ChainReady() { return SoundLink_Linked(AuralDsp_ChainHead()); }

void AuralDsp_WaitForBlock() {
  if (SoundEngine_IsNonRealtime() || GetCurrentThreadId() == SoftwareOutput.threadId) return;
  while (SoftwareOutput.chainRunning) Sleep(1);
}

// Behind every unit of the same or lower priority, before the first of higher priority.
static void LinkByPriority(SoundLink* head, SoundDspUnit* unit) {
  SoundLink* at = head->next;
  while (at != head && UnitOf(at)->priority <= unit->priority) at = at->next;
  SoundLink_InsertBefore(at, &unit->link);
}

SoundDspUnit* AuralDsp_Create(SoundDspCallback callback, int priority, void* userData) {
  SoundError_Begin();
  SoundLink* head = AuralDsp_ChainHead();
  if (!ChainReady()) SoundLink_Init(head);
  auto* unit = static_cast<SoundDspUnit*>(SOUND_CALLOC(sizeof(SoundDspUnit)));
  if (!unit) {
    SoundError_Set(kSoundErrNoMemory);
    return nullptr;
  }
  unit->callback = callback;
  unit->priority = priority < 0 ? 0 : priority;
  unit->userData = userData;
  SoundLink_Init(&unit->channels);
  AuralDsp_WaitForBlock();
  LinkByPriority(head, unit);
  return unit;
}

void AuralDsp_SetPriority(SoundLink* chainHead, SoundDspUnit* unit, int priority) {
  SoundError_Begin();
  if (!chainHead || !unit) {
    SoundError_Set(kSoundErrInvalidParam);
    return;
  }
  AuralDsp_WaitForBlock();
  if (SoundLink_Linked(&unit->link)) SoundLink_Detach(&unit->link);
  unit->priority = priority < 0 ? 0 : priority;
  LinkByPriority(chainHead, unit);
}

BOOL AuralDsp_IsInChain(SoundDspUnit* unit) {
  SoundError_Begin();
  SoundLink* head = AuralDsp_ChainHead();
  if (!ChainReady() || SoundLink_Empty(head)) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  if (!unit) return TRUE;
  for (SoundLink* l = head->next; l != head; l = l->next)
    if (l == &unit->link) return TRUE;
  return FALSE;
}

BOOL AuralDsp_Free(SoundDspUnit* unit) {
  SoundError_Begin();
  if (!unit || !ChainReady()) return FALSE;
  SoundLink* head = AuralDsp_ChainHead();
  bool linked = false;
  for (SoundLink* l = head->next; l != head && !linked; l = l->next) linked = l == &unit->link;
  if (!linked) return FALSE;
  SoundMixerDesc* desc = SoundEngine.mixerDesc;
  CRITICAL_SECTION* lock = desc ? desc->lock : nullptr;
  SoundLock_Enter(lock);
  // Out of the chain first; the memory goes only once the block that may still stand
  // on the unit has passed.
  SoundLink_Detach(&unit->link);
  SoundDspUnit* mix = SoftwareOutput.mixUnit;
  if (unit != mix) {
    // Its channels go on playing through the default mix unit.
    while (!SoundLink_Empty(&unit->channels)) {
      SoundLink* l = unit->channels.next;
      SoundLink_Remove(l);
      if (mix) {
        SoundLink_InsertBefore(&mix->channels, l);
        SoundChannel_FromLink(l)->dspUnit = mix;
      } else {
        SoundLink_InsertBefore(&SoftwareOutput.idle, l);
        SoundChannel_FromLink(l)->dspUnit = nullptr;
      }
    }
  } else {
    SoftwareOutput.mixUnit = nullptr;
    while (!SoundLink_Empty(&unit->channels)) {
      SoundLink* l = unit->channels.next;
      SoundLink_Remove(l);
      SoundLink_InsertBefore(&SoftwareOutput.idle, l);
      SoundChannel_FromLink(l)->dspUnit = nullptr;
    }
  }
  SoundLock_Leave(lock);
  AuralDsp_WaitForBlock();
  SOUND_FREE(unit);
  return TRUE;
}

void AuralDsp_FreeAll() {
  if (!ChainReady()) return;
  SoundLink* head = AuralDsp_ChainHead();
  while (!SoundLink_Empty(head)) AuralDsp_Free(UnitOf(head->next));
}

void* AuralDsp_ClearCallback(void* block, void* previous, int length, void* /*user*/) {
  if (previous && length > 0) SoundEngine.mixerDesc->clear(previous, length);
  return previous;
}

void* AuralDsp_MixCallback(void* block, void* previous, int length, void* user) {
  auto* unit = static_cast<SoundDspUnit*>(user);
  if (!unit || SoundLink_Empty(&unit->channels)) return previous;
  SoundMixerDesc* desc = SoundEngine.mixerDesc;
  SoundLock_Enter(desc->lock);
  desc->mix(previous, &unit->channels, length);
  SoundLock_Leave(desc->lock);
  return previous;
}

// Every playing tracker song ticks and renders its own channels into the block.
void* AuralDsp_MusicCallback(void* /*block*/, void* previous, int length, void* /*user*/) {
  Music_RenderSongs(previous, length);
  return previous;
}

void* AuralDsp_ClipCallback(void* /*block*/, void* previous, int length, void* /*user*/) {
  SoundSample* primary = SoundTables.primarySample;
  SoundMixerDesc* desc = SoundEngine.mixerDesc;
  if (!primary || !previous || length <= 0) return previous;
  const int frameBytes = 2 * desc->channels;
  void *p1, *p2;
  uint32_t l1, l2;
  const int offset = desc->blockIndex * SoundEngine.blockLength * frameBytes;
  if (!SoundSample_Lock(primary, offset, length * frameBytes, &p1, &l1, &p2, &l2)) return previous;
  const int32_t* acc = static_cast<const int32_t*>(previous);
  const int frames1 = static_cast<int>(l1) / frameBytes, frames2 = static_cast<int>(l2) / frameBytes;
  if (p1) desc->clip(static_cast<int16_t*>(p1), acc, frames1);
  if (p2) desc->clip(static_cast<int16_t*>(p2), acc + frames1 * desc->channels, frames2);
  SoundSample_Unlock(primary, p1, l1, p2, l2);
  return previous;
}

void* AuralDsp_LevelsCallback(void* /*block*/, void* previous, int length, void* /*user*/) {
  const int index = SoundEngine.mixerDesc->blockIndex;
  for (int i = 0; i < SoundTables.softwareChannels && i < SoundTables.channelCount; ++i) {
    SoundChannel* ch = &SoundTables.channels[i];
    if (!ch->levelHistory) continue;
    SoundMix_GetLevels(ch, length, &ch->levelHistory[index * 2], &ch->levelHistory[index * 2 + 1]);
  }
  return previous;
}
