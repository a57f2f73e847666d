#pragma once
// PCM WAV files, both ways: 8 or 16 bits, one or two channels.
#include "AudioCodec.h"
#include "WavInputFile.h"

#include <cstdint>

class PcmWavCodec : public AudioCodec {
public:
    static constexpr uint32_t kHeaderBytes = 44;
    static constexpr long kDataLengthOffset = 40;
    static constexpr long kRiffSizeOffset = 4;

    // A 44-byte header with both sizes left unfinished until CloseWrite. With the
    // recorder's 8-bit capture flag set the file gets 8-bit samples.
    int OpenWrite() override;
    // Parses the file and stands at its first sample: rate and channels from the file.
    int OpenRead() override;
    int Write(const void* pcm, uint32_t bytes) override;
    // The file's samples up to the end of the data chunk, always 16-bit: 8-bit files widened.
    int Read(void* destination, uint32_t* frames) override;
    // Pads the data to a multiple of 4 bytes and patches both sizes.
    int CloseWrite() override;
    int CloseRead() override;
    // Any frame from 0 to the frame count.
    int Seek(int32_t frame) override;

private:
    uint32_t FrameBytes() const;

    WavInputFile input_;
    bool eightBitOutput_ = false;
    uint32_t dataBytes_ = 0;
};
