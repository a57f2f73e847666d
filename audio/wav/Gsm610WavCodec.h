#pragma once
// GSM 6.10 WAV files, both ways, through the platform's Audio Compression Manager.
// Writing takes 16-bit mono or stereo PCM (stereo is mixed down); reading delivers 16-bit
// mono. Blocks are 65 bytes of 320 samples each.
#include "AcmConverter.h"
#include "AudioCodec.h"
#include "FrameAssembler.h"
#include "WavInputFile.h"

#include <cstdint>
#include <memory>
#include <vector>

class Gsm610WavCodec : public AudioCodec {
public:
    // Room for whatever format record the ACM suggests.
    static constexpr uint32_t kWriteFormatBytes = 1000;
    static constexpr uint32_t kReadFormatBytes = 1024;
    // Rates the ACM refuses are tried once more rounded to a multiple of this.
    static constexpr uint32_t kRateStep = 320;

    // ACM stream to GSM (retried at the rounded rate), then the header with "fact".
    int OpenWrite() override;
    // Parses the file and opens an ACM stream from GSM; 16-bit mono from then on.
    int OpenRead() override;
    // Whole blocks are encoded at once; a partial block waits for the next call.
    int Write(const void* pcm, uint32_t bytes) override;
    int Read(void* destination, uint32_t* frames) override;
    // Encodes the partial block zero-filled, then patches the sizes and the sample count.
    int CloseWrite() override;
    int CloseRead() override;
    // Decodes the block holding the frame (the last frame for one beyond the end).
    int Seek(int32_t frame) override;

private:
    static constexpr int kNoMoreData = -1;

    void MakeWriteFormats(uint32_t rate, WAVEFORMATEX* source, uint8_t (&destination)[kWriteFormatBytes]) const;
    int WriteHeader(const WAVEFORMATEX& format);
    // Mixes stereo down, converts the whole blocks and hands the result to the sink.
    int EncodeRun(const uint8_t* pcm, uint32_t bytes);
    uint32_t InputFrameBytes() const { return channels_ == 2 ? 4u : 2u; }
    // Reads the next 65-byte block (zero-filling a short one) and decodes it; kNoMoreData
    // when nothing could be read.
    int DecodeNextBlock(uint8_t* pcm);

    AcmConverter acm_;
    // Write side.
    std::unique_ptr<FrameAssembler> assembler_;
    std::vector<uint8_t> mono_;
    uint32_t dataBytes_ = 0;
    uint32_t samples_ = 0;
    uint32_t headerLength_ = 0;
    // Read side.
    WavInputFile input_;
    std::unique_ptr<uint8_t[]> gsmBlock_;
    std::unique_ptr<uint8_t[]> pcmBlock_;
    uint32_t pcmBlockBytes_ = 0;
    uint32_t taken_ = 0;     // frames of the decoded block already delivered
    uint32_t position_ = 0;  // frames delivered
};
