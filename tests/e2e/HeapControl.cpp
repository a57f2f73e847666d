#include "HeapControl.h"

#include <malloc.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<const void*> g_reuse{nullptr};   // the block to keep when it is freed
std::atomic<void*> g_kept{nullptr};          // kept, for the next allocation of g_size
std::atomic<size_t> g_size{0};
std::atomic<DWORD> g_thread{0};
std::atomic<const void*> g_poison{nullptr};  // the block to overwrite when it is freed
std::atomic<void*> g_poisoned{nullptr};      // overwritten, kept from reuse until disarmed

void* Reused(size_t size) {
    if (!g_kept.load() || size != g_size.load() || GetCurrentThreadId() != g_thread.load()) return nullptr;
    return g_kept.exchange(nullptr);
}

void* Allocate(size_t size) {
    if (void* block = Reused(size)) return block;
    return malloc(size ? size : 1);
}

void Release(void* block) {
    if (!block) return;
    const void* armed = block;
    if (g_reuse.compare_exchange_strong(armed, nullptr)) {
        g_kept = block;
        return;
    }
    armed = block;
    if (g_poison.compare_exchange_strong(armed, nullptr)) {
        const size_t characters = _msize(block) / sizeof(wchar_t);
        auto* text = static_cast<wchar_t*>(block);
        for (size_t i = 0; i + 1 < characters; ++i) text[i] = L'x';
        if (characters > 0) text[characters - 1] = 0;
        free(g_poisoned.exchange(block));
        return;
    }
    free(block);
}

}  // namespace

void HeapControl_ReuseNext(const void* address, size_t size) {
    g_size = size;
    g_thread = GetCurrentThreadId();
    g_reuse = address;
}

void HeapControl_PoisonOnFree(const void* address) { g_poison = address; }

void HeapControl_Disarm() {
    g_reuse = nullptr;
    g_poison = nullptr;
    free(g_kept.exchange(nullptr));
    free(g_poisoned.exchange(nullptr));
}

void* operator new(size_t size) {
    if (void* block = Allocate(size)) return block;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, size_t) noexcept { Release(block); }
void operator delete[](void* block, size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
