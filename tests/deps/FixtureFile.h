#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The files the build made for the dependency tests.
class FixtureFile {
public:
    static std::wstring Path(const wchar_t* name);
    // The whole file; empty when it cannot be read.
    static std::vector<std::uint8_t> Read(const wchar_t* name);
};
