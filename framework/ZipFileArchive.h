#pragma once
// A zip archive in a file, opened by name on first use.
#include "ZipArchive.h"

#include <string>

class ZipFileArchive : public ZipArchive {
public:
    explicit ZipFileArchive(const wchar_t* path) : path_(path ? path : L"") {}

    ZipEntryData ReadEntry(const wchar_t* name) override;
    bool EnsureOpen() override;
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};
