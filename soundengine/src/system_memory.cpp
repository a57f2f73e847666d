// The engine's allocator: callbacks or a first-fit pool, with usage statistics.
#include "system_memory.h"

#include <cstdlib>
#include <cstring>

#include "aural.h"

namespace {

SoundMemState g_mem = {nullptr, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, std::malloc, std::realloc, std::free, 0};

bool PoolMode(const SoundMemState& s) { return s.allocFn == nullptr; }

// Gross size with the header, or false when it would not fit the header's size word.
bool GrossSize(size_t size, size_t* gross) {
  if (size > static_cast<size_t>(INT32_MAX) - kSoundMemHeaderSize) return false;
  *gross = size + kSoundMemHeaderSize;
  return true;
}

int32_t BlocksFor(const SoundMemState& s, size_t gross) {
  return static_cast<int32_t>((gross + s.blockSize - 1) / s.blockSize);
}

// First run of `count` free map bytes at or after `from`; -1 when none.
int32_t FindRun(const SoundMemState& s, int32_t from, int32_t count) {
  int32_t run = 0;
  for (int32_t i = from; i < s.blockCount; ++i) {
    run = s.blockMap[i] ? 0 : run + 1;
    if (run == count) return i - count + 1;
  }
  return -1;
}

void MarkRun(SoundMemState& s, int32_t first, int32_t count, uint8_t used) {
  std::memset(s.blockMap + first, used, static_cast<size_t>(count));
}

void AddStats(SoundMemState& s, int32_t size, int32_t blocks) {
  s.bytesInUse += size;
  if (s.bytesInUse > s.bytesHighWater) s.bytesHighWater = s.bytesInUse;
  s.blocksInUse += blocks;
  if (s.blocksInUse > s.blocksHighWater) {
    s.blocksHighWater = s.blocksInUse;
    s.poolBytesHighWater = static_cast<int64_t>(s.blocksHighWater) * s.blockSize;
    s.poolWasteHighWater = s.poolBytesHighWater - s.bytesHighWater;
  }
}

void RemoveStats(SoundMemState& s, const SoundMemHeader* h) {
  s.bytesInUse -= h->size;
  s.blocksInUse -= h->blocks;
}

SoundMemHeader* HeaderOf(void* block) {
  return reinterpret_cast<SoundMemHeader*>(static_cast<uint8_t*>(block) - kSoundMemHeaderSize);
}

void* Finish(SoundMemState& s, SoundMemHeader* h, size_t size, int32_t blocks, int32_t first) {
  h->size = static_cast<int32_t>(size);
  h->blocks = blocks;
  h->firstBlock = first;
  h->spare = 0;
  AddStats(s, h->size, blocks);
  return reinterpret_cast<uint8_t*>(h) + kSoundMemHeaderSize;
}

}  // namespace

const SoundMemState& SoundMem_GetState() { return g_mem; }

void SoundMem_ResetHighWater() {
  g_mem.bytesHighWater = g_mem.bytesInUse;
  g_mem.blocksHighWater = g_mem.blocksInUse;
}

void* SoundMem_Alloc(SoundMemState* state, size_t size, const char* /*file*/) {
  SoundMemState& s = state ? *state : g_mem;
  size_t gross;
  if (!GrossSize(size, &gross)) return nullptr;
  if (!PoolMode(s)) {
    auto* h = static_cast<SoundMemHeader*>(s.allocFn(gross));
    if (!h) return nullptr;
    ++s.allocationsInUse;
    return Finish(s, h, size, 0, 0);
  }
  if (!s.blockMap || s.blockSize <= 0) return nullptr;
  const int32_t blocks = BlocksFor(s, gross);
  const int32_t first = FindRun(s, 0, blocks);
  if (first < 0) return nullptr;
  MarkRun(s, first, blocks, 1);
  ++s.allocationsInUse;
  auto* h = reinterpret_cast<SoundMemHeader*>(s.poolBase + static_cast<size_t>(s.blockSize) * first);
  return Finish(s, h, size, blocks, first);
}

void* SoundMem_Calloc(size_t size, const char* file, int /*line*/) {
  void* block = SoundMem_Alloc(nullptr, size, file);
  if (block) std::memset(block, 0, size);
  return block;
}

void SoundMem_Free(void* block, const char* /*file*/, int /*line*/) {
  if (!block) return;
  SoundMemState& s = g_mem;
  SoundMemHeader* h = HeaderOf(block);
  RemoveStats(s, h);
  --s.allocationsInUse;
  if (s.freeFn)
    s.freeFn(h);
  else
    MarkRun(s, h->firstBlock, h->blocks, 0);
}

void* SoundMem_Realloc(void* block, size_t size, const char* file) {
  if (!block) return SoundMem_Alloc(nullptr, size, file);
  SoundMemState& s = g_mem;
  size_t gross;
  if (!GrossSize(size, &gross)) return nullptr;
  SoundMemHeader* old = HeaderOf(block);
  if (!PoolMode(s)) {
    auto* h = static_cast<SoundMemHeader*>(s.reallocFn(old, gross));
    if (!h) return nullptr;  // the old block stays valid and counted
    RemoveStats(s, h);       // the header moved with its contents
    return Finish(s, h, size, 0, 0);
  }
  const int32_t oldFirst = old->firstBlock, oldBlocks = old->blocks, oldSize = old->size;
  const int32_t blocks = BlocksFor(s, gross);
  MarkRun(s, oldFirst, oldBlocks, 0);
  int32_t first = FindRun(s, oldFirst, blocks);
  if (first < 0) first = FindRun(s, 0, blocks);
  if (first < 0) {
    MarkRun(s, oldFirst, oldBlocks, 1);
    return nullptr;
  }
  MarkRun(s, first, blocks, 1);
  RemoveStats(s, old);
  auto* h = reinterpret_cast<SoundMemHeader*>(s.poolBase + static_cast<size_t>(s.blockSize) * first);
  if (h != old) {
    // The runs may overlap: memmove copies from the right end for either direction.
    const size_t keep = static_cast<size_t>(oldSize) < size ? static_cast<size_t>(oldSize) : size;
    std::memmove(h, old, keep + kSoundMemHeaderSize);
  }
  return Finish(s, h, size, blocks, first);
}

bool SoundMem_UsePool(void* pool, size_t bytes, int blockSize) {
  if (g_mem.allocationsInUse != 0 || !pool || blockSize < 16 || (blockSize & 15)) return false;
  const size_t perBlock = static_cast<size_t>(blockSize) + 1;  // block plus its map byte
  const size_t count = bytes / perBlock;
  if (count == 0 || count > INT32_MAX) return false;
  SoundMemState s = {};
  s.blockMap = static_cast<uint8_t*>(pool);
  std::memset(s.blockMap, 0, count);
  // Blocks start 16-byte aligned behind the map.
  uintptr_t base = reinterpret_cast<uintptr_t>(s.blockMap + count);
  base = (base + 15) & ~static_cast<uintptr_t>(15);
  const uintptr_t end = reinterpret_cast<uintptr_t>(pool) + bytes;
  s.blockCount = static_cast<int32_t>((end - base) / blockSize);
  if (s.blockCount <= 0) return false;
  s.poolBase = reinterpret_cast<uint8_t*>(base);
  s.blockSize = blockSize;
  g_mem = s;
  return true;
}

bool SoundMem_UseCallbacks(SoundMemAllocFn alloc, SoundMemReallocFn realloc, SoundMemFreeFn free) {
  if (g_mem.allocationsInUse != 0) return false;
  if (!alloc || !realloc || !free) {
    alloc = std::malloc;
    realloc = std::realloc;
    free = std::free;
  }
  SoundMemState s = {};
  s.allocFn = alloc;
  s.reallocFn = realloc;
  s.freeFn = free;
  g_mem = s;
  return true;
}

bool SoundList_Append(void** listHead, void* item) {
  if (!listHead || !item) {
    SoundError = kSoundErrInvalidParam;
    return false;
  }
  void** link = SoundList_LastLink(listHead);
  *link = item;
  *static_cast<void**>(item) = nullptr;
  return true;
}

void** SoundList_LastLink(void** listHead) {
  void** link = listHead;
  while (*link) link = static_cast<void**>(*link);
  return link;
}
