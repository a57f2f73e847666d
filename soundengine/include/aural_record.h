#pragma once
// Recording: the output driver captures from a wave input device into a record sample,
// block by block, wrapping at the sample's end or stopping there. The waveOut output
// records through waveIn; the null output refuses (error 17).
#include <windows.h>
#include <cstdint>

struct SoundSample;

// Starts capturing into `sample` (its format and rate are the capture's) from the
// selected input device (SoundDevices.selectedInput, negative: the default one);
// `loop` wraps at the sample's end, otherwise the recording stops there. The sample must
// stay until the recording is stopped (Aural_RecordStop or Aural_Close). Errors: 2 not
// initialised, 14 no sample, 17 not supported by the output, and the driver's (4 device
// in use, 6 format refused, 8 other open, prepare or queue failures, 12 memory, 5 no
// thread, 3 the device did not start).
BOOL Aural_RecordStart(SoundSample* sample, BOOL loop);
BOOL Aural_RecordStop();
// Samples written into the ring's current block position, -1 before any start.
int Aural_GetRecordPosition();

// The driver's record state as tests observe it.
struct WaveInRecordStatus {
  int32_t blockBytes;              // bytes of one 5 ms block
  int32_t frameBytes;
  LONG filledBlocks;               // returned by the device
  LONG processedBlocks;            // copied into the sample
  int32_t writePosition;           // samples into the record sample
  bool recording;
  bool threadRunning;
  bool hasEvent;
};
WaveInRecordStatus WaveInRecord_Status();
