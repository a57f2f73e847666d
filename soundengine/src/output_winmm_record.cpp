// The waveOut output's recording side: a wave input device fills a ring of 100 short
// blocks; the record thread copies each returned block into the record sample and
// hands the device the block before it again, so one block is always held back.
#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "aural_engine.h"
#include "aural_record.h"
#include "sound_alloc.h"
#include "sound_output.h"
#include "system_thread.h"

static constexpr char kSoundFileTag[] = "src/output_winmm";

namespace {

constexpr int kRingBlocks = 100;
constexpr int kBlockMs = 5;
constexpr UINT kWaveErrBadFormat = 32;

struct RecordState {
  HWAVEIN device;
  uint8_t* ring;
  int32_t ringBytes;
  WAVEHDR headers[kRingBlocks];
  int32_t blockBytes;
  int32_t frameBytes;
  bool unsignedData;               // 8-bit capture: the sample holds signed bytes
  volatile LONG filled;            // raised by the device callback
  volatile LONG processed;         // raised by the record thread
  HANDLE event;
  HANDLE thread;
  volatile LONG running;
  volatile LONG recording;
  bool started;                    // a start has been made since the engine came up
  SoundSample* sample;
  int32_t writePosition;           // samples
  bool loop;
};
RecordState g_rec = {};

// Copies the ring's bytes [from, from + bytes) into the destination parts in order.
void CopyInto(const uint8_t* from, uint32_t bytes, void* p1, uint32_t l1, void* p2, uint32_t l2, bool flipSign) {
  uint32_t first = bytes < l1 ? bytes : l1;
  std::memcpy(p1, from, first);
  uint32_t second = bytes - first < l2 ? bytes - first : l2;
  if (p2 && second) std::memcpy(p2, from + first, second);
  if (!flipSign) return;
  for (uint32_t i = 0; i < first; ++i) static_cast<uint8_t*>(p1)[i] ^= 0x80;
  for (uint32_t i = 0; p2 && i < second; ++i) static_cast<uint8_t*>(p2)[i] ^= 0x80;
}

// One returned block into the record sample at its write position.
void CopyBlock(int block) {
  RecordState& r = g_rec;
  SoundSample* s = r.sample;
  void *r1, *r2, *s1, *s2;
  uint32_t rl1, rl2, sl1, sl2;
  if (!s || !WaveInRecord_Lock(block * r.blockBytes, r.blockBytes, &r1, &rl1, &r2, &rl2)) return;
  const int64_t sampleBytes = static_cast<int64_t>(s->length) * r.frameBytes;
  const int offset = static_cast<int>(static_cast<int64_t>(r.writePosition) * r.frameBytes % sampleBytes);
  if (!SoundSample_Lock(s, offset, r.blockBytes, &s1, &sl1, &s2, &sl2) || !s1) return;
  const bool wrapped = s2 != nullptr;
  // Without a loop the block's part beyond the end is dropped, so the start stays.
  CopyInto(static_cast<uint8_t*>(r1), rl1, s1, sl1, r.loop ? s2 : nullptr, r.loop ? sl2 : 0, r.unsignedData);
  SoundSample_Unlock(s, s1, sl1, s2, sl2);  // rebuilds the guard samples
  r.writePosition += r.blockBytes / r.frameBytes;
  if (wrapped || r.writePosition >= s->length) {
    if (r.loop)
      r.writePosition %= s->length;
    else
      r.recording = 0;
  }
}

DWORD WINAPI RecordThreadProc(void*) {
  RecordState& r = g_rec;
  r.running = 1;
  while (r.recording) {
    WaitForSingleObject(r.event, INFINITE);
    while (r.recording && r.processed < r.filled) {
      const int k = r.processed % kRingBlocks;
      CopyBlock(k);
      waveInUnprepareHeader(r.device, &r.headers[k], sizeof(WAVEHDR));
      // The block before goes back to the device; this one is held until the next.
      WAVEHDR& back = r.headers[(k + kRingBlocks - 1) % kRingBlocks];
      back.dwFlags = 0;
      if (waveInPrepareHeader(r.device, &back, sizeof(WAVEHDR)) == MMSYSERR_NOERROR)
        waveInAddBuffer(r.device, &back, sizeof(WAVEHDR));
      InterlockedIncrement(&r.processed);
    }
  }
  r.running = 0;
  return 0;
}

void FreeRing() {
  RecordState& r = g_rec;
  for (WAVEHDR& h : r.headers) h.lpData = nullptr;
  SOUND_FREE(r.ring);
  r.ring = nullptr;
  r.ringBytes = 0;
}

BOOL FailStart(int32_t error) {
  WaveInRecord_Stop();
  SoundError_Set(error);
  return FALSE;
}

}  // namespace

void WaveInRecord_SetTarget(SoundSample* sample, BOOL loop) {
  g_rec.sample = sample;
  g_rec.loop = loop != FALSE;
  g_rec.writePosition = 0;
}

void CALLBACK WaveInRecord_Callback(HWAVEIN, UINT message, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
  if (message != MM_WIM_DATA || !g_rec.recording) return;
  InterlockedIncrement(&g_rec.filled);
  SetEvent(g_rec.event);
}

BOOL WaveInRecord_Start(int first, uint32_t mode, int rate) {
  RecordState& r = g_rec;
  if (first <= 0 || rate <= 0) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  WaveInRecord_Stop();
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = (mode & SoundMode::Mono) ? 1 : 2;
  format.wBitsPerSample = (mode & SoundMode::Pcm16) ? 16 : 8;
  format.nBlockAlign = static_cast<WORD>(format.wBitsPerSample * format.nChannels / 8);
  format.nSamplesPerSec = static_cast<DWORD>(rate);
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  r.frameBytes = format.nBlockAlign;
  r.unsignedData = format.wBitsPerSample == 8;
  // A stereo recording moves blocks of half the 5 ms: the block length counts one channel.
  r.blockBytes = static_cast<int32_t>(static_cast<int64_t>(rate) * kBlockMs / 1000 * (format.wBitsPerSample / 8));
  if (r.blockBytes < r.frameBytes) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  const UINT device = SoundDevices.selectedInput < 0 ? WAVE_MAPPER : static_cast<UINT>(SoundDevices.selectedInput);
  HWAVEIN handle = nullptr;
  const MMRESULT opened = waveInOpen(&handle, device, &format, reinterpret_cast<DWORD_PTR>(WaveInRecord_Callback), 0,
                                     CALLBACK_FUNCTION);
  if (opened != MMSYSERR_NOERROR) {
    SoundError_Set(opened == MMSYSERR_ALLOCATED ? kSoundErrDeviceBusy
                   : opened == kWaveErrBadFormat ? kSoundErrFormatUnsupported
                                                 : kSoundErrRecordDevice);
    return FALSE;
  }
  r.device = handle;
  r.started = true;
  r.filled = r.processed = 0;
  r.ringBytes = kRingBlocks * r.blockBytes * format.nChannels;
  r.ring = static_cast<uint8_t*>(SOUND_CALLOC(static_cast<size_t>(r.ringBytes)));
  if (!r.ring) return FailStart(kSoundErrNoMemory);
  for (int k = 0; k < kRingBlocks; ++k) {
    WAVEHDR& h = r.headers[k];
    h = WAVEHDR{};
    h.lpData = reinterpret_cast<LPSTR>(r.ring + static_cast<size_t>(k) * r.blockBytes);
    h.dwBufferLength = static_cast<DWORD>(r.blockBytes);
    h.dwUser = static_cast<DWORD_PTR>(k);
  }
  // The last block is held back: the record thread hands it over after copying block 0.
  for (int k = 0; k < kRingBlocks - 1; ++k)
    if (waveInPrepareHeader(r.device, &r.headers[k], sizeof(WAVEHDR)) != MMSYSERR_NOERROR ||
        waveInAddBuffer(r.device, &r.headers[k], sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
      return FailStart(kSoundErrRecordDevice);
  r.recording = 1;
  // The thread waits on the event without a time-out, so there always is one.
  r.event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!r.event) return FailStart(kSoundErrNoMemory);
  r.thread = SoundThread_Create("record", RecordThreadProc, nullptr, kSoundThreadTimeCritical);
  if (!r.thread) return FailStart(kSoundErrPlaybackStart);
  // A device that does not start must not leave the thread waiting.
  if (waveInStart(r.device) != MMSYSERR_NOERROR) return FailStart(kSoundErrOutputFailed);
  return TRUE;
}

BOOL WaveInRecord_Stop() {
  RecordState& r = g_rec;
  r.recording = 0;
  if (r.event) SetEvent(r.event);
  if (r.thread) {
    // The handle is signalled once the thread has really left.
    WaitForSingleObject(r.thread, INFINITE);
    CloseHandle(r.thread);
    r.thread = nullptr;
  }
  if (r.device) {
    waveInReset(r.device);
    // The headers belong to the handle: they are released before it is closed.
    for (WAVEHDR& h : r.headers)
      if (h.dwFlags & WHDR_PREPARED) waveInUnprepareHeader(r.device, &h, sizeof(WAVEHDR));
    waveInClose(r.device);
    r.device = nullptr;
  }
  // Only now: the device's callback may set the event until the device is closed.
  if (r.event) CloseHandle(r.event);
  r.event = nullptr;
  FreeRing();
  return TRUE;
}

int WaveInRecord_GetPosition() {
  const RecordState& r = g_rec;
  if (!r.started || r.frameBytes <= 0) return -1;
  return r.blockBytes * (r.processed % kRingBlocks) / r.frameBytes;
}

BOOL WaveInRecord_Lock(int offset, int length, void** p1, uint32_t* l1, void** p2, uint32_t* l2) {
  const RecordState& r = g_rec;
  const int size = kRingBlocks * r.blockBytes;
  *p1 = *p2 = nullptr;
  *l1 = *l2 = 0;
  if (!r.ring || offset < 0 || offset >= size || length < 0) return FALSE;
  if (length > size) length = size;
  *p1 = r.ring + offset;
  *l1 = static_cast<uint32_t>(length <= size - offset ? length : size - offset);
  if (static_cast<int>(*l1) < length) {
    *p2 = r.ring;
    *l2 = static_cast<uint32_t>(length) - *l1;
  }
  return TRUE;
}

void WaveInRecord_Reset() {
  WaveInRecord_Stop();
  g_rec.started = false;
  g_rec.sample = nullptr;
  SoundDevices.selectedInput = -1;
}

WaveInRecordStatus WaveInRecord_Status() {
  const RecordState& r = g_rec;
  return {r.blockBytes, r.frameBytes, r.filled, r.processed, r.writePosition, r.recording != 0, r.running != 0,
          r.event != nullptr};
}
