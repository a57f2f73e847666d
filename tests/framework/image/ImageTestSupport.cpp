#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace imagetests {

ScratchFolder::ScratchFolder() {
    path_ = testsupport::DeviceRoot() + L"\\" + testsupport::UniqueName(L"pictures");
    CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { testsupport::DeleteTree(path_); }

std::string ScratchFolder::UnixFile(const std::wstring& name) const { return testsupport::UnixPath(File(name)); }

bool Convert(const std::string& arguments) {
    std::string output;
    const bool ok = testsupport::RunHostTool("convert", arguments, &output);
    if (!ok) ADD_FAILURE() << "convert " << arguments << ": " << output;
    return ok;
}

std::vector<uint8_t> ImageMagickRgba(const ScratchFolder& folder, const std::wstring& picture,
                                     const std::string& options) {
    const std::wstring dump = picture + L".rgba";
    if (!Convert("\"" + folder.UnixFile(picture) + "\" " + options + " -depth 8 \"rgba:" + folder.UnixFile(dump) + "\""))
        return {};
    std::vector<BYTE> bytes = ReadFile(folder.File(dump));
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::vector<BYTE> ReadFile(const std::wstring& path) {
    std::string bytes;
    if (!testsupport::ReadBytes(path, &bytes)) return {};
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

}  // namespace imagetests
