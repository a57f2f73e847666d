#include "TestFiles.h"
#include <shlobj.h>
#include <cstdint>
#include <cstring>
#include <vector>
#include "DeviceFiles.h"
#include "ScopedHandle.h"

namespace testsupport {
namespace {
const DWORD kPollMs = 20;
}  // namespace

bool PollUntil(DWORD timeoutMs, const std::function<bool()>& ready) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (ready()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(kPollMs);
    }
}

bool ReadBytes(const std::wstring& path, std::string* bytes) {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 64 * 1024 * 1024) return false;
    bytes->assign(size_t(size.QuadPart), '\0');
    DWORD got = 0;
    if (size.QuadPart && !ReadFile(file.Get(), &(*bytes)[0], DWORD(size.QuadPart), &got, nullptr)) return false;
    bytes->resize(got);
    return true;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool ReadUtf16(const std::wstring& path, std::wstring* text) {
    std::string bytes;
    if (!ReadBytes(path, &bytes) || bytes.size() % 2) return false;
    text->assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    return true;
}

std::vector<std::wstring> ReadCountedTexts(const std::wstring& path) {
    std::string bytes;
    std::vector<std::wstring> records;
    if (!ReadBytes(path, &bytes)) return records;
    size_t position = 0;
    while (position + 4 <= bytes.size()) {
        uint32_t count = 0;
        memcpy(&count, bytes.data() + position, 4);
        position += 4;
        if (count > (bytes.size() - position) / 2) return {};
        std::wstring text(count, L'\0');
        if (count) memcpy(&text[0], bytes.data() + position, count * 2);
        position += count * 2;
        records.push_back(text);
    }
    return position == bytes.size() ? records : std::vector<std::wstring>();
}

bool CopyIntoDevice(const std::wstring& hostFile, const std::wstring& cePath) {
    wchar_t target[MAX_PATH];
    if (!Device_MapPath(cePath.c_str(), target, MAX_PATH)) return false;
    std::wstring folder(target);
    folder = folder.substr(0, folder.find_last_of(L'\\'));
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return CopyFileW(hostFile.c_str(), target, FALSE) != FALSE;
}

bool DeleteTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
    return GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool WaitForFile(const std::wstring& path, DWORD timeoutMs) {
    return PollUntil(timeoutMs, [&] {
        // A writer that still holds the file open denies the share mode asked for here.
        ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        return file.Valid();
    });
}

HWND WaitForWindow(const std::wstring& className, DWORD timeoutMs) {
    HWND found = nullptr;
    PollUntil(timeoutMs, [&] { return (found = FindWindowW(className.c_str(), nullptr)) != nullptr; });
    return found;
}

}  // namespace testsupport
