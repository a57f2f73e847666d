#pragma once
// Where a writing codec's output goes, in the order the file grows. The recorder's file
// writer thread is one; it writes on its own thread, so both operations only queue work.
#include <cstdint>

class FileWriterSink {
public:
    virtual ~FileWriterSink() = default;
    // Appends at the current position. The buffer comes from malloc and belongs to the
    // sink from now on, which frees it after writing.
    virtual void Write(void* buffer, uint32_t length) = 0;
    // The next Write goes to this offset (origin 0: from the start), used to patch sizes.
    virtual void Seek(long offset, int origin) = 0;
};

// Hands the sink a malloc'd copy of the bytes; false (nothing written) when out of memory.
bool FileWriterSink_WriteCopy(FileWriterSink* sink, const void* bytes, uint32_t length);
