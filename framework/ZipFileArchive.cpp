#include "ZipFileArchive.h"

bool ZipFileArchive::EnsureOpen() {
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

ZipEntryData ZipFileArchive::ReadEntry(const wchar_t* name) {
    // Members are not unpacked yet: every archive reads as one without that member.
    (void)name;
    EnsureOpen();
    return ZipEntryData();
}
