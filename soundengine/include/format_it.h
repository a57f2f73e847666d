#pragma once
// IT sample decompression (IT 2.14 and 2.15 data): blocks of variable-width sample
// differences, integrated once (2.14) or twice (2.15).
#include <cstdint>

// Decompresses `sampleCount` samples from `source` (`sourceBytes` long) into
// `destination` (zeroed first). 1 on success; 0 on damaged data or without memory, the
// samples produced until then kept.
int ItSample_Decompress8(const void* source, int64_t sourceBytes, int8_t* destination, int sampleCount, bool it215);
int ItSample_Decompress16(const void* source, int64_t sourceBytes, int16_t* destination, int sampleCount, bool it215);
// The most samples that `sourceBytes` of compressed data can decompress to, at most
// `wanted`: a walk over the block headers, at most one sample per bit of each block.
// `usedBytes` (when given) receives the bytes of the blocks those samples come from.
int64_t ItSample_MaxFrames(const void* source, int64_t sourceBytes, bool sixteenBit, int64_t wanted = INT64_MAX,
                           int64_t* usedBytes = nullptr);
