#include "AcmConverter.h"

#include "AudioCodec.h"

MMRESULT AcmConverter::Open(const WAVEFORMATEX* source, const WAVEFORMATEX* destination) {
    Close();
    return acmStreamOpen(&stream_, nullptr, const_cast<WAVEFORMATEX*>(source), const_cast<WAVEFORMATEX*>(destination),
                         nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
}

void AcmConverter::Close() {
    if (stream_) acmStreamClose(stream_, 0);
    stream_ = nullptr;
}

bool AcmConverter::DestinationSize(uint32_t sourceBytes, uint32_t* destinationBytes) const {
    DWORD bytes = 0;
    if (!stream_ || acmStreamSize(stream_, sourceBytes, &bytes, ACM_STREAMSIZEF_SOURCE) != 0) return false;
    *destinationBytes = bytes;
    return true;
}

int AcmConverter::Convert(const void* source, uint32_t sourceBytes, void* destination, uint32_t destinationBytes,
                          uint32_t* used) {
    *used = 0;
    if (!stream_) return AudioCodec::kCannotOpen;
    ACMSTREAMHEADER header = {};
    header.cbStruct = sizeof header;
    header.pbSrc = static_cast<LPBYTE>(const_cast<void*>(source));
    header.cbSrcLength = sourceBytes;
    header.pbDst = static_cast<LPBYTE>(destination);
    header.cbDstLength = destinationBytes;
    if (acmStreamPrepareHeader(stream_, &header, 0) != 0) return AudioCodec::kCannotOpen;
    if (acmStreamConvert(stream_, &header, ACM_STREAMCONVERTF_BLOCKALIGN) != 0) {
        acmStreamUnprepareHeader(stream_, &header, 0);
        return AudioCodec::kReadWriteFailed;
    }
    if (acmStreamUnprepareHeader(stream_, &header, 0) != 0) return AudioCodec::kReadWriteFailed;
    *used = header.cbDstLengthUsed;
    return AudioCodec::kOk;
}
