#pragma once
// A read-only byte source with one read-ahead buffer, on which every file parser of the
// audio services reads. Skipping ahead only moves the logical position; the file is read
// when data is needed. A derived class supplies the three raw operations.
#include <cstdint>
#include <cstdio>

class FileReader {
public:
    static constexpr uint32_t kDefaultCapacity = 10240;
    // Seek origins, as fseek's.
    static constexpr int kFromStart = 0;
    static constexpr int kFromCurrent = 1;
    static constexpr int kFromEnd = 2;

    FileReader();
    virtual ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // False when the first buffer could not be allocated.
    bool HasBuffer() const { return buffer_ != nullptr; }
    // Copies up to n bytes from the logical position; fewer at the end of the file or when
    // a refill fails, which also sets AtEnd.
    uint32_t Read(void* destination, uint32_t n);
    // Origin 1 adds to the position, 2 takes the file size minus |offset|, 0 sets it.
    // Clears AtEnd; answers the new position.
    int64_t Seek(int64_t offset, int origin);
    // The file's size, leaving the raw position where it was.
    int64_t Size();

    // Positions are 64-bit: recordings grow past 2 GiB.
    int64_t Position() const { return position_; }
    void SetPosition(int64_t position) {
        position_ = position;
        atEnd_ = false;
    }
    bool AtEnd() const { return atEnd_; }
    // The next refill reads this many bytes (the buffer is only ever enlarged); 0 is ignored.
    void SetCapacity(uint32_t bytes) {
        if (bytes > 0) capacity_ = bytes;
    }
    uint32_t Capacity() const { return capacity_; }

protected:
    virtual uint32_t RawRead(void* buffer, uint32_t n);
    virtual bool RawSeek(int64_t offset, int origin);
    virtual int64_t RawTell();

private:
    bool Refill();

    uint32_t capacity_ = kDefaultCapacity;
    uint32_t allocated_ = 0;
    uint8_t* buffer_ = nullptr;
    uint32_t valid_ = 0;
    int64_t bufferStart_ = 0;
    int64_t position_ = 0;
    bool atEnd_ = false;
};

// Reads a stdio stream the caller opened ("rb") and closes after this reader is gone.
class StdioFileReader : public FileReader {
public:
    explicit StdioFileReader(FILE* stream) : stream_(stream) {}

protected:
    uint32_t RawRead(void* buffer, uint32_t n) override;
    bool RawSeek(int64_t offset, int origin) override;
    int64_t RawTell() override;

private:
    FILE* stream_;  // not owned
};

// The bytes left inside one RIFF chunk (or the RIFF body): reads never run past them.
struct ChunkReader {
    FileReader* reader;
    uint32_t left;

    // False (nothing read) when fewer than n bytes are left; else reads n bytes and answers
    // whether all came.
    bool Read(void* destination, uint32_t n);
    // Steps over n bytes without reading; false when they are not all left.
    bool Skip(uint32_t n);
};
