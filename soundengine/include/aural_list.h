#pragma once
// Circular doubly linked list with a sentinel head; channels and DSP units start with
// these two links so a record and its list node share one address.
struct SoundLink {
  SoundLink* next;
  SoundLink* prev;
};

inline void SoundLink_Init(SoundLink* head) { head->next = head->prev = head; }
inline bool SoundLink_Empty(const SoundLink* head) { return head->next == head; }
inline bool SoundLink_Linked(const SoundLink* node) { return node->next != nullptr; }
inline void SoundLink_Remove(SoundLink* node) {
  if (!node->next) return;
  node->prev->next = node->next;
  node->next->prev = node->prev;
  node->next = node->prev = nullptr;
}
// Unlinks `node` but leaves its own links, so a reader standing on it (the mixer
// walking the DSP chain) still finds its way back into the list.
inline void SoundLink_Detach(SoundLink* node) {
  node->prev->next = node->next;
  node->next->prev = node->prev;
}
// Links `node` in front of `before` (at the tail when `before` is the head). The node's
// own links are set first, so a reader walking forwards never sees a half-linked node.
inline void SoundLink_InsertBefore(SoundLink* before, SoundLink* node) {
  node->next = before;
  node->prev = before->prev;
  before->prev->next = node;
  before->prev = node;
}
