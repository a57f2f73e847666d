#include "PictureFit.h"

#include <algorithm>

bool Picture_FitSize(int mode, int pictureWidth, int pictureHeight, int& width, int& height) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || width <= 0 || height <= 0) return false;
    const bool larger = pictureWidth > width || pictureHeight > height;
    const bool fit = mode == kFitAll || (mode == kFitLargerOnly && larger) || (mode == kFillLargerFitSmaller && !larger);
    const bool fill = mode == kFillLargerFitSmaller && larger;
    if (!fit && !fill) return false;
    // The kept side is the screen's; the other follows the picture's proportions. A fit
    // keeps the side that leaves the other within the screen, a fill the one that leaves
    // it covering the screen, whatever the picture's and the screen's orientations.
    const long long widthTimesScreenHeight = static_cast<long long>(pictureWidth) * height;
    const long long heightTimesScreenWidth = static_cast<long long>(pictureHeight) * width;
    const bool relativelyTaller = heightTimesScreenWidth > widthTimesScreenHeight;
    const bool relativelyWider = widthTimesScreenHeight > heightTimesScreenWidth;
    const bool keepHeight = fit ? relativelyTaller : relativelyWider;
    if (keepHeight) {
        width = static_cast<int>(height * static_cast<double>(pictureWidth) / pictureHeight);
    } else {
        height = static_cast<int>(width * static_cast<double>(pictureHeight) / pictureWidth);
    }
    while (width > kMaxPictureTargetSide || height > kMaxPictureTargetSide) {
        width /= 2;
        height /= 2;
    }
    // A very narrow picture would otherwise get a side of 0, which later divides.
    width = std::max(width, 1);
    height = std::max(height, 1);
    return true;
}
