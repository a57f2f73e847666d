#include "SlideTransition.h"

#include <algorithm>

#include "ImageComposite.h"

namespace {

class SmoothTransition : public SlideTransition {
public:
    void Init(const Image& oldFrame, const Image& newFrame, Image& work, int steps) override {
        SlideTransition::Init(oldFrame, newFrame, work, steps);
        increment_ = 255 / steps_;
    }
    void Step() override {
        work_->Copy(*old_);
        Image_Composite(*work_, *new_, 0, 0, 0, 0, -1, -1, kCompositeBlend, std::min(progress_ * increment_, 255));
        ++progress_;
    }
};

// Ten bands, each showing more of the new slide at every step: rows, or columns.
class BandTransition : public SlideTransition {
public:
    explicit BandTransition(bool columns) : columns_(columns) {}
    void Init(const Image& oldFrame, const Image& newFrame, Image& work, int steps) override {
        SlideTransition::Init(oldFrame, newFrame, work, steps);
        const int extent = columns_ ? oldFrame.Width() : oldFrame.Height();
        increment_ = extent / kBands / steps_;
    }
    void Step() override {
        work_->Copy(*old_);
        for (int i = 0; i < kBands && progress_ > 0; ++i) {
            if (columns_) {
                const int x = i * work_->Width() / kBands;
                Image_Composite(*work_, *new_, x, 0, x, 0, progress_, -1, kCompositeAsIs, 0);
            } else {
                const int y = i * work_->Height() / kBands;
                Image_Composite(*work_, *new_, 0, y, 0, y, -1, progress_, kCompositeAsIs, 0);
            }
        }
        progress_ += increment_;
    }

private:
    bool columns_;
};

}  // namespace

void SlideTransition::Init(const Image& oldFrame, const Image& newFrame, Image& work, int steps) {
    old_ = &oldFrame;
    new_ = &newFrame;
    work_ = &work;
    steps_ = std::max(steps, 1);
    progress_ = 0;
}

std::unique_ptr<SlideTransition> SlideTransition::Make(int effect) {
    switch (effect) {
    case kSmooth:
        return std::unique_ptr<SlideTransition>(new SmoothTransition());
    case kHorizontalLines:
        return std::unique_ptr<SlideTransition>(new BandTransition(false));
    case kVerticalLines:
        return std::unique_ptr<SlideTransition>(new BandTransition(true));
    default:
        return nullptr;
    }
}
