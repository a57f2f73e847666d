#pragma once
// Mixer inner loops: add every playing channel of a list into a block of 32-bit mix
// elements (stereo: left, right pairs), resampling by each channel's step and following
// its sample's loop. Called with the mixer lock held. Nothing is allocated.
#include <cstdint>
#include "aural_list.h"

struct SoundChannel;

void SoundMix_ClearStereo(void* buffer, int length);
void SoundMix_ClearMono(void* buffer, int length);
void SoundMix_MixStereo(void* buffer, SoundLink* channels, int length);
void SoundMix_MixStereoQuality(void* buffer, SoundLink* channels, int length);
void SoundMix_MixMono(void* buffer, SoundLink* channels, int length);
void SoundMix_MixMonoQuality(void* buffer, SoundLink* channels, int length);
// The per-sample reference loops the functions above must match sample for sample (they
// use vector loops where the processor has them); for tests and benchmarks.
void SoundMix_MixStereoScalar(void* buffer, SoundLink* channels, int length);
void SoundMix_MixStereoQualityScalar(void* buffer, SoundLink* channels, int length);
void SoundMix_MixMonoScalar(void* buffer, SoundLink* channels, int length);
void SoundMix_MixMonoQualityScalar(void* buffer, SoundLink* channels, int length);
// The vector loops the mixers use: the widest the processor and its system run, unless
// narrowed to SSE2 (tests and benchmarks compare the two). SoundMix_UseVector returns the
// loops in force from the next mix on.
enum SoundMixVector { kSoundMixSse2 = 1, kSoundMixAvx2 = 2 };
int SoundMix_WidestVector(void);
int SoundMix_UseVector(int vector);
// Peak levels the channel would add over `length` output samples, without mixing or
// moving it, on the mix buffer's scale.
void SoundMix_GetLevels(const SoundChannel* channel, int length, int* left, int* right);

// Saturate 32-bit accumulators to 16-bit samples.
void SoundMix_Clip16Stereo(int16_t* output, const int32_t* accumulators, int frames);
void SoundMix_Clip16Mono(int16_t* output, const int32_t* accumulators, int samples);

typedef void (*SoundMixClearFn)(void* buffer, int length);
typedef void (*SoundMixFn)(void* buffer, SoundLink* channels, int length);
typedef void (*SoundMixClipFn)(int16_t* output, const int32_t* accumulators, int count);
