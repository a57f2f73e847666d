#pragma once
// A codec output sink that keeps the file in memory, as the recorder's writer thread
// would write it.
#include "FileWriterSink.h"

#include <cstdlib>
#include <cstring>
#include <string>

class MemorySink : public FileWriterSink {
public:
    void Write(void* buffer, uint32_t length) override {
        if (file.size() < position + length) file.resize(position + length);
        memcpy(&file[position], buffer, length);
        position += length;
        ++writes;
        free(buffer);
    }
    void Seek(long offset, int origin) override {
        if (origin == 0) position = static_cast<size_t>(offset);
    }

    std::string file;
    size_t position = 0;
    int writes = 0;
};
