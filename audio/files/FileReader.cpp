#include "FileReader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

FileReader::FileReader() {
    buffer_ = static_cast<uint8_t*>(malloc(kDefaultCapacity));
    if (buffer_) allocated_ = kDefaultCapacity;
}

FileReader::~FileReader() { free(buffer_); }

uint32_t FileReader::RawRead(void*, uint32_t) { return 0; }
bool FileReader::RawSeek(int64_t, int) { return false; }
int64_t FileReader::RawTell() { return 0; }

bool FileReader::Refill() {
    if (!buffer_ || capacity_ > allocated_) {
        // A buffer that cannot grow is kept as it was, and the read ends early.
        auto* grown = static_cast<uint8_t*>(realloc(buffer_, capacity_));
        if (!grown) return false;
        buffer_ = grown;
        allocated_ = capacity_;
    }
    bufferStart_ = position_;
    valid_ = 0;
    if (position_ < 0 || !RawSeek(position_, kFromStart)) return false;
    valid_ = RawRead(buffer_, capacity_);
    return valid_ > 0;
}

uint32_t FileReader::Read(void* destination, uint32_t n) {
    auto* out = static_cast<uint8_t*>(destination);
    uint32_t done = 0;
    while (done < n) {
        const bool buffered = position_ >= bufferStart_ && position_ - bufferStart_ < static_cast<int64_t>(valid_);
        if (!buffered) {
            if (!Refill()) break;
            continue;
        }
        const uint32_t offset = static_cast<uint32_t>(position_ - bufferStart_);
        const uint32_t take = std::min(n - done, valid_ - offset);
        memcpy(out + done, buffer_ + offset, take);
        position_ += take;
        done += take;
    }
    if (done < n) atEnd_ = true;
    return done;
}

int64_t FileReader::Size() {
    const int64_t raw = RawTell();
    RawSeek(0, kFromEnd);
    const int64_t size = RawTell();
    RawSeek(raw, kFromStart);
    return size;
}

int64_t FileReader::Seek(int64_t offset, int origin) {
    if (origin == kFromCurrent)
        position_ += offset;
    else if (origin == kFromEnd)
        position_ = Size() - (offset < 0 ? -offset : offset);
    else
        position_ = offset;
    atEnd_ = false;
    return position_;
}

uint32_t StdioFileReader::RawRead(void* buffer, uint32_t n) {
    return static_cast<uint32_t>(fread(buffer, 1, n, stream_));
}

bool StdioFileReader::RawSeek(int64_t offset, int origin) { return _fseeki64(stream_, offset, origin) == 0; }

int64_t StdioFileReader::RawTell() { return _ftelli64(stream_); }

bool ChunkReader::Read(void* destination, uint32_t n) {
    if (left < n) return false;
    const uint32_t got = reader->Read(destination, n);
    left -= got;
    return got == n;
}

bool ChunkReader::Skip(uint32_t n) {
    if (left < n) return false;
    reader->SetPosition(reader->Position() + n);
    left -= n;
    return true;
}
