#pragma once
// A transition between two slides, drawn into a work image in a few steps: a fade, or
// ten bands of rows or of columns that open onto the new slide. The images belong to
// the caller.
#include <memory>

#include "Image.h"

class SlideTransition {
public:
    enum Effect { kNone = 0, kSmooth = 1, kHorizontalLines = 2, kVerticalLines = 3, kRandom = 4 };
    static constexpr int kBands = 10;

    // Null for kNone and unknown effects.
    static std::unique_ptr<SlideTransition> Make(int effect);
    virtual ~SlideTransition() = default;

    // Draws the next frame into the work image.
    virtual void Step() = 0;
    virtual void Init(const Image& oldFrame, const Image& newFrame, Image& work, int steps);

protected:
    const Image* old_ = nullptr;
    const Image* new_ = nullptr;
    Image* work_ = nullptr;
    int steps_ = 1;
    int progress_ = 0;
    int increment_ = 0;
};
