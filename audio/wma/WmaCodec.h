#pragma once
// Windows Media Audio files, read only: the ASF reader hands each audio media object to
// the WMA decoder object and the codec collects 16-bit PCM from its output buffer. The
// PCM has the stream's rate and at most two channels, as the decoder makes it.
#include "AudioCodec.h"
#include "CASFWMAReader.h"
#include "FileReader.h"
#include "StdioFile.h"
#include "WmaDecoder.h"

#include <mediaobj.h>

#include <cstdint>
#include <memory>

class PlainMediaBuffer;

class WmaCodec : public AudioCodec {
public:
    // The read-ahead buffer the header is parsed with.
    static constexpr uint32_t kHeaderReadBytes = 1024;
    static constexpr uint32_t kDefaultOutputBytes = 0x20000;

    WmaCodec() = default;
    ~WmaCodec() override;

    // Decoder, file, header, both media types and the output buffer; 10 when any fails.
    int OpenRead() override;
    // 11 on a decoder failure; fewer frames than asked at the end of the data.
    int Read(void* destination, uint32_t* frames) override;
    int Write(const void* pcm, uint32_t bytes) override;
    int CloseWrite() override;
    int CloseRead() override;
    // Stands before the frame and drops the decoded frames ahead of it on the next reads.
    int Seek(int32_t frame) override;

    const CASFWMAReader& Asf() const { return asf_; }

private:
    bool SetInputType();
    bool SetOutputType();
    uint32_t OutputBufferBytes();
    void SetReadAhead();
    // Copies decoded bytes not yet handed out; false when the buffer cannot be read.
    bool TakeDecoded(uint8_t* destination, uint32_t* wanted, uint32_t* copied);
    // Gives the decoder the next media object: 0 fed, 1 no object left, 11 refused.
    int FeedNextObject();

    StdioFile file_;
    std::unique_ptr<StdioFileReader> reader_;
    CASFWMAReader asf_;
    DMO_MEDIA_TYPE inputType_ = {};
    DMO_MEDIA_TYPE outputType_ = {};
    bool typesSet_ = false;
    WmaDecoderRef decoder_;
    bool resourcesAllocated_ = false;
    PlainMediaBuffer* output_ = nullptr;
    uint32_t handedOut_ = 0;
    uint32_t framesToSkip_ = 0;
};
