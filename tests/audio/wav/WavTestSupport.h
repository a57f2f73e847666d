#pragma once
// Files, samples and codec runs shared by the WAV tests.
#include "CodecFixtures.h"
#include "CodecRuns.h"
#include "TestSupport.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace wavtest {

inline std::wstring Fixture(const wchar_t* name) { return std::wstring(CodecFixtures::kDirectory) + name; }

inline std::string FixtureBytes(const wchar_t* name) {
    std::string bytes;
    testsupport::ReadBytes(Fixture(name), &bytes);
    return bytes;
}

// A file of the test's own, in its device's folder.
inline std::wstring TempFile(const wchar_t* name) { return testsupport::DeviceRoot() + L"\\" + name; }

inline uint32_t Le32At(const std::string& bytes, size_t offset) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes[offset + i]);
    return v;
}
inline void PutLe32At(std::string& bytes, size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(v >> (8 * i));
}

inline std::unique_ptr<AudioCodec> OpenForReading(int codecId, const std::wstring& path, int* result) {
    std::unique_ptr<AudioCodec> codec(CodecFactoryTable::Create(codecId));
    codec->SetFileName(path.c_str());
    *result = codec->OpenRead();
    return codec;
}

}  // namespace wavtest
