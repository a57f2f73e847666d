#pragma once
// Filter slot 0. Its flag is stored and restored with the recorder's settings; it changes
// no samples.
#include "AudioFilter.h"

class DenoiseFilter : public AudioFilter {
public:
    bool denoise = true;
};
