#include <cstdio>

#include "DeviceFiles.h"
#include "PictureLoading.h"

FILE* Picture_OpenFile(const wchar_t* path) {
    wchar_t mapped[MAX_PATH];
    if (!path || !Device_MapPath(path, mapped, MAX_PATH)) return nullptr;
    return _wfopen(mapped, L"rb");
}
