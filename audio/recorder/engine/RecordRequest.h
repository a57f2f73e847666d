#pragma once
// What the front end hands the engine for one recording.
#include <cstdint>

class AudioCodec;

struct RecordRequest {
    wchar_t* fileName = nullptr;  // malloc'd copy; the file writer frees it
    AudioCodec* codec = nullptr;  // not owned
    int64_t sizeLimit = -1;       // bytes of file; <= 0: none
};
