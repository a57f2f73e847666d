#pragma once
// What the stream files share: the streamer's state, the stream list and the locks.
#include "aural_stream.h"
#include "aural_channel.h"
#include "aural_dsp.h"

struct StreamerState {
  SoundStream head;                // sentinel of the stream list (circular)
  HANDLE thread;
  DWORD threadId;
  volatile uint8_t stop;           // 1 requested, 2 the thread has left
  volatile uint8_t inUpdate;
  volatile uint8_t inDsp;
  CRITICAL_SECTION* lock1;         // held for a whole pass
  CRITICAL_SECTION* lock2;         // the list and a stream's channel against the DSP callback
  SoundDspUnit* dspUnit;
  int32_t bufferMsRequest;         // stream buffer time of the next opens
};
extern StreamerState g_streamer;

// Lock 1 then lock 2, each after a yield; released in reverse order.
void Stream_LockBoth();
void Stream_UnlockBoth();
// True when `stream` is in the stream list (checked under lock 2).
bool Stream_IsListed(const SoundStream* stream);
// The channel playing the stream's ring, or null; leaves the last error alone.
SoundChannel* Stream_Channel(SoundStream* stream);
// Where the reader's data lies in the file and how its blocks decode.
void Stream_TakeDataLayout(SoundStream* stream, const SoundReaderInfo& info);
// Loop points in samples (end inclusive); points that leave nothing to loop inside the
// data mean the whole stream (0, 0).
void Stream_SetLoopPoints(SoundStream* stream, int start, int end);
// Stops the channel and clears the play state; true when the stream was playing.
bool Stream_StopCore(SoundStream* stream);
// Selects entry `index` of a bank stream that is not playing on; false with the last
// error set (the stream keeps its entry).
bool Stream_SelectSubStream(SoundStream* stream, int index, BOOL keepPlaying);
// Fills the half `halfIndex` of the ring and flips it.
void Stream_FillHalf(SoundStream* stream);
// Fires the sync points the play position has reached.
void Stream_SyncCheck(SoundStream* stream);
// Bytes of one output frame of the stream.
int Stream_FrameBytes(const SoundStream* stream);
