#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "Rgb565.h"
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

int CountPixelsBeyondAStep(const Image& image, const std::vector<uint8_t>& rgba) {
    if (rgba.size() != static_cast<size_t>(image.Width()) * image.Height() * 4) return image.Width() * image.Height();
    GdiFlush();
    int beyond = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * image.Width() + x) * 4];
            const Rgb8 ours = Rgb565_Widen(image.Row(y)[x]), theirs = Rgb565_Widen(Rgb565_Narrow(p[0], p[1], p[2]));
            beyond += std::abs(ours.red - theirs.red) > 8 || std::abs(ours.green - theirs.green) > 4 ||
                      std::abs(ours.blue - theirs.blue) > 8;
        }
    return beyond;
}

std::vector<BYTE> ReadFile(const std::wstring& path) {
    std::string bytes;
    if (!testsupport::ReadBytes(path, &bytes)) return {};
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

}  // namespace imagetests
