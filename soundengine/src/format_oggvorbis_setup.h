#pragma once
// A Vorbis setup header read before the decoder takes it in: what its codebooks, floors,
// residues, mappings and modes make the decoder allocate, and whether an encoder could
// have meant it. The decoder builds its tables from these headers without bounds of its
// own: a 12-byte codebook asks for 32 MB, a codebook of 2^18 entries overflows the stack
// once decoding starts (12 bytes a used entry), and a lookup codebook of no dimensions
// never finishes building.
#include <cstddef>
#include <cstdint>

enum class VorbisSetupVerdict {
  kSound,      // the decoder may take it in
  kMalformed,  // the decoder refuses it itself
  kRefused,    // taken in, it builds tables larger than encoders ask for, or never ends
};

// What the identification header of the same link says.
struct VorbisStreamShape {
  int channels;
  int blocksizes[2];
};

struct VorbisSetupCost {
  int64_t headerBytes;  // held from the headers on (codebooks as read, floors, residues, ...)
  int64_t tableBytes;   // built when decoding starts and held until the decoder is cleared
  int64_t stackBytes;   // the most the decoder reserves on the stack while it builds them
  int64_t Heap() const { return headerBytes + tableBytes; }
};

// What encoders write stays far below these (oggenc's books have at most 6,561 entries of
// 8 dimensions; its stereo setups cost the decoder about 250 KB, six channels 700 KB);
// ffmpeg takes no codebook of more entries, nor lookup codebooks of more dimensions.
constexpr int32_t kVorbisMaxBookEntries = 1 << 16;
constexpr int32_t kVorbisMaxLookupDimensions = 16;

// `packet` is the whole setup header (packet type 5 and "vorbis" first). It is refused
// once what it asks of the heap passes `limit` bytes. `cost` is filled as far as the header was
// read, so a header refused on the way still says what it had asked for.
VorbisSetupVerdict VorbisSetup_Check(const uint8_t* packet, size_t size, const VorbisStreamShape& shape,
                                     int64_t limit, VorbisSetupCost* cost);

// What the decoder holds for a comment header (packet type 3): the vendor, the comments
// and their tables; 0 for a header it refuses.
int64_t VorbisSetup_CommentBytes(const uint8_t* packet, size_t size);
