#pragma once
// The structure-aware generators of the load-bound benchmark, one per reader (Ogg Vorbis
// apart): each writes a whole file of its kind field by field from random choices, with
// counts grown together with their records (lists of tens of thousands), and notes the
// fields that size, count or place things for the mutations to set.
#include <random>
#include <string>

#include "LoadBoundFields.h"

namespace structured {

// Real files the generators take frames and packets from (made by lame and ffmpeg).
struct Seeds {
  std::string mp3, wma;
};

FieldFile MakeWav(std::mt19937& rng);
FieldFile MakeAiff(std::mt19937& rng);
FieldFile MakeMp3(std::mt19937& rng, const Seeds& seeds);
FieldFile MakeMod(std::mt19937& rng);
FieldFile MakeS3m(std::mt19937& rng);
FieldFile MakeXm(std::mt19937& rng);
FieldFile MakeIt(std::mt19937& rng);
FieldFile MakeBank(std::mt19937& rng);
FieldFile MakeAsf(std::mt19937& rng, const Seeds& seeds);

}  // namespace structured
