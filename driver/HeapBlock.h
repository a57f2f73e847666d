#pragma once
// The driver's memory: plain zero-filled blocks of the process heap.
#include <windows.h>

namespace HeapBlock {
inline void* Allocate(SIZE_T bytes) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes); }
inline void Free(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}
}  // namespace HeapBlock
