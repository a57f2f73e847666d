#pragma once
// The read side both WAV codecs and the probe share: the file, its reader and what the
// RIFF walk learnt, positioned at the first data byte.
#include "FileReader.h"
#include "StdioFile.h"
#include "WavFormat.h"

#include <cstdint>
#include <memory>

class WavInputFile {
public:
    WavInputFile() = default;
    ~WavInputFile() { Close(); }
    WavInputFile(const WavInputFile&) = delete;
    WavInputFile& operator=(const WavInputFile&) = delete;

    // tag: wav::kTagPcm or wav::kTagGsm610, or 0 for either. Answers 0, 10 (cannot open,
    // damaged, another format) or 17 (no memory for the reader); on failure nothing stays open.
    int Open(const wchar_t* path, uint16_t tag);
    // Destroys the reader, then closes the file.
    void Close();
    bool IsOpen() const { return reader_ != nullptr; }

    FileReader& Reader() { return *reader_; }
    const wav::FormatRecord& Format() const { return format_; }
    uint32_t Frames() const { return frames_; }
    uint32_t DataLength() const { return dataLength_; }
    int64_t DataStart() const { return dataStart_; }

private:
    StdioFile file_;
    std::unique_ptr<StdioFileReader> reader_;
    wav::FormatRecord format_;
    uint32_t frames_ = 0;
    uint32_t dataLength_ = 0;
    int64_t dataStart_ = 0;
};
