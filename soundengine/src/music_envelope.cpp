// What the instrument formats (XM, IT) share: envelopes, the signed sine and linear
// frequencies.
#include <cmath>

#include "music_player.h"

const int8_t kMusicSignedSine[256] = {
    0,   2,   3,   5,   6,   8,   9,   11,  12,  14,  16,  17,  19,  20,  22,  23,  24,  26,  27,  29,  30,  32,
    33,  34,  36,  37,  38,  39,  41,  42,  43,  44,  45,  46,  47,  48,  49,  50,  51,  52,  53,  54,  55,  56,
    56,  57,  58,  59,  59,  60,  60,  61,  61,  62,  62,  62,  63,  63,  63,  64,  64,  64,  64,  64,  64,  64,
    64,  64,  64,  64,  63,  63,  63,  62,  62,  62,  61,  61,  60,  60,  59,  59,  58,  57,  56,  56,  55,  54,
    53,  52,  51,  50,  49,  48,  47,  46,  45,  44,  43,  42,  41,  39,  38,  37,  36,  34,  33,  32,  30,  29,
    27,  26,  24,  23,  22,  20,  19,  17,  16,  14,  12,  11,  9,   8,   6,   5,   3,   2,
    0,   -2,  -3,  -5,  -6,  -8,  -9,  -11, -12, -14, -16, -17, -19, -20, -22, -23, -24, -26, -27, -29, -30, -32,
    -33, -34, -36, -37, -38, -39, -41, -42, -43, -44, -45, -46, -47, -48, -49, -50, -51, -52, -53, -54, -55, -56,
    -56, -57, -58, -59, -59, -60, -60, -61, -61, -62, -62, -62, -63, -63, -63, -64, -64, -64, -64, -64, -64, -64,
    -64, -64, -64, -64, -63, -63, -63, -62, -62, -62, -61, -61, -60, -60, -59, -59, -58, -57, -56, -56, -55, -54,
    -53, -52, -51, -50, -49, -48, -47, -46, -45, -44, -43, -42, -41, -39, -38, -37, -36, -34, -33, -32, -30, -29,
    -27, -26, -24, -23, -22, -20, -19, -17, -16, -14, -12, -11, -9,  -8,  -6,  -5,  -3,  -2,
};

namespace {

constexpr int kOctaveUnits = 768;
constexpr int kLinearBase = 535232;
constexpr int kOctaves = 32;

struct LinearTable {
  int32_t values[kOctaveUnits];
  LinearTable() {
    for (int i = 0; i < kOctaveUnits; ++i)
      values[i] = static_cast<int32_t>(std::floor(kLinearBase * std::pow(2.0, -i / static_cast<double>(kOctaveUnits))));
  }
};

// Takes the point `index` as the envelope's place: its value, and the slope to the next.
void EnterPoint(const MusicEnvelope& e, MusicEnvelopeState* s, int index) {
  s->value = e.y[index] * 65536;
  s->slope = 0;
  const int next = index + 1;
  if (next >= e.count) {
    s->index = e.count;
    s->done = 1;
    return;
  }
  const int dx = e.x[next] - e.x[index];
  s->slope = dx > 0 ? (e.y[next] - e.y[index]) * 65536 / dx : 0;
  s->index = next;
}

}  // namespace

int Music_LinearFrequency(int period) {
  static const LinearTable table;
  if (period < 1) period = 1;
  const int octave = period / kOctaveUnits;
  return octave >= kOctaves ? 0 : table.values[period % kOctaveUnits] >> octave;
}

void Music_CheckEnvelope(MusicEnvelope* e, int maxPoints) {
  if (e->count > maxPoints) e->count = static_cast<uint8_t>(maxPoints);
  if (e->count < 2) {
    e->flags = 0;
    return;
  }
  const int last = e->count - 1;
  if (e->loopEnd > last) e->loopEnd = static_cast<uint8_t>(last);
  if (e->loopStart > e->loopEnd) e->loopStart = e->loopEnd;
  if (e->sustainEnd > last) e->sustainEnd = static_cast<uint8_t>(last);
  if (e->sustainStart > e->sustainEnd) e->sustainStart = e->sustainEnd;
  // Points go forward in time; a point behind its predecessor is moved up to it.
  for (int i = 1; i < e->count; ++i)
    if (e->x[i] < e->x[i - 1]) e->x[i] = e->x[i - 1];
}

void Music_RestartEnvelope(MusicEnvelopeState* s, int value) {
  *s = MusicEnvelopeState{0, 0, value * 65536, 0, value, 0};
}

void Music_StepEnvelope(const MusicEnvelope& e, MusicEnvelopeState* s, bool keyHeld) {
  if (s->done || e.count < 2) return;
  const bool sustain = keyHeld && (e.flags & kEnvelopeSustains);
  // At most one pass over the points on one tick: points sharing an x never hang it.
  for (int steps = 0; s->index < e.count && steps <= e.count; ++steps) {
    if (s->tick != 0 && s->tick != e.x[s->index]) {
      s->value += s->slope;
      break;
    }
    int point = s->index;
    int from = -1, to = -1;
    if (sustain && point == e.sustainEnd) {
      from = e.sustainStart, to = e.sustainEnd;
    } else if ((e.flags & kEnvelopeLoops) && point == e.loopEnd) {
      from = e.loopStart, to = e.loopEnd;
    }
    if (from >= 0 && from == to) {
      s->value = e.y[point] * 65536;  // a loop of one point holds there
      s->current = e.y[point];
      return;
    }
    if (from >= 0) {
      point = from;
      s->tick = e.x[point];
    }
    EnterPoint(e, s, point);
    if (s->done || e.x[s->index] != s->tick) break;
  }
  s->current = s->value / 65536;
  ++s->tick;
}

void Music_SetEnvelopeTick(const MusicEnvelope& e, MusicEnvelopeState* s, int tick) {
  if (e.count < 2) return;
  int next = 0;
  while (next < e.count && e.x[next] < tick) ++next;
  if (next >= e.count) {
    s->index = e.count;
    s->value = e.y[e.count - 1] * 65536;
    s->slope = 0;
    s->done = 1;
  } else if (next == 0) {
    Music_RestartEnvelope(s, e.y[0]);
    s->tick = tick;
    return;
  } else {
    const int dx = e.x[next] - e.x[next - 1];
    s->slope = dx > 0 ? (e.y[next] - e.y[next - 1]) * 65536 / dx : 0;
    s->value = e.y[next - 1] * 65536 + s->slope * (tick - e.x[next - 1]);
    s->index = next;
    s->done = 0;
  }
  s->tick = tick;
  s->current = s->value / 65536;
}
