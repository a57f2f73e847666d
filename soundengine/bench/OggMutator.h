#pragma once
// Ogg Vorbis files mutated by their structure rather than their bytes: the pages and
// packets of a file are taken apart, the fields of its headers that size or count
// things are found bit by bit (rate, channels, block sizes, comment counts and lengths,
// codebook count, entries, dimensions, lengths, lookup type and values, floors, residue
// begin, end, partition size, classifications and books, mappings, submaps, modes), set
// on purpose to small, huge, just too large and zero values, packets and granules and
// segment tables edited, and the pages written again with their checksums. The
// load-bound benchmark loads each mutant alone, as an XM song's sample and inside an
// embedded-file bank.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "LoadBounds.h"

namespace oggmutate {

// A field of packet `packet`: `width` bits from bit `bit` (Vorbis packs least
// significant bit first), and what it counts or sizes.
struct Field {
  const char* what;
  size_t packet, bit;
  int width;
};

// The first logical stream of an Ogg file.
struct Stream {
  uint32_t serial = 0;
  std::vector<std::string> packets;
  std::vector<int64_t> granules;  // of the page a packet ends on when it is the last to end there, else -1
  std::vector<Field> fields;
  int channels = 0, modes = 0;
  std::vector<bool> longModes;    // per mode
};

Stream Parse(const std::string& file);

struct Mutant {
  std::string bytes;
  std::string what;  // the edits, for the report
};

// One to three edits of `seed`, pages written again and checksummed.
Mutant Mutate(const Stream& seed, std::mt19937& rng);

// Generates `count` mutants of the seeds (named files), each loaded alone, as an XM
// song's sample and in an embedded-file bank in turn; `starting` is told of each before
// it loads (so a crash can name it). Alone, a file opens as a song, a sample and a stream,
// each weighed and timed on its own. Prints what opened, the worst peak and the slowest
// open of each way (both saved), and returns how many opens passed the bound: 64 MB or 16
// times the file, and 1 s of processor time for a file under 4 MB.
int Run(const std::vector<std::pair<std::string, std::string>>& seeds, int count,
        const loadbound::Starting& starting);

}  // namespace oggmutate
