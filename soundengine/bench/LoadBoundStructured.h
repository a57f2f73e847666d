#pragma once
// The load-bound benchmark's structure-aware part: for every reader but Ogg Vorbis
// (WAV, AIFF, MPEG audio, MOD, S3M, XM, IT, sample banks, WMA) 2000 files (or as many as
// LOAD_BOUND_STRUCTURED says) written field by field, three in four with fields set to
// lie, each loaded every way its kind allows (a song, a sample, a stream; a bank's stream
// switching entries; WMA through the ASF reader and the codec, read to its end). Per
// reader: the share that opened, the worst peak, the slowest open and the slowest load,
// each with its file and what was set in it, and the files over the bounds: 64 MB or 16
// times the file, whichever is larger; a second of the loading thread for a stream open
// (or an entry switch) of a file under 4 MB, 10 s for a song or sample loaded whole. A
// `starting` is told of each file before it loads (the bench's crash and hang reports).
// The engine must be initialised; the .mp3 and .wma files among `files` are the seeds of
// their readers.
#include <string>
#include <vector>

#include "LoadBounds.h"

namespace loadbound {

// The number of files over a bound.
int RunStructured(const std::vector<std::string>& files, const Starting& starting);

}  // namespace loadbound
