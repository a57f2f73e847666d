#include "FileWriterSink.h"

#include <cstdlib>
#include <cstring>

bool FileWriterSink_WriteCopy(FileWriterSink* sink, const void* bytes, uint32_t length) {
    void* copy = malloc(length > 0 ? length : 1);
    if (!copy) return false;
    memcpy(copy, bytes, length);
    sink->Write(copy, length);
    return true;
}
