#pragma once
// A shared reference to a skin picture: the clock window and the skin's users hold the
// same image, which goes with the last reference.
#include <memory>

#include "Image.h"

using ImageRef = std::shared_ptr<Image>;
