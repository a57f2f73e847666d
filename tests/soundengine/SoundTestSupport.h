#pragma once
// Shared helpers for the sound engine tests: a clean engine per test, process
// accounting, and a DSP unit that copies what reaches it.
#include <windows.h>
#include <tlhelp32.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "aural.h"
#include "aural_engine.h"
#include "sound_software.h"
#include "system_memory.h"
#include "TestFiles.h"

namespace soundtest {

// The bytes of a test file the build made in `directory` (as Wine sees it); empty when missing.
inline std::string FixtureBytes(const char* directory, const char* file) {
  const std::string name = std::string(directory) + file;
  std::string bytes;
  testsupport::ReadBytes(std::wstring(name.begin(), name.end()), &bytes);
  return bytes;
}

// Puts the caller-writable engine fields back to their start-of-day values.
inline void ResetEngineRequests(int outputType = kSoundOutputNonRealtime, int mixerType = 4) {
  Aural_Close();
  Aural_SetOutput(outputType);
  SoundEngine.mixerType = mixerType;
  SoundEngine.bufferMs = -1;
  SoundEngine.blockLength = 0;
  SoundEngine.bufferLength = 0;
}

inline int ThreadCount() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 te = {};
  te.dwSize = sizeof(te);
  int count = 0;
  const DWORD pid = GetCurrentProcessId();
  for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
    if (te.th32OwnerProcessID == pid) ++count;
  CloseHandle(snap);
  return count;
}

// Copies each block it sees (32-bit elements) and logs its id into a shared order log.
struct Capture {
  int id = 0;
  std::vector<int>* order = nullptr;
  std::vector<int32_t> last;
  int channels = 2;
  static void* Callback(void* block, void* previous, int length, void* user) {
    auto* self = static_cast<Capture*>(user);
    if (self->order) self->order->push_back(self->id);
    const int32_t* p = static_cast<const int32_t*>(previous);
    self->last.assign(p, p + static_cast<size_t>(length) * self->channels);
    return previous;
  }
};

inline SoundDspUnit* AddCapture(Capture* capture, int priority) {
  SoundDspUnit* unit = AuralDsp_Create(Capture::Callback, priority, capture);
  if (unit) unit->active = 1;
  return unit;
}

// A listed 16-bit sample holding `values` (frames of `mode`'s layout), uploaded as data.
inline SoundSample* MakeSample16(const std::vector<int16_t>& values, uint32_t mode, int frequency = 44100,
                                 int index = -1) {
  const int frames = static_cast<int>(values.size()) / ((mode & SoundMode::Stereo) ? 2 : 1);
  SoundSample* s = SoundSample_Alloc(index, frames, mode | SoundMode::Pcm16, frequency, 255, 128);
  if (s && !SoundSample_Upload(s, values.data(), 0, static_cast<int>(values.size() * 2), SoundMode::Pcm16)) return nullptr;
  return s;
}

// Gains of the software pan law, worked out from the square-root rule itself.
inline int PanGain(int pan, int volume) {
  return static_cast<int>(std::floor(std::sqrt(256.0 * pan) + 1e-9)) * volume / 255;
}

}  // namespace soundtest
