#include "StdioFile.h"

#include "DeviceFiles.h"

#include <windows.h>

bool StdioFile::OpenRead(const wchar_t* path) {
    Close();
    wchar_t mapped[MAX_PATH];
    if (!path || !Device_MapPath(path, mapped, MAX_PATH)) return false;
    stream_ = _wfopen(mapped, L"rb");
    return stream_ != nullptr;
}

void StdioFile::Close() {
    if (stream_) fclose(stream_);
    stream_ = nullptr;
}
