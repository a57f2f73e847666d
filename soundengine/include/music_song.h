#pragma once
// Tracker songs: a song file (MOD, S3M; XM, IT and sample banks join the same loader
// chain) is read into a `MusicSong`; the music DSP unit ticks every playing song and
// renders the engine channels its voices own.
//
// Error style: as the rest of the engine (`SoundError`); readers return 1 or 0 and
// error 10 means "not this format", which lets the next reader try.
// Threads: songs load on the loader thread, tick on the mixer thread (inside the DSP
// chain, under the mixer lock) and are started and stopped from any thread.
#include <windows.h>
#include <cstdint>

#include "aural_list.h"
#include "aural_sample.h"

struct SoundChannel;
struct MusicSong;

enum : uint8_t {
  kMusicFormatMod = 1,
  kMusicFormatS3m = 2,
  kMusicFormatXm = 3,
  kMusicFormatIt = 4,
  kMusicFormatBank = 6,
};

// Pending changes of a voice, carried out by the apply step.
enum : uint8_t {
  kVoiceFrequency = 0x01,
  kVoiceVolume = 0x02,
  kVoicePan = 0x04,
  kVoiceStart = 0x08,
  kVoiceStop = 0x20,
};

constexpr int kMusicOrderSlots = 256;
constexpr int kMusicMaxChannels = 64;
constexpr int kMusicPeriodNotes = 132;      // notes 1..132, twelve per octave
constexpr int kMusicCallbackSlots = 256;
constexpr uint8_t kMusicNoteCut = 0xFF;     // a cell's note-cut code (S3M)
constexpr uint8_t kMusicNoInstrument = 0xFF;
// Engine initialisation flag: song callbacks run at once instead of when the output
// plays the block they belong to.
constexpr uint32_t kMusicInitImmediateCallbacks = 0x80;

struct MusicCell {
  uint8_t note;        // 0 none, 1..132, or a format's cut / off code
  uint8_t instrument;  // 0 none, else sample or instrument number + 1
  uint8_t volume;      // 0 none, else the volume-column byte + 1
  uint8_t effect;
  uint8_t param;
};
static_assert(sizeof(MusicCell) == 5, "a cell is five bytes");

struct MusicPattern {
  int32_t rows;
  MusicCell* cells;    // rows x channelCount, row by row
};

// One envelope's progress on a voice (instrument formats).
struct MusicEnvelopeState {
  int32_t tick;        // ticks since the envelope started
  int32_t index;       // the point it heads for
  int32_t value;       // 16.16
  int32_t slope;       // per tick, 16.16
  int32_t current;     // value as used: volume 0..64, pan and pitch around their centre
  uint8_t done;
};
enum : int { kEnvelopeVolume = 0, kEnvelopePan = 1, kEnvelopePitch = 2, kEnvelopeKinds = 3 };

struct MusicVoice {
  SoundLink link;      // in the owning channel's `voices`
  SoundChannel* channel;
  int32_t handle;
  int32_t index;
  uint8_t flags;
  int32_t period;
  int32_t volume;      // 0..64
  int32_t pan;         // 0..255 (IT: 0..64)
  int32_t volumeDelta;
  int32_t periodDelta;
  // Envelope and fade state of the instrument formats.
  MusicEnvelopeState envelopes[kEnvelopeKinds];
  uint8_t envelopeOn[kEnvelopeKinds];
  int32_t fadeVolume;
  uint8_t keyOff, fading;
  int32_t autoVibratoPos, autoVibratoSweep;
  // IT: a voice plays on after its channel moved on (new-note actions), so it keeps
  // what it plays.
  SoundSample* sample;
  const void* instrument;
  int32_t note;          // the cell's note, 0-based
  int32_t sampleNumber;  // 1-based, 0 none
  int32_t globalVolume;  // sample x instrument global volume, 0..64
  int32_t channelVolume; // the channel's volume when the voice went to the background
  int32_t baseRate;
  uint8_t newNoteAction;
  uint8_t background;
  uint8_t surround;
};

struct MusicChannel {
  SoundLink voices;    // the first is the current voice
  uint8_t instrument;  // current sample index, kMusicNoInstrument before the first
  uint8_t note;
  int32_t period;      // of the current note; tone portamento aims at it
  uint8_t effect;
  uint8_t volumeSlideMemory, portaMemory, arpeggioMemory, tremorMemory, retrigMemory;
  int32_t offsetMemory;
  int32_t portaTarget;
  uint8_t portaSpeed;
  int8_t vibratoPos;
  uint8_t vibratoSpeed, vibratoDepth;
  int8_t tremoloPos;
  uint8_t tremoloSpeed, tremoloDepth;
  int32_t loopRow, loopCount;
  uint8_t waveControl;
  uint8_t tremorOn, tremorOff, tremorCount;
  uint8_t retrigStep, retrigInterval;
  MusicCell cell;              // this row's cell (note delays act on it later)
  int32_t rowVolume, rowPeriod;  // the voice's values before this row
  // Instrument formats.
  int32_t rowPan;
  uint8_t memory[12];          // further effect memories, numbered by each format
  const void* slot;            // XM: the instrument's sample slot the channel plays
  int32_t realNote;            // XM: note + the sample's relative note, 0-based
  int32_t channelVolume;       // IT: 0..64
  int32_t channelPan;          // IT: 0..64, 100 surround
  uint8_t highOffset;
  uint8_t vibratoKind;
  uint8_t panbrelloPos, panbrelloSpeed, panbrelloDepth, panbrelloWave;
  int32_t panbrelloDelta;
  uint8_t fineDelay;
  uint8_t portaReached;
};

typedef void (*MusicCallbackFn)(MusicSong* song, int param, int time, int entry);

struct MusicCallbackQueue {
  MusicCallbackFn function;
  int32_t step;
  uint8_t params[kMusicCallbackSlots];
  int32_t times[kMusicCallbackSlots];  // -1 = empty
  int32_t writeIndex, readIndex;
};

enum : int32_t {
  kMusicCallbackRow = 0,
  kMusicCallbackOrder = 1,
  kMusicCallbackZxx = 2,
  kMusicCallbackInstrument = 3,
};

struct MusicBlockLogEntry {
  uint8_t order, row;
  int32_t time;
};

typedef void (*MusicTickFn)(MusicSong* song);
typedef void (*MusicLoadCallback)(MusicSong* song, int reserved);

struct MusicSong {
  SoundLink link;              // the engine's song list
  SoundLink voiceList;         // engine channels this song owns; the music unit renders them
  uint8_t format;
  char name[28];
  MusicPattern* patterns;
  SoundSample** samples;
  void* instruments;
  MusicChannel* channels;
  int32_t tickSamplesLeft;
  int32_t tickSamples;
  int32_t orderCount;
  int32_t patternCount;
  int32_t patternsAllocated;
  int32_t instrumentCount;
  int32_t sampleCount;
  int32_t channelCount;
  int32_t defaultSpeed;
  int32_t defaultBpm;
  uint8_t defaultPan[kMusicMaxChannels];
  uint8_t defaultGlobalVolume;
  int32_t masterVolume;
  int32_t fadeStart;           // a new voice's fade volume (full volume in the format's fade scale); 0: 1024
  int32_t tempoScale;          // 256 = normal tempo
  int32_t panScale;            // 256 = full width
  int32_t globalVolume;
  uint8_t orderList[kMusicOrderSlots];
  uint16_t restartOrder;
  uint16_t formatFlags;
  uint8_t paused, playing, finished, looping;
  int32_t tick;
  int32_t speed;
  int32_t bpm;
  int32_t row;
  int32_t order;
  int32_t rowDelayTicks;
  int32_t nextRow;             // -1 none
  int32_t nextOrder;           // -1 none
  int32_t clock;               // 1/256 ms
  int32_t blockLogIndex;
  int32_t voiceLimit;
  int32_t quietVolume;
  MusicTickFn orderStep;
  MusicTickFn tickFunction;
  MusicBlockLogEntry* blockLog;
  MusicCallbackQueue* zxxCallback;
  MusicCallbackQueue* rowCallback;
  MusicCallbackQueue* orderCallback;
  MusicCallbackQueue* instrumentCallbacks[256];
  volatile uint8_t loaded;
  volatile uint8_t loadFailed;

  // Kept by this implementation beside the fields above.
  int32_t startGlobalVolume;   // the file's global volume, where the start begins
  int64_t position;            // output samples rendered since the start
  uint8_t jumpInRow;           // a position jump came earlier in this row
  int32_t delayRows;           // this row's pattern delay, in rows of the row's final speed
  MusicTickFn startFunction;   // a format's own channel state at the start (IT)
  struct LoadRequest {          // a queued background load
    SoundLoaderEntry entry;
    const void* source;
    uint32_t mode;
    int32_t offset, length;
    MusicLoadCallback callback;
  } request;
};

// Loads a song from a file name or (mode FromMemory) a memory block of `length` bytes
// into `song`, created zeroed by the caller. Mode 0x2 switches looping on, 0x1 off.
// Returns the song, or null (error 2, 9, 10, 11, 12).
MusicSong* Music_LoadSong(MusicSong* song, const void* nameOrMemory, uint32_t mode, int offset, int length,
                          const int* bankIndices, int bankIndexCount);
// Queues the load on the non-blocking loader; `loaded` or `loadFailed` is set and
// `callback` (when given) called on the loader thread.
BOOL Music_RequestLoad(MusicSong* song, const void* nameOrMemory, uint32_t mode, int offset, int length,
                       MusicLoadCallback callback);
// Stops the song, takes it off the song list and frees everything it holds; the
// record itself stays the caller's.
void Music_FreeSong(MusicSong* song);

// Puts a loaded song on the engine's song list and plays it from its first order at
// normal tempo and full width. Error 2 or 14.
BOOL Music_StartSong(MusicSong* song);
BOOL Music_StopSong(MusicSong* song);
int Music_SetLooping(MusicSong* song, BOOL on);
int Music_SetTempo(MusicSong* song, int bpm);
int Music_FinetuneRate(int finetune);

// Installs (function non-null) or removes a callback queue: kinds row, order and Zxx are
// song-wide, the instrument kind has one queue per `instrument` number. Rows and orders
// fire only on multiples of `step`.
BOOL Music_SetCallback(MusicSong* song, int kind, int instrument, MusicCallbackFn function, int step);
void Music_QueueCallback(MusicSong* song, int param, int kind);

MusicVoice* Music_AllocVoice(MusicSong* song, MusicChannel* channel, SoundSample* sample);
MusicVoice* Music_FreeVoice(MusicVoice* voice);

// The engine's walks over its songs: new tick lengths after initialisation, every song
// stopped (and the voices given up) at close, a freed sample forgotten by every song.
void Music_RetimeSongs();
void Music_CloseSongs();
void Music_ForgetSample(SoundSample* sample);
// The music DSP unit's work on one block (mixer lock held).
void Music_RenderSongs(void* buffer, int length);
