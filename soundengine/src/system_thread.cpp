// Threads at the engine's priority levels and the engine's locks.
#include "system_thread.h"

#include <new>

#include "aural_engine.h"
#include "sound_alloc.h"

static constexpr char kSoundFileTag[] = "src/system_thread";

HANDLE SoundThread_Create(const char* /*name*/, SoundThreadProc proc, void* /*unused*/, int level) {
  HANDLE thread = CreateThread(nullptr, 0, proc, nullptr, 0, nullptr);
  if (!thread) return nullptr;
  switch (level) {
    case kSoundThreadAboveNormal: SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL); break;
    case kSoundThreadHighest: SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST); break;
    case kSoundThreadTimeCritical: SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL); break;
    case kSoundThreadBelowNormal: SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL); break;
    default: break;
  }
  return thread;
}

CRITICAL_SECTION* SoundLock_Create() {
  if (SoundEngine_IsNonRealtime()) return nullptr;
  void* memory = SOUND_ALLOC(sizeof(CRITICAL_SECTION));
  if (!memory) return nullptr;
  auto* lock = new (memory) CRITICAL_SECTION;
  InitializeCriticalSection(lock);
  return lock;
}

void SoundLock_Delete(CRITICAL_SECTION* lock) {
  if (!lock) return;
  DeleteCriticalSection(lock);
  SOUND_FREE(lock);
}

void SoundLock_Enter(CRITICAL_SECTION* lock) {
  if (lock) EnterCriticalSection(lock);
}

void SoundLock_Leave(CRITICAL_SECTION* lock) {
  if (lock) LeaveCriticalSection(lock);
}
