// Cue points and their labels, gathered during a RIFF walk and put into the sync list
// once at its end.
#include "format_wav_cue.h"

#include <algorithm>
#include <cstring>

#include "aural_engine.h"
#include "sound_alloc.h"
#include "system_file.h"

static constexpr char kSoundFileTag[] = "src/format_wav";

namespace {

constexpr int32_t kFirstLabelCapacity = 16;

void Name(SoundSyncPoint* p, SoundFile* f, const WavLabel& l) {
  char text[kSoundSyncNameSize] = {};
  AuralFile_Seek(f, l.textOffset, 0);
  const int got = AuralFile_Read(text, 1, l.textBytes, f);
  const size_t length = got > 0 ? strnlen(text, static_cast<size_t>(got)) : 0;
  std::memcpy(p->name, text, length);
  p->name[length] = 0;
}

}  // namespace

bool WavCues_AddPoint(WavCues* cues, uint32_t offset, uint32_t id) {
  return AuralSync_BatchAdd(&cues->points, offset, id, "") != nullptr;
}

bool WavCues_AddLabel(WavCues* cues, uint32_t id, int32_t textOffset, int32_t textBytes) {
  if (cues->labelCount == cues->labelCapacity) {
    const int64_t capacity = cues->labelCapacity > 0 ? int64_t{cues->labelCapacity} * 2 : kFirstLabelCapacity;
    void* grown = capacity * static_cast<int64_t>(sizeof(WavLabel)) > INT32_MAX
                      ? nullptr
                      : SoundMem_Realloc(cues->labels, sizeof(WavLabel) * static_cast<size_t>(capacity), kSoundFileTag);
    if (!grown) {
      SoundError_Set(kSoundErrNoMemory);
      return false;
    }
    cues->labels = static_cast<WavLabel*>(grown);
    cues->labelCapacity = static_cast<int32_t>(capacity);
  }
  const int32_t bytes = textBytes < kSoundSyncNameSize - 1 ? textBytes : kSoundSyncNameSize - 1;
  cues->labels[cues->labelCount++] = {id, cues->points.count, textOffset, bytes};
  return true;
}

bool WavCues_Finish(WavCues* cues, SoundFile* f, SoundSyncPoint* list) {
  const SoundSyncBatchEntry* e = cues->points.entries;
  const int32_t n = cues->points.count;
  bool ok = true;
  if (n > 0 && cues->labelCount > 0) {
    // The points by identifier, then by when they were made; for each, the one of its
    // identifier made so far that comes first in the list: the smallest offset, and of
    // equal offsets the latest made (it goes in before the others).
    auto* byId = static_cast<int32_t*>(SOUND_ALLOC(sizeof(int32_t) * static_cast<size_t>(n)));
    auto* first = static_cast<int32_t*>(SOUND_ALLOC(sizeof(int32_t) * static_cast<size_t>(n)));
    ok = byId && first;
    if (ok) {
      for (int32_t i = 0; i < n; ++i) byId[i] = i;
      const auto idOf = [&](int32_t i) { return e[i].point->id; };
      std::sort(byId, byId + n, [&](int32_t a, int32_t b) { return idOf(a) != idOf(b) ? idOf(a) < idOf(b) : a < b; });
      for (int32_t k = 0; k < n; ++k) {
        const int32_t i = byId[k];
        const bool sameId = k > 0 && idOf(byId[k - 1]) == idOf(i);
        first[k] = sameId && e[first[k - 1]].offset < e[i].offset ? first[k - 1] : i;
      }
      for (int32_t j = 0; j < cues->labelCount; ++j) {
        const WavLabel& l = cues->labels[j];
        // The last point of the label's identifier made before the label.
        const int32_t* end = std::lower_bound(byId, byId + n, l, [&](int32_t i, const WavLabel& label) {
          return idOf(i) != label.id ? idOf(i) < label.id : i < label.pointsBefore;
        });
        const int32_t k = static_cast<int32_t>(end - byId) - 1;
        if (k >= 0 && idOf(byId[k]) == l.id) Name(e[first[k]].point, f, l);
      }
    } else {
      SoundError_Set(kSoundErrNoMemory);
    }
    SOUND_FREE(byId);
    SOUND_FREE(first);
  }
  AuralSync_BatchMerge(&cues->points, list);
  return ok;
}

void WavCues_Free(WavCues* cues) {
  AuralSync_BatchFree(&cues->points);
  SOUND_FREE(cues->labels);
  *cues = WavCues{};
}
