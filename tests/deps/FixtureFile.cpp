#include "FixtureFile.h"

#include <cstdio>

#include "DepsFixtures.h"

std::wstring FixtureFile::Path(const wchar_t* name)
{
    return std::wstring(DepsFixtures::kDirectory) + name;
}

std::vector<std::uint8_t> FixtureFile::Read(const wchar_t* name)
{
    std::vector<std::uint8_t> bytes;
    FILE* file = _wfopen(Path(name).c_str(), L"rb");
    if (!file)
        return bytes;
    std::uint8_t chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    fclose(file);
    return bytes;
}
