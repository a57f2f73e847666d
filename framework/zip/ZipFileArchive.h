#pragma once
// An archive file opened by name. When its file goes away under it (a storage card
// taken out), the next read reopens it, retrying for a few seconds.
#include <string>

#include "ZipArchive.h"

class ZipFileArchive : public ZipArchive {
public:
    static constexpr int kReopenRetries = 10;
    static constexpr DWORD kReopenRetryDelayMs = 300;

    explicit ZipFileArchive(const wchar_t* path);
    bool EnsureOpen() override;
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};
