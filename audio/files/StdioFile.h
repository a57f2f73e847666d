#pragma once
// A stdio stream opened for reading by a device path, closed in one place.
#include <cstdio>

class StdioFile {
public:
    StdioFile() = default;
    ~StdioFile() { Close(); }
    StdioFile(const StdioFile&) = delete;
    StdioFile& operator=(const StdioFile&) = delete;

    // Opens "rb"; device paths ("\My Documents\x.wav") are found in the device's file system.
    bool OpenRead(const wchar_t* path);
    void Close();
    FILE* Get() const { return stream_; }

private:
    FILE* stream_ = nullptr;
};
