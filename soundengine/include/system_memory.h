#pragma once
// The sound engine's allocator: every block of the engine (and of the Vorbis decoder)
// comes from here, with usage statistics. Works through three callbacks (the runtime's
// malloc, realloc and free by default) or from a fixed pool of equal blocks.
// Failures return null; callers turn that into error 12.
#include <cstddef>
#include <cstdint>

typedef void* (*SoundMemAllocFn)(size_t size);
typedef void* (*SoundMemReallocFn)(void* block, size_t size);
typedef void (*SoundMemFreeFn)(void* block);

struct SoundMemState {
  uint8_t* blockMap;            // pool mode: one byte per block, 0 free, 1 used
  uint8_t* poolBase;            // pool mode: address of block 0
  int32_t blockCount;
  int32_t blocksInUse, blocksHighWater;
  int64_t bytesInUse, bytesHighWater;
  int64_t poolBytesHighWater, poolWasteHighWater;
  int32_t headerless;           // never set: every block carries its header
  int32_t blockSize;
  SoundMemAllocFn allocFn;
  SoundMemReallocFn reallocFn;
  SoundMemFreeFn freeFn;
  int32_t allocationsInUse;     // live blocks, so a 0-byte leak still shows
};

// Header in front of every block handed out.
struct SoundMemHeader {
  int32_t size;
  int32_t blocks;
  int32_t firstBlock;
  int32_t spare;
};
static_assert(sizeof(SoundMemHeader) == 16, "the allocator header is four 32-bit words");

constexpr size_t kSoundMemHeaderSize = sizeof(SoundMemHeader);

void* SoundMem_Alloc(SoundMemState* state, size_t size, const char* file);
void* SoundMem_Calloc(size_t size, const char* file, int line);
void* SoundMem_Realloc(void* block, size_t size, const char* file);
void SoundMem_Free(void* block, const char* file, int line);

// Switches the allocator to a pool of `bytes` at `pool`, cut into blocks of `blockSize`
// (the first bytes hold the block map). Only while nothing is allocated.
bool SoundMem_UsePool(void* pool, size_t bytes, int blockSize);
// Switches back to callbacks (all three, or null for the runtime's). Only while nothing
// is allocated.
bool SoundMem_UseCallbacks(SoundMemAllocFn alloc, SoundMemReallocFn realloc, SoundMemFreeFn free);
const SoundMemState& SoundMem_GetState();
// Starts the high-water marks again from what is in use now (to measure one piece of work).
void SoundMem_ResetHighWater();

// Links `item` behind the last item of a chain linked through each item's first word.
bool SoundList_Append(void** listHead, void* item);
// The link behind the chain's last item (the head itself for an empty chain): a reader
// that appends many items walks the chain once and then links each in at once.
void** SoundList_LastLink(void** listHead);
