#pragma once
// The cue points of a RIFF walk and the labels that name them. Points are gathered as
// the walk meets them and labels noted with how many points came before each; at the end
// every label names the first of those points (in list order) with its identifier, and
// all the points go into the sync list together: one sort, however many the file holds.
#include <cstdint>

#include "aural_stream.h"

struct SoundFile;

struct WavLabel {
  uint32_t id;
  int32_t pointsBefore;            // cue points made before the label was read
  int32_t textOffset;              // where its text lies in the file
  int32_t textBytes;
};

struct WavCues {
  SoundSyncBatch points;
  WavLabel* labels;
  int32_t labelCount, labelCapacity;
};

// False without memory (error 12).
bool WavCues_AddPoint(WavCues* cues, uint32_t offset, uint32_t id);
bool WavCues_AddLabel(WavCues* cues, uint32_t id, int32_t textOffset, int32_t textBytes);
// Names the points and moves them into `list`; false without memory (error 12), when
// the points stay unnamed but still go into the list.
bool WavCues_Finish(WavCues* cues, SoundFile* file, SoundSyncPoint* list);
void WavCues_Free(WavCues* cues);
