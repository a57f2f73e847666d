#include "PictureTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "Rgb565.h"
#include "TestSupport.h"

namespace picturetests {

std::wstring DevicePath(const imagetests::ScratchFolder& folder, const std::wstring& name) {
    const std::wstring inDevice = folder.Path().substr(testsupport::DeviceRoot().size());
    return name.empty() ? inDevice : inDevice + L"\\" + name;
}

bool RunJpegTool(const std::string& tool, const std::string& arguments) {
    std::string output;
    const bool ok = testsupport::RunHostTool(tool, arguments, &output);
    if (!ok) ADD_FAILURE() << tool << " " << arguments << ": " << output;
    return ok;
}

WORD Pnm::Rgb565(int x, int y) const {
    const uint8_t* p = &samples[(static_cast<size_t>(y) * width + x) * channels];
    return channels == 1 ? Rgb565_Narrow(p[0], p[0], p[0]) : Rgb565_Narrow(p[0], p[1], p[2]);
}

bool Djpeg(const imagetests::ScratchFolder& folder, const std::wstring& jpeg, int denominator, Pnm& out) {
    const std::wstring pnm = jpeg + L"-" + std::to_wstring(denominator) + L".pnm";
    if (!RunJpegTool("djpeg", "-scale 1/" + std::to_string(denominator) + " -pnm -outfile '" + folder.UnixFile(pnm) +
                                  "' '" + folder.UnixFile(jpeg) + "'"))
        return false;
    const std::vector<BYTE> bytes = imagetests::ReadFile(folder.File(pnm));
    // "P6" or "P5", width, height, 255, one blank, then the samples.
    char kind[3] = {};
    int maxValue = 0, headerLength = 0;
    const std::string text(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 64));
    if (sscanf(text.c_str(), "%2s %d %d %d%n", kind, &out.width, &out.height, &maxValue, &headerLength) != 4 ||
        maxValue != 255)
        return false;
    out.channels = kind[1] == '5' ? 1 : 3;
    const size_t start = static_cast<size_t>(headerLength) + 1;
    const size_t count = static_cast<size_t>(out.width) * out.height * out.channels;
    if (bytes.size() < start + count) return false;
    out.samples.assign(bytes.begin() + start, bytes.begin() + start + count);
    return true;
}

}  // namespace picturetests
