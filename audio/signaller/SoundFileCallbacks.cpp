#include "SoundFileCallbacks.h"

#include <cwchar>

#include "DeviceFiles.h"
#include "aural.h"

namespace {
wchar_t openName[MAX_PATH];

void* OpenCallback(const char* name) {
    wchar_t mapped[MAX_PATH];
    if (!Device_MapPath(reinterpret_cast<const wchar_t*>(name), mapped, MAX_PATH)) return nullptr;
    HANDLE file = CreateFileW(mapped, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

void CloseCallback(void* handle) { CloseHandle(handle); }

int ReadCallback(void* buffer, int byteCount, void* handle) {
    DWORD got = 0;
    if (byteCount <= 0 || !ReadFile(handle, buffer, DWORD(byteCount), &got, nullptr)) return 0;
    return int(got);
}

int SeekCallback(void* handle, int offset, int whence) {
    static const DWORD kMethods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    if (whence < 0 || whence > 2) return -1;
    const DWORD position = SetFilePointer(handle, offset, nullptr, kMethods[whence]);
    return position == INVALID_SET_FILE_POINTER ? -1 : int(position);
}

int TellCallback(void* handle) { return SeekCallback(handle, 0, FILE_CURRENT); }
}  // namespace

const void* SoundFileCallbacks::Install(const wchar_t* path) {
    Aural_SetFileCallbacks(OpenCallback, CloseCallback, ReadCallback, SeekCallback, TellCallback);
    wcsncpy(openName, path, MAX_PATH - 1);
    openName[MAX_PATH - 1] = 0;
    return openName;
}
