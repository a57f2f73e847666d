#pragma once
// Engine-side hooks of the streamer (the stream records themselves come with streams).
#include <windows.h>

// Starts the streamer: the "Aural Streamer thread" and the two stream locks, or, with
// kSoundInitNoStreamerThread, nothing (Aural_Update drives the passes).
BOOL AuralStream_StartThread();
void AuralStream_StopThread();
// One pass over every stream.
void AuralStream_UpdateAll(int elapsedMs);
HANDLE AuralStream_ThreadHandle();
