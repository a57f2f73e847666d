// The waveOut output: the mixer's primary buffer plays as one endless loop on a
// platform wave output device; the play position comes from the device.
#include <windows.h>
#include <mmsystem.h>
// The device's wave output: the host's, or the simulated device's own loudspeaker.
#include <DeviceAudio.h>

#include <cstring>

#include "aural_engine.h"
#include "sound_alloc.h"
#include "sound_output.h"
#include "sound_software.h"

static constexpr char kSoundFileTag[] = "src/output_winmm";

static_assert(sizeof(WAVEOUTCAPSW) == 84, "waveOut capabilities record is 84 bytes");
static_assert(sizeof(WAVEINCAPSW) == 80, "waveIn capabilities record is 80 bytes");
static_assert(sizeof(MMTIME) == 12, "MMTIME is 12 bytes");

namespace {

// The one driver sample of this output: the primary buffer and its loop header.
struct WaveOutState {
  HWAVEOUT device;
  WAVEHDR header;
  bool prepared;
  bool playing;
  uint32_t bufferBytes;
};
WaveOutState g_out = {};

constexpr DWORD kLoopForever = 0xFFFFFFFF;

void StoreName(const wchar_t* wide, char* out, int size) {
  out[0] = 0;
  WideCharToMultiByte(CP_ACP, 0, wide, -1, out, size - 1, nullptr, nullptr);
  out[size - 1] = 0;
}

bool MonoOutput() {
  return SoundEngine.mixerType == kMixerMono || SoundEngine.mixerType == kMixerQualityMono;
}

bool Prepare() {
  if (!g_out.device) return false;
  if (!g_out.prepared) {
    g_out.header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
    g_out.header.dwLoops = kLoopForever;
    if (waveOutPrepareHeader(g_out.device, &g_out.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
    g_out.prepared = true;
  }
  g_out.header.dwFlags = (g_out.header.dwFlags & WHDR_PREPARED) | WHDR_BEGINLOOP | WHDR_ENDLOOP;
  return true;
}

void Unprepare() {
  if (g_out.device && g_out.prepared) waveOutUnprepareHeader(g_out.device, &g_out.header, sizeof(WAVEHDR));
  g_out.prepared = false;
}

// Primary-buffer sample operations.
BOOL BufAllocate(SoundSample* s, int length) {
  const int64_t bytes = static_cast<int64_t>(length) * 2 * ((s->mode & SoundMode::Stereo) ? 2 : 1);
  if (length <= 0 || bytes > INT32_MAX) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  s->outputData = SOUND_CALLOC(static_cast<size_t>(bytes));
  if (!s->outputData) {
    SoundError_Set(kSoundErrNoMemory);
    return FALSE;
  }
  s->data = s->outputData;
  std::memset(&g_out.header, 0, sizeof(g_out.header));
  g_out.header.lpData = static_cast<LPSTR>(s->outputData);
  g_out.header.dwBufferLength = static_cast<DWORD>(bytes);
  g_out.bufferBytes = static_cast<uint32_t>(bytes);
  g_out.prepared = false;
  if (!Prepare()) {
    SoundError_Set(kSoundErrPlaybackStart);
    return FALSE;
  }
  return TRUE;
}

void BufFree(SoundSample* s) {
  if (g_out.playing && g_out.device) waveOutReset(g_out.device);
  g_out.playing = false;
  Unprepare();
  std::memset(&g_out.header, 0, sizeof(g_out.header));
  g_out.bufferBytes = 0;
  SOUND_FREE(s->outputData);
  s->outputData = s->data = nullptr;
}

BOOL BufLock(SoundSample* s, uint32_t offset, uint32_t length, void** p1, uint32_t* l1, void** p2, uint32_t* l2) {
  const uint32_t size = g_out.bufferBytes;
  *p1 = *p2 = nullptr;
  *l1 = *l2 = 0;
  if (!s->data || size == 0) return FALSE;
  offset %= size;
  if (length > size) length = size;
  *p1 = static_cast<uint8_t*>(s->data) + offset;
  *l1 = length <= size - offset ? length : size - offset;
  if (*l1 < length) {
    *p2 = s->data;
    *l2 = length - *l1;
  }
  return TRUE;
}

BOOL BufUnlock(SoundSample*, void*, uint32_t, void*, uint32_t) { return TRUE; }

void FillBufferOps(SoundSample* s) {
  s->ops.allocate = BufAllocate;
  s->ops.free = BufFree;
  s->ops.upload = nullptr;
  s->ops.lock = BufLock;
  s->ops.unlock = BufUnlock;
}

// Primary-channel operations.
BOOL PrimarySetSample(SoundChannel* ch, SoundSample* s) {
  ch->sample = s;
  return TRUE;
}

BOOL PrimaryStart(SoundDspUnit*, SoundChannel*, SoundSample*) {
  g_out.playing = true;
  if (!Prepare() || waveOutWrite(g_out.device, &g_out.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
    g_out.playing = false;
    SoundError_Set(kSoundErrPlaybackStart);
    return FALSE;
  }
  return TRUE;
}

BOOL PrimaryStop(SoundChannel*) {
  g_out.playing = false;
  if (g_out.device) waveOutReset(g_out.device);
  return TRUE;
}

int PrimaryGetPosition(SoundChannel* ch) {
  MMTIME time = {};
  time.wType = TIME_BYTES;
  if (!g_out.device || waveOutGetPosition(g_out.device, &time, sizeof(time)) != MMSYSERR_NOERROR) return 0;
  uint32_t samples = time.u.cb / 2;
  if (!ch->sample || (ch->sample->mode & SoundMode::Stereo)) samples /= 2;
  return static_cast<int>(samples);
}

void FillPrimaryOps(SoundChannel* ch) {
  ch->ops.setSample = PrimarySetSample;
  ch->ops.start = PrimaryStart;
  ch->ops.stop = PrimaryStop;
  ch->ops.getPosition = PrimaryGetPosition;
}

uintptr_t DeviceHandle() { return reinterpret_cast<uintptr_t>(g_out.device); }
void Nothing() {}
BOOL Succeed() { return TRUE; }

}  // namespace

BOOL WaveOutOutput_ListDrivers() {
  const UINT count = waveOutGetNumDevs();
  SoundDevices.outputCount = 0;
  for (UINT i = 0; i < count && SoundDevices.outputCount < kSoundMaxDevices; ++i) {
    WAVEOUTCAPSW caps = {};
    if (waveOutGetDevCapsW(i, &caps, sizeof(caps)) != MMSYSERR_NOERROR) continue;
    StoreName(caps.szPname, SoundDevices.outputNames[SoundDevices.outputCount++], kSoundOutputNameSize);
  }
  SoundEngine.devicesEnumerated = 1;
  return TRUE;
}

BOOL WaveInRecord_ListDrivers() {
  const UINT count = waveInGetNumDevs();
  SoundDevices.inputCount = 0;
  for (UINT i = 0; i < count && SoundDevices.inputCount < kSoundMaxDevices; ++i) {
    WAVEINCAPSW caps = {};
    if (waveInGetDevCapsW(i, &caps, sizeof(caps)) != MMSYSERR_NOERROR) continue;
    StoreName(caps.szPname, SoundDevices.inputNames[SoundDevices.inputCount++], kSoundOutputNameSize);
  }
  return TRUE;
}

BOOL WaveOutOutput_Open(int mixRate) {
  if (!SoundEngine.devicesEnumerated || SoundDevices.outputCount == 0) WaveOutOutput_ListDrivers();
  if (SoundDevices.outputCount == 0) {
    SoundError_Set(kSoundErrOutputFailed);
    return FALSE;
  }
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = MonoOutput() ? 1 : 2;
  format.nSamplesPerSec = static_cast<DWORD>(mixRate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<WORD>(format.nChannels * 2);
  format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
  const UINT device = SoundDevices.selectedOutput < 0 ? WAVE_MAPPER : static_cast<UINT>(SoundDevices.selectedOutput);
  HWAVEOUT handle = nullptr;
  const MMRESULT result = waveOutOpen(&handle, device, &format, 0, 0, CALLBACK_NULL);
  if (result != MMSYSERR_NOERROR) {
    SoundError_Set(result == MMSYSERR_ALLOCATED ? kSoundErrDeviceBusy : kSoundErrOutputFailed);
    return FALSE;
  }
  g_out.device = handle;
  WaveOutOutput.offersDriverChannels2d = WaveOutOutput.offersDriverChannels3d = 0;
  WaveOutOutput.channels2d = WaveOutOutput.channels3d = 0;
  return TRUE;
}

void WaveOutOutput_Close() {
  if (!g_out.device) return;
  // A prepared header belongs to this handle; the next open prepares it again.
  if (g_out.prepared) {
    waveOutReset(g_out.device);
    Unprepare();
  }
  waveOutClose(g_out.device);
  g_out.device = nullptr;
  g_out.playing = false;
}

SoundOutputDriver WaveOutOutput = {
    0, 0, 1,
    WaveOutOutput_ListDrivers, WaveOutOutput_Open, WaveOutOutput_Close, FillBufferOps, FillPrimaryOps, Nothing,
    DeviceHandle, Nothing, SoftwareOutput_Update, Succeed, SoundOutput_SetProperties, SoundOutput_GetProperties,
    WaveInRecord_ListDrivers, Succeed, WaveInRecord_Start, WaveInRecord_Stop, WaveInRecord_GetPosition,
    WaveInRecord_Lock, Succeed,
    0, 0, 0,
};
