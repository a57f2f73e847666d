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
bool FileReader::RawSeek(long, int) { return false; }
long FileReader::RawTell() { return 0; }

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
        const bool buffered = position_ >= bufferStart_ && position_ - bufferStart_ < static_cast<long>(valid_);
        if (!buffered) {
            if (!Refill()) break;
            continue;
        }
        const uint32_t offset = static_cast<uint32_t>(position_ - bufferStart_);
        const uint32_t take = std::min(n - done, valid_ - offset);
        memcpy(out + done, buffer_ + offset, take);
        position_ += static_cast<long>(take);
        done += take;
    }
    if (done < n) atEnd_ = true;
    return done;
}

long FileReader::Size() {
    const long raw = RawTell();
    RawSeek(0, kFromEnd);
    const long size = RawTell();
    RawSeek(raw, kFromStart);
    return size;
}

long FileReader::Seek(long offset, int origin) {
    if (origin == kFromCurrent)
        position_ += offset;
    else if (origin == kFromEnd)
        position_ = Size() - std::labs(offset);
    else
        position_ = offset;
    atEnd_ = false;
    return position_;
}

uint32_t StdioFileReader::RawRead(void* buffer, uint32_t n) {
    return static_cast<uint32_t>(fread(buffer, 1, n, stream_));
}

bool StdioFileReader::RawSeek(long offset, int origin) { return fseek(stream_, offset, origin) == 0; }

long StdioFileReader::RawTell() { return ftell(stream_); }

bool ChunkReader::Read(void* destination, uint32_t n) {
    if (left < n) return false;
    const uint32_t got = reader->Read(destination, n);
    left -= got;
    return got == n;
}

bool ChunkReader::Skip(uint32_t n) {
    if (left < n) return false;
    reader->SetPosition(reader->Position() + static_cast<long>(n));
    left -= n;
    return true;
}
