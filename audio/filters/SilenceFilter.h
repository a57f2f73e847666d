#pragma once
// Filter slot 1. Its number is stored and restored with the recorder's settings; it changes
// no samples.
#include "AudioFilter.h"

class SilenceFilter : public AudioFilter {
public:
    int32_t silenceNumber = 0;
};
