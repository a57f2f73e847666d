#pragma once
// What the tracker readers and players share: the song image they parse, the period
// table, the voice apply step, the row step and the effects common to the formats.
#include <cstdint>
#include <cstring>

#include "aural_engine.h"
#include "music_song.h"

// The whole song source in memory; reads past the end give zeros and mark `overrun`.
struct MusicImage {
  const uint8_t* data;
  int64_t size;
  int64_t pos;
  bool overrun;

  bool Has(int64_t bytes) const { return bytes >= 0 && pos + bytes <= size; }
  void Seek(int64_t at) { pos = at < 0 ? 0 : at; }
  int64_t Left() const { return pos < size ? size - pos : 0; }
  uint8_t U8() {
    if (pos >= size) {
      overrun = true;
      ++pos;
      return 0;
    }
    return data[pos++];
  }
  uint16_t U16LE() {
    const uint16_t lo = U8();
    return static_cast<uint16_t>(lo | U8() << 8);
  }
  uint16_t U16BE() {
    const uint16_t hi = U8();
    return static_cast<uint16_t>(hi << 8 | U8());
  }
  uint32_t U32LE() {
    const uint32_t lo = U16LE();
    return lo | static_cast<uint32_t>(U16LE()) << 16;
  }
  // Copies `count` bytes (zeros past the end).
  void Bytes(void* out, int64_t count) {
    auto* o = static_cast<uint8_t*>(out);
    const int64_t have = Left() < count ? Left() : count;
    if (have > 0) std::memcpy(o, data + pos, static_cast<size_t>(have));
    if (have < count) {
      std::memset(o + (have > 0 ? have : 0), 0, static_cast<size_t>(count - (have > 0 ? have : 0)));
      overrun = true;
    }
    pos += count;
  }
};

// A format reader: 1 with the song filled, or 0 with the error set (10: not this format).
typedef int (*MusicReaderFn)(MusicSong* song, MusicImage* image);
int MusicMod_Load(MusicSong* song, MusicImage* image);
int MusicS3m_Load(MusicSong* song, MusicImage* image);
int MusicXm_Load(MusicSong* song, MusicImage* image);
int MusicIt_Load(MusicSong* song, MusicImage* image);
// A sample bank as a song; `indices` (when given) lists the bank samples to load.
int MusicBank_Load(MusicSong* song, const uint8_t* bytes, int64_t size, uint32_t mode, const int* indices,
                   int indexCount);

// Note periods, entry 1..132 (entry 0 unused), in four times the Amiga units.
extern const uint16_t kMusicPeriods[kMusicPeriodNotes + 1];
constexpr int kMusicAmigaClock = 14317056;  // frequency = clock / period
constexpr int kMusicBaseRate = 8363;
constexpr int kMusicPatternRows = 64;
constexpr int kMusicMaxVolume = 64;

// Period of a note (clamped to the table) for a sample's base rate; 0 keeps the plain entry.
int Music_NotePeriod(int note, int baseRate);
int Music_PeriodToFrequency(int period);

// Song building blocks for the readers (error 12 on failure).
bool Music_AllocChannels(MusicSong* song);
bool Music_AllocPatterns(MusicSong* song, int count);
bool Music_AllocSampleTable(MusicSong* song, int count);
// Gives a pattern `rows` empty rows (1..256).
bool Music_ResizePattern(MusicSong* song, int pattern, int rows);
MusicCell* Music_Cell(MusicSong* song, int pattern, int row, int channel);
// A song sample of `length` frames (unlisted, signed, no loop); an empty record for 0.
SoundSample* Music_CreateSample(int length, bool sixteenBit);
// Sample bytes a song may hold per byte of its file. Real modules hold at most about two
// and a half; samples that share their data stop here. (An IT sample whose data no other
// sample uses holds what its compressed blocks expand to, up to sixteen.)
constexpr int64_t kMusicSampleBytesPerFileByte = 8;
// Loop of `length` frames from `start` when `loops`, else none: points the engine cannot
// take (outside the data, too short) leave the sample without a loop.
void Music_SetSampleLoop(SoundSample* sample, bool loops, int start, int length);
// Writes `bytes` of file data into the sample as `sourceMode` (signed or unsigned).
bool Music_WriteSampleData(SoundSample* sample, const void* data, int bytes, uint32_t sourceMode);
// Clamps a volume from the file to 0..64.
inline int Music_ClampVolume(int v) { return v < 0 ? 0 : v > kMusicMaxVolume ? kMusicMaxVolume : v; }

// Placeholders: the voice of a channel without one, the sample of a cell naming none.
MusicVoice* Music_EmptyVoice();
SoundSample* Music_InvalidSample();
MusicVoice* Music_CurrentVoice(MusicChannel* channel);
SoundSample* Music_ChannelSample(MusicSong* song, const MusicChannel* channel);
// The voice of the channel, allocated for `sample` when the channel has none yet.
MusicVoice* Music_VoiceForNote(MusicSong* song, MusicChannel* channel, SoundSample* sample);

// The apply step: carries out a voice's pending changes on its engine channel, sending
// `outputVolume` (0..255) as the absolute volume. `addStop` is the MOD tick form of the
// quiet-voice rule.
void Music_ApplyVoice(MusicSong* song, MusicVoice* voice, SoundSample* sample, int outputVolume, bool addStop);
// The same with the pan (0..255, 128 the centre) and the frequency (0: none) worked out
// by the format.
void Music_ApplyVoiceOutput(MusicSong* song, MusicVoice* voice, SoundSample* sample, int outputVolume, int pan,
                            int frequency, bool addStop);

// The row step every format runs: at tick 0 the order and row move on and `row` runs
// (a pattern ends after its own rows), on other ticks `effects`; then the tick advances. `speedZeroEnds`: MOD and XM end the
// song at speed 0, S3M and IT make every tick a row.
void Music_RowStep(MusicSong* song, MusicTickFn row, MusicTickFn effects, bool speedZeroEnds);
int Music_PatternRows(const MusicSong* song);

// Shared effects. Periods move in four-times units.
void Music_Vibrato(MusicChannel* c, MusicVoice* v, bool fine);
void Music_Tremolo(MusicChannel* c, MusicVoice* v);
void Music_TonePortamento(MusicChannel* c, MusicVoice* v);
void Music_StartTonePortamento(MusicChannel* c, MusicVoice* v);
void Music_PositionJump(MusicSong* song, int order);
void Music_PatternBreak(MusicSong* song, int row);
void Music_PatternLoop(MusicSong* song, MusicChannel* c, int count);
// The vibrato wave (0..255) at `position` for the waveform in the low bits of `waveControl`.
int Music_VibratoWave(int waveControl, int position);
// Remembers a nonzero parameter and returns the memory.
inline uint8_t Music_Remember(uint8_t& memory, int param) {
  if (param) memory = static_cast<uint8_t>(param);
  return memory;
}
// Volume slide by x up, else y down (0..64).
void Music_VolumeSlide(MusicVoice* v, int param);
// Tremor: on x + 1 ticks, off y + 1 (S3M I, XM T), and its step on a tick.
void Music_SetTremor(MusicChannel* c, int param);
void Music_Tremor(MusicChannel* c, MusicVoice* v);
// Retrigger memory: volume step x, interval y.
void Music_SetRetrigger(MusicChannel* c, int param);
// The row after this one when no effect chose it: the next order past the pattern's end,
// the restart order (song finished) past the last order.
void Music_AdvanceRow(MusicSong* song, int rows);
// Resets vibrato and tremolo positions unless the wave control keeps them.
void Music_ResetWavePositions(MusicChannel* c);
void Music_SetVibratoWave(MusicChannel* c, int wave);
void Music_SetTremoloWave(MusicChannel* c, int wave);
// What every format does first with a channel's cell: the voice's volume and period are
// kept (note delays go back to them), a sample byte selects the sample and queues its
// callback, a tremolo that ends leaves the volume where it got to, the cell's effect
// becomes the channel's, and the voice's offsets and pending changes start afresh.
// Returns the channel's current voice; `sample` receives the channel's sample.
MusicVoice* Music_StartChannelRow(MusicSong* song, MusicChannel* c, const MusicCell& cell, uint8_t tremoloEffect,
                                  SoundSample** sample);
// A note: the channel's voice (allocated when it has none), the note's period for the
// sample, the channel's pan, and a start; tone portamento leaves the voice's period.
MusicVoice* Music_StartNote(MusicSong* song, int index, SoundSample* sample, int note, bool tonePortamento);
// A delayed note at its tick (none when the cell has no note): a start at the channel's
// period and pan.
MusicVoice* Music_StartDelayedNote(MusicSong* song, int index, SoundSample* sample);
// The period offset of an arpeggio at this tick, for `note` (1..132) and the sample.
int Music_ArpeggioDelta(const MusicSong* song, int note, int param, int baseRate);

// A note cut at tick `at`: the voice falls silent.
void Music_CutAtTick(const MusicSong* song, MusicVoice* v, int at);

// Runs `cellRow` for every channel's cell of the current row.
typedef void (*MusicCellFn)(MusicSong* song, int index, const MusicCell& cell);
void Music_PlayRow(MusicSong* song, MusicCellFn cellRow);
// A later tick: every channel's current voice loses its offsets and pending changes,
// then `channelTick` runs.
typedef void (*MusicChannelTickFn)(MusicSong* song, int index, MusicChannel* c, MusicVoice* v);
void Music_PlayTickEffects(MusicSong* song, MusicChannelTickFn channelTick);
// The apply step for every voice of a channel, with the format's output volume.
typedef int (*MusicVolumeFn)(const MusicSong* song, const MusicVoice* v);
void Music_ApplyChannel(MusicSong* song, MusicChannel* c, MusicVolumeFn volume, bool addStop);

// The song list and its lock (the mixer lock, when the engine has one).
// The engine's song list (walk it with the lock held).
SoundLink* Music_SongList();
void Music_LockSongs();
void Music_UnlockSongs();

// Envelopes of the instrument formats: points {x in ticks, y}, an optional loop and an
// optional sustain loop (a sustain loop of one point holds there while the key is down).
constexpr int kMusicEnvelopePoints = 25;
enum : uint8_t { kEnvelopeEnabled = 0x01, kEnvelopeLoops = 0x02, kEnvelopeSustains = 0x04, kEnvelopeCarries = 0x08 };
struct MusicEnvelope {
  uint8_t flags;
  uint8_t count;       // 2..25 when enabled
  uint8_t loopStart, loopEnd, sustainStart, sustainEnd;
  uint16_t x[kMusicEnvelopePoints];
  int16_t y[kMusicEnvelopePoints];
};
// Checks points and indexes against the envelope's arrays; an envelope that cannot play
// is switched off.
void Music_CheckEnvelope(MusicEnvelope* envelope, int maxPoints);
void Music_RestartEnvelope(MusicEnvelopeState* state, int value);
// One tick of the envelope: the value moves along its points, loops, and holds at a
// sustain point while `keyHeld`.
void Music_StepEnvelope(const MusicEnvelope& envelope, MusicEnvelopeState* state, bool keyHeld);
// Jumps to `tick`: the value of the segment it falls in, done at or past the last point.
void Music_SetEnvelopeTick(const MusicEnvelope& envelope, MusicEnvelopeState* state, int tick);

// The 256-entry signed sine (-64..64) of auto-vibrato and panbrello.
extern const int8_t kMusicSignedSine[256];
// Linear frequencies: 768 period units an octave, period 0 = 535232 Hz.
int Music_LinearFrequency(int period);
