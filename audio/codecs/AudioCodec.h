#pragma once
// The interface of every encoder and decoder of sound files. A codec is made by the
// codec table, given its file name (and, for writing, its format and output sink), opened
// for one direction, used, closed with the matching close and deleted by its owner.
// A codec overrides only what it supports; the base answers the rest.
//
// Results of every operation: 0 success, 10 the file cannot be opened or has no usable
// format, 11 a read, write or conversion failed, 12 seeking is not supported, 17 out of
// memory. A codec is used by one thread at a time.
#include "FileWriterSink.h"

#include <cstdint>

class AudioCodec {
public:
    static constexpr int kOk = 0;
    static constexpr int kCannotOpen = 10;
    static constexpr int kReadWriteFailed = 11;
    static constexpr int kSeekNotSupported = 12;
    static constexpr int kOutOfMemory = 17;
    static constexpr int kMaxFileName = 259;

    AudioCodec() = default;
    AudioCodec(const AudioCodec&) = delete;
    AudioCodec& operator=(const AudioCodec&) = delete;

    virtual int OpenWrite();
    virtual int OpenRead();
    // PCM bytes in the codec's format.
    virtual int Write(const void* pcm, uint32_t bytes);
    // frames: in, the frames wanted; out, the frames delivered (0 at the end of the data).
    // One frame is one sample per channel.
    virtual int Read(void* destination, uint32_t* frames);
    virtual int CloseWrite();
    virtual int CloseRead();
    virtual int Seek(int32_t frame);
    virtual ~AudioCodec() = default;

    // False (name unchanged) when it is longer than kMaxFileName characters.
    bool SetFileName(const wchar_t* name);
    const wchar_t* FileName() const { return fileName_; }
    // The PCM format the codec takes (writing) or delivers (reading, set by OpenRead).
    void SetFormat(int32_t sampleRate, int32_t channels, int32_t bitsPerSample);
    int32_t SampleRate() const { return sampleRate_; }
    int32_t Channels() const { return channels_; }
    int32_t BitsPerSample() const { return bitsPerSample_; }
    // Read side: how much the reader should buffer, in ms of sound (0 = no preference).
    void SetBufferMs(int32_t ms) { bufferMs_ = ms; }
    int32_t BufferMs() const { return bufferMs_; }
    // Write side: the receiver of the encoded file (not owned).
    void SetSink(FileWriterSink* sink) { sink_ = sink; }
    FileWriterSink* Sink() const { return sink_; }

protected:
    int32_t sampleRate_ = 0;
    int32_t channels_ = 0;
    int32_t bitsPerSample_ = 0;
    wchar_t fileName_[kMaxFileName + 1] = {};
    int32_t bufferMs_ = 0;
    FileWriterSink* sink_ = nullptr;
};
