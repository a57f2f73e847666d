#pragma once
// One stream of the platform's Audio Compression Manager, closed in one place, with the
// conversion of one buffer of whole blocks that the compressed WAV codecs use both ways.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <cstdint>

class AcmConverter {
public:
    AcmConverter() = default;
    ~AcmConverter() { Close(); }
    AcmConverter(const AcmConverter&) = delete;
    AcmConverter& operator=(const AcmConverter&) = delete;

    // Non-realtime, no driver, filter or callback; the ACM's result.
    MMRESULT Open(const WAVEFORMATEX* source, const WAVEFORMATEX* destination);
    void Close();
    bool IsOpen() const { return stream_ != nullptr; }
    // Destination bytes the ACM needs for sourceBytes; false when it cannot tell.
    bool DestinationSize(uint32_t sourceBytes, uint32_t* destinationBytes) const;
    // Prepares a header over both buffers, converts and unprepares. Answers 0, 10 when the
    // header cannot be prepared, 11 when the conversion or the unprepare fails; *used is
    // the destination bytes written.
    int Convert(const void* source, uint32_t sourceBytes, void* destination, uint32_t destinationBytes,
                uint32_t* used);

private:
    HACMSTREAM stream_ = nullptr;
};
