#pragma once
// DSP units: the stages of the mixer's block pipeline, one chain ordered by priority.
#include <windows.h>
#include <cstdint>
#include "aural_list.h"

// (block buffer, buffer handed on by the previous unit, length in samples, user data)
// -> the buffer the next unit receives.
typedef void* (*SoundDspCallback)(void* block, void* previous, int length, void* user);

struct SoundDspUnit {
  SoundLink link;                  // chain links; first, so the unit is its own node
  SoundDspCallback callback;
  int32_t priority;
  uint8_t active;                  // the owner sets it once the unit may run
  void* userData;
  SoundLink channels;              // channels this unit mixes
  int32_t reserved;
};

// Built-in unit priorities.
enum : int32_t {
  kSoundDspPriorityClear = 0,
  kSoundDspPriorityMix = 100,
  kSoundDspPriorityMusic = 200,
  kSoundDspPriorityClip = 1000,
};

SoundDspUnit* AuralDsp_Create(SoundDspCallback callback, int priority, void* userData);
BOOL AuralDsp_Free(SoundDspUnit* unit);
void AuralDsp_SetPriority(SoundLink* chainHead, SoundDspUnit* unit, int priority);
BOOL AuralDsp_IsInChain(SoundDspUnit* unit);

// The chain's sentinel head.
SoundLink* AuralDsp_ChainHead();
// Frees every unit of the chain (mixer close).
void AuralDsp_FreeAll();
// Waits for the running block to leave the chain (not on the mixer thread itself).
void AuralDsp_WaitForBlock();

// Callbacks of the built-in units.
void* AuralDsp_ClearCallback(void* block, void* previous, int length, void* user);
void* AuralDsp_MixCallback(void* block, void* previous, int length, void* user);
void* AuralDsp_MusicCallback(void* block, void* previous, int length, void* user);
void* AuralDsp_ClipCallback(void* block, void* previous, int length, void* user);
void* AuralDsp_LevelsCallback(void* block, void* previous, int length, void* user);
