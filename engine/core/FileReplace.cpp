#include "FileReplace.h"

#include "ScopedHandle.h"

#include <windows.h>

bool File_Replace(const std::wstring& path, const std::string& bytes) {
    const std::wstring aside = path + L".new";
    bool written = false;
    {
        ScopedFile file(CreateFileW(aside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (!file) return false;
        DWORD count = 0;
        written = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr) &&
                  count == bytes.size() && FlushFileBuffers(file.Get());
    }
    if (!written || !MoveFileExW(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(aside.c_str());
        return false;
    }
    return true;
}
