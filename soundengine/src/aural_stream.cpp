// The streamer: its thread, its two locks and its DSP unit. Passes run over the
// engine's stream list, which only the stream functions fill.
#include "aural_stream.h"

#include "aural_engine.h"
#include "sound_software.h"
#include "system_thread.h"

namespace {

constexpr char kStreamerThreadName[] = "Aural Streamer thread";
constexpr DWORD kStreamerPeriodMs = 10;
constexpr int kStreamDspPriority = 0;
constexpr int32_t kNoChannelBlockDuration = 2560;
constexpr int32_t kNoChannelBlockLength = 256;

struct StreamerState {
  SoundLink streams;               // stream list (circular, sentinel)
  HANDLE thread;
  DWORD threadId;
  volatile uint8_t stop;           // 1 requested, 2 the thread has left
  volatile uint8_t inUpdate;
  CRITICAL_SECTION* lock1;         // held for a whole pass
  CRITICAL_SECTION* lock2;         // the list and a stream's channel against the DSP callback
  SoundDspUnit* dspUnit;
};
StreamerState g_streamer = {};

void* StreamDspCallback(void*, void* previous, int, void*) { return previous; }

DWORD WINAPI StreamerThreadProc(void*) {
  StreamerState& s = g_streamer;
  s.threadId = GetCurrentThreadId();
  const bool measure = SoundTables.primaryChannel == nullptr;
  while (s.stop == 0) {
    const uint32_t start = SoundClock_Now();
    Sleep(0);
    SoundLock_Enter(s.lock1);
    s.inUpdate = 1;
    AuralStream_UpdateAll(static_cast<int>(kStreamerPeriodMs));
    SoundLock_Leave(s.lock1);
    s.inUpdate = 0;
    SoundEngine_Sleep(kStreamerPeriodMs);
    if (measure) {
      const int d = static_cast<int>(SoundClock_Now() - start);
      if (d > 0 && d < 20) {
        SoundEngine.blockDuration = d * 256;
        SoundEngine.blockLength = d * 48;
      }
    }
  }
  SoundEngine.streamCpu = 0;
  s.stop = 2;
  return 0;
}

}  // namespace

HANDLE AuralStream_ThreadHandle() { return g_streamer.thread; }

BOOL AuralStream_StartThread() {
  StreamerState& s = g_streamer;
  if (!SoundLink_Linked(&s.streams)) SoundLink_Init(&s.streams);
  s.stop = 0;
  if (!(SoundEngine.initFlags & kSoundInitNoStreamerThread)) {
    s.lock1 = SoundLock_Create();
    s.lock2 = SoundLock_Create();
    s.thread = SoundThread_Create(kStreamerThreadName, StreamerThreadProc, nullptr, kSoundThreadAboveNormal);
    if (!s.thread) {
      SoundError_Set(kSoundErrNoMemory);
      return FALSE;
    }
  }
  if (SoundTables.softwareChannels > 0) {
    s.dspUnit = AuralDsp_Create(StreamDspCallback, kStreamDspPriority, nullptr);
    if (!s.dspUnit) return FALSE;
    s.dspUnit->active = 1;
  } else {
    SoundEngine.blockDuration = kNoChannelBlockDuration;
    SoundEngine.blockLength = kNoChannelBlockLength;
  }
  return TRUE;
}

void AuralStream_StopThread() {
  StreamerState& s = g_streamer;
  if (s.thread) {
    s.stop = 1;
    // Waiting on the handle rather than the flag, and for as long as it takes: the locks
    // and the unit freed below are the thread's until it has really left.
    WaitForSingleObject(s.thread, INFINITE);
    CloseHandle(s.thread);
    s.thread = nullptr;
  }
  if (s.dspUnit) {
    AuralDsp_Free(s.dspUnit);
    s.dspUnit = nullptr;
  }
  SoundLock_Delete(s.lock1);
  SoundLock_Delete(s.lock2);
  s.lock1 = s.lock2 = nullptr;
}

void AuralStream_UpdateAll(int /*elapsedMs*/) {
  // Every stream of the list would be refilled here; the list stays empty until the
  // stream functions add to it.
}
