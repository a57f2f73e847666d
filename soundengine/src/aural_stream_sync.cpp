// Sync point lists: sentinels "head" and "tail", points in ascending offset order.
#include <algorithm>
#include <cstring>

#include "aural_engine.h"
#include "aural_stream.h"
#include "sound_alloc.h"

static constexpr char kSoundFileTag[] = "src/aural_stream";
static constexpr char kHeadName[] = "head";
static constexpr char kTailName[] = "tail";
static constexpr uint32_t kTailOffset = 0xFFFFFFFF;
static constexpr int32_t kFirstBatchCapacity = 16;

static SoundSyncPoint* NewPoint(uint32_t offset, uint32_t id, const char* name) {
  auto* p = static_cast<SoundSyncPoint*>(SOUND_CALLOC(sizeof(SoundSyncPoint)));
  if (!p) return nullptr;
  p->offset = offset;
  p->id = id;
  if (name) std::strncpy(p->name, name, kSoundSyncNameSize - 1);
  return p;
}

static void LinkBefore(SoundSyncPoint* at, SoundSyncPoint* point) {
  point->prev = at->prev;
  point->next = at;
  at->prev->next = point;
  at->prev = point;
}

SoundSyncPoint* AuralSync_InitList() {
  SoundSyncPoint* head = NewPoint(0, 0, kHeadName);
  SoundSyncPoint* tail = NewPoint(kTailOffset, 0, kTailName);
  if (!head || !tail) {
    SOUND_FREE(head);
    SOUND_FREE(tail);
    return nullptr;
  }
  head->next = tail;
  tail->prev = head;
  head->prev = tail;
  return head;
}

SoundSyncPoint* AuralSync_Tail(SoundSyncPoint* list) {
  if (list && list->prev && !list->prev->next) return list->prev;
  SoundSyncPoint* p = list;
  while (p && p->next) p = p->next;
  return p;
}

SoundSyncPoint* AuralSync_Add(SoundSyncPoint* list, uint32_t offset, uint32_t id, const char* name) {
  if (!list) return nullptr;
  SoundSyncPoint* point = NewPoint(offset, id, name);
  if (!point) return nullptr;
  // Before the first point of equal or greater offset: behind the last of smaller offset.
  SoundSyncPoint* at = AuralSync_Tail(list);
  while (at->prev != list && at->prev->offset >= offset) at = at->prev;
  LinkBefore(at, point);
  return point;
}

void AuralSync_FreeAll(SoundSyncPoint* list) {
  while (list) {
    SoundSyncPoint* next = list->next;
    SOUND_FREE(list);
    list = next;
  }
}

SoundSyncPoint* AuralSync_SeekCursor(SoundSyncPoint* list, uint32_t position) {
  if (!list) return nullptr;
  SoundSyncPoint* cursor = list;
  while (cursor->next && cursor->next->next && cursor->next->offset < position) cursor = cursor->next;
  return cursor;
}

SoundSyncPoint* AuralSync_BatchAdd(SoundSyncBatch* batch, uint32_t offset, uint32_t id, const char* name) {
  if (batch->count == batch->capacity) {
    const int64_t capacity = batch->capacity > 0 ? int64_t{batch->capacity} * 2 : kFirstBatchCapacity;
    void* grown = capacity * static_cast<int64_t>(sizeof(SoundSyncBatchEntry)) > INT32_MAX
                      ? nullptr
                      : SoundMem_Realloc(batch->entries, sizeof(SoundSyncBatchEntry) * static_cast<size_t>(capacity),
                                         kSoundFileTag);
    if (!grown) {
      SoundError_Set(kSoundErrNoMemory);
      return nullptr;
    }
    batch->entries = static_cast<SoundSyncBatchEntry*>(grown);
    batch->capacity = static_cast<int32_t>(capacity);
  }
  SoundSyncPoint* point = NewPoint(offset, id, name);
  if (!point) {
    SoundError_Set(kSoundErrNoMemory);
    return nullptr;
  }
  batch->entries[batch->count] = {offset, batch->count, point};
  ++batch->count;
  return point;
}

void AuralSync_BatchMerge(SoundSyncBatch* batch, SoundSyncPoint* list) {
  SoundSyncBatchEntry* e = batch->entries;
  const int32_t n = batch->count;
  // One by one, a later point of equal offset would go before the earlier ones, and every
  // new point before the list's points of its offset.
  std::sort(e, e + n, [](const SoundSyncBatchEntry& a, const SoundSyncBatchEntry& b) {
    return a.offset != b.offset ? a.offset < b.offset : a.order > b.order;
  });
  SoundSyncPoint* tail = AuralSync_Tail(list);
  SoundSyncPoint* at = list->next;
  for (int32_t i = 0; i < n; ++i) {
    while (at != tail && at->offset < e[i].offset) at = at->next;
    LinkBefore(at, e[i].point);
  }
  batch->count = 0;
}

void AuralSync_BatchFree(SoundSyncBatch* batch) {
  for (int32_t i = 0; i < batch->count; ++i) SOUND_FREE(batch->entries[i].point);
  SOUND_FREE(batch->entries);
  *batch = SoundSyncBatch{};
}
