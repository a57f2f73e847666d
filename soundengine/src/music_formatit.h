#pragma once
// IT songs: what the reader leaves for the player. Patterns stay packed (their bytes in
// the pattern's cell block, after a 32-bit length) and are unpacked one row at a time.
#include "music_player.h"

constexpr int kItChannels = 64;
constexpr int kItNotes = 120;
constexpr int kItEnvelopeNodes = 25;
constexpr uint8_t kItNoteCut = 254;   // cell codes as stored (a note is stored plus one)
constexpr uint8_t kItNoteOff = 255;
constexpr uint8_t kItChannelMuted = 0x80;
constexpr uint8_t kItSurroundPan = 100;
constexpr int32_t kItFullFade = 1024;  // a voice's fade volume before any fade-out

enum : uint16_t {
  kItUseInstruments = 0x04,
  kItLinearSlides = 0x08,
  kItOldEffects = 0x10,
  kItSeparatePortaMemory = 0x20,
};
enum : uint8_t { kItActionCut = 0, kItActionContinue = 1, kItActionOff = 2, kItActionFade = 3 };

struct ItInstrument {
  uint8_t newNoteAction, duplicateType, duplicateAction;
  int32_t fadeOut;
  int8_t pitchPanSeparation;
  uint8_t pitchPanCentre;
  uint8_t globalVolume;       // 0..128
  uint8_t defaultPan;         // bit 0x80: not used
  uint8_t map[kItNotes][2];   // {note, sample number}
  MusicEnvelope envelopes[kEnvelopeKinds];  // y: volume 0..64, pan and pitch -32..32
};

struct ItSampleInfo {
  uint8_t globalVolume;       // 0..64
  uint8_t defaultPan;         // bit 0x80: used
  uint8_t vibratoSpeed, vibratoDepth, vibratoRate, vibratoType;
  int32_t c5Speed;
};

// The song's IT data, one block (instruments, sample data, the row cursor).
struct ItSongData {
  ItInstrument* instruments;
  ItSampleInfo* sampleInfo;
  uint16_t compatibleVersion;
  uint8_t channelVolume[kItChannels];
  // The row cursor over the current pattern.
  int32_t cursorPattern, cursorRow;
  int64_t cursorPos;
  uint8_t lastMask[kItChannels];
  MusicCell lastCell[kItChannels];
  MusicCell row[kItChannels];
};

inline ItSongData* ItData(MusicSong* song) { return static_cast<ItSongData*>(song->instruments); }
inline bool ItInstrumentMode(const MusicSong* song) { return (song->formatFlags & kItUseInstruments) != 0; }

// Packed bytes of a pattern.
inline const uint8_t* ItPackedBytes(const MusicPattern& p, uint32_t* length) {
  if (!p.cells) {
    *length = 0;
    return nullptr;
  }
  const auto* block = reinterpret_cast<const uint8_t*>(p.cells);
  std::memcpy(length, block, sizeof(*length));
  return block + sizeof(*length);
}

// The player's tick function and order step.
void MusicIt_Start(MusicSong* song);
void MusicIt_Tick(MusicSong* song);
void MusicIt_OrderStep(MusicSong* song);
