#pragma once
// Tags of sound files: ID3v1 blocks and ID3v2 tags (at the start and at the end of a
// file) and Vorbis comments, kept as a singly linked list in reading order that a
// stream owns. Failures: error 11 for a short read, 12 for memory, 14 for bad arguments.
#include <windows.h>
#include <cstdint>

struct SoundFile;

enum SoundTagType : int32_t {
  kSoundTagVorbisComment = 0,
  kSoundTagId3v1 = 1,
  kSoundTagId3v2 = 2,
  kSoundTagAnyType = -1,           // SoundTag_Find only
};

// One block per tag: the name and the data are stored behind these fields.
struct SoundTag {
  SoundTag* next;
  int32_t type;
  char* name;
  void* data;
  int32_t length;                  // bytes of data
};

// Appends the tags at the end and at the start of the file (end tags first) and leaves
// the file behind the last leading tag. False with error 11 when a read came short;
// the tags read so far stay in the list.
BOOL SoundTag_ReadFileTags(SoundFile* file, SoundTag** list);
// Leaves the file at the first byte behind the leading ID3v1 and ID3v2 tags.
BOOL SoundTag_SkipLeading(SoundFile* file);
// Copies `name` and `length` bytes of `data` into one block appended to the list.
BOOL SoundTag_Add(int type, const char* name, const void* data, int length, SoundTag** list);
// Each "NAME=value" comment becomes a Vorbis comment tag; others are passed over.
BOOL SoundTag_AddComments(char* const* comments, int count, SoundTag** list);
// The first tag named `name` (A-Z compared without case) of `type` (or any type).
BOOL SoundTag_Find(const SoundTag* list, const char* name, int type, const void** data, int* length);
// Frees every tag and empties the list; error 14 when there is none.
BOOL SoundTag_FreeList(SoundTag** list);
