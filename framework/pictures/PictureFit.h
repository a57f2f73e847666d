#pragma once
// How the slide show sizes a picture for the screen.

// The slide show's "Size" setting.
enum PictureFitMode : int {
    kFitNone = 0,          // pictures at their own size
    kFitAll = 1,           // every picture scaled to the largest size within the screen
    kFitLargerOnly = 2,    // only pictures larger than the screen are fitted
    kFillLargerFitSmaller = 3,  // larger pictures cover the screen (cut later), smaller ones are fitted
};

// No target side exceeds this: both sides are halved together until neither does.
constexpr int kMaxPictureTargetSide = 3000;

// width and height come in as the screen's size and go out as the target size for a
// picture of pictureWidth x pictureHeight (each side at least 1). False, size unchanged,
// when the mode takes the picture at its own size.
bool Picture_FitSize(int mode, int pictureWidth, int pictureHeight, int& width, int& height);
