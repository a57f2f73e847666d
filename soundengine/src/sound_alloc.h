#pragma once
// Allocation shorthands: each source file defines kSoundFileTag, its allocation tag.
#include "system_memory.h"

#define SOUND_ALLOC(size) SoundMem_Alloc(nullptr, (size), kSoundFileTag)
#define SOUND_CALLOC(size) SoundMem_Calloc((size), kSoundFileTag, __LINE__)
#define SOUND_FREE(block) SoundMem_Free((block), kSoundFileTag, __LINE__)
