#include "WavFormat.h"

namespace wav {

FormatRecord FormatRecord::Decode(const uint8_t (&bytes)[kFormatRecordBytes]) {
    FormatRecord f;
    f.formatTag = Le16(bytes);
    f.channels = Le16(bytes + 2);
    f.samplesPerSec = Le32(bytes + 4);
    f.avgBytesPerSec = Le32(bytes + 8);
    f.blockAlign = Le16(bytes + 12);
    f.bitsPerSample = Le16(bytes + 14);
    return f;
}

void FormatRecord::Encode(uint8_t (&bytes)[kFormatRecordBytes]) const {
    PutLe16(bytes, formatTag);
    PutLe16(bytes + 2, channels);
    PutLe32(bytes + 4, samplesPerSec);
    PutLe32(bytes + 8, avgBytesPerSec);
    PutLe16(bytes + 12, blockAlign);
    PutLe16(bytes + 14, bitsPerSample);
}

}  // namespace wav
