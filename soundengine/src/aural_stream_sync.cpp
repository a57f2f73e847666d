// Sync point lists: sentinels "head" and "tail", points in ascending offset order.
#include <cstring>

#include "aural_stream.h"
#include "sound_alloc.h"

static constexpr char kSoundFileTag[] = "src/aural_stream";
static constexpr char kHeadName[] = "head";
static constexpr char kTailName[] = "tail";
static constexpr uint32_t kTailOffset = 0xFFFFFFFF;

static SoundSyncPoint* NewPoint(uint32_t offset, uint32_t id, const char* name) {
  auto* p = static_cast<SoundSyncPoint*>(SOUND_CALLOC(sizeof(SoundSyncPoint)));
  if (!p) return nullptr;
  p->offset = offset;
  p->id = id;
  if (name) std::strncpy(p->name, name, kSoundSyncNameSize - 1);
  return p;
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
  return head;
}

SoundSyncPoint* AuralSync_Tail(SoundSyncPoint* list) {
  SoundSyncPoint* p = list;
  while (p && p->next) p = p->next;
  return p;
}

SoundSyncPoint* AuralSync_Add(SoundSyncPoint* list, uint32_t offset, uint32_t id, const char* name) {
  if (!list) return nullptr;
  SoundSyncPoint* point = NewPoint(offset, id, name);
  if (!point) return nullptr;
  // Behind every point of smaller offset, before the first of equal or greater (the
  // tail is always greater or equal, so it stays last).
  SoundSyncPoint* at = list->next;
  while (at->next && at->offset < offset) at = at->next;
  point->prev = at->prev;
  point->next = at;
  at->prev->next = point;
  at->prev = point;
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
