// The non-blocking loader: stream opens and song loads queued by callers, carried out
// one after another on the loader's own thread.
#include "aural_engine.h"
#include "system_thread.h"

namespace {

constexpr DWORD kIdleWaitMs = 50;
constexpr DWORD kEmptyEntryPauseMs = 25;

struct LoaderState {
  SRWLOCK lock;                    // the queue, against callers on other threads
  SoundLoaderEntry* head;
  SoundLoaderEntry* tail;
  HANDLE thread;
  HANDLE wake;
  volatile LONG stop;              // 1 requested, 2 the thread has left
};
LoaderState g_loader = {SRWLOCK_INIT, nullptr, nullptr, nullptr, nullptr, 0};

SoundLoaderEntry* TakeFirst() {
  AcquireSRWLockExclusive(&g_loader.lock);
  SoundLoaderEntry* e = g_loader.head;
  if (e) {
    g_loader.head = e->next;
    if (!g_loader.head) g_loader.tail = nullptr;
    e->next = nullptr;
  }
  ReleaseSRWLockExclusive(&g_loader.lock);
  return e;
}

DWORD WINAPI SoundLoader_ThreadProc(void*) {
  LoaderState& l = g_loader;
  while (l.stop == 0) {
    if (SoundLoaderEntry* e = TakeFirst()) {
      if (e->object && e->run)
        e->run(e->object);
      else
        SoundEngine_Sleep(kEmptyEntryPauseMs);
      continue;
    }
    // Callers and the close wake the thread; the non-realtime output has no idle polling.
    WaitForSingleObject(l.wake, SoundEngine_IsNonRealtime() ? INFINITE : kIdleWaitMs);
  }
  l.stop = 2;
  return 0;
}

}  // namespace

bool SoundLoader_Running() { return g_loader.thread != nullptr; }

BOOL SoundLoader_Start() {
  SoundError_Begin();
  LoaderState& l = g_loader;
  if (l.thread) return TRUE;
  l.stop = 0;
  l.wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (l.wake) l.thread = SoundThread_Create("loader", SoundLoader_ThreadProc, nullptr, kSoundThreadAboveNormal);
  if (!l.thread) {
    if (l.wake) CloseHandle(l.wake);
    l.wake = nullptr;
    SoundError_Set(kSoundErrNoMemory);
    return FALSE;
  }
  return TRUE;
}

BOOL SoundLoader_Queue(SoundLoaderEntry* entry) {
  SoundError_Begin();
  if (!entry) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  entry->next = nullptr;
  AcquireSRWLockExclusive(&g_loader.lock);
  if (g_loader.tail)
    g_loader.tail->next = entry;
  else
    g_loader.head = entry;
  g_loader.tail = entry;
  ReleaseSRWLockExclusive(&g_loader.lock);
  if (g_loader.wake) SetEvent(g_loader.wake);
  return TRUE;
}

void SoundLoader_Shutdown() {
  LoaderState& l = g_loader;
  if (l.thread) {
    l.stop = 1;
    SetEvent(l.wake);
    // An open or load in progress finishes first; nothing it uses is freed before.
    WaitForSingleObject(l.thread, INFINITE);
    CloseHandle(l.thread);
    CloseHandle(l.wake);
    l.thread = l.wake = nullptr;
  }
  AcquireSRWLockExclusive(&l.lock);
  l.head = l.tail = nullptr;
  ReleaseSRWLockExclusive(&l.lock);
}
