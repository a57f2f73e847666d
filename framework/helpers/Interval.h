#pragma once
// An interval in 100-ns units split into its parts.
#include <cstdint>

struct IntervalParts {
    uint16_t days = 0;
    uint16_t hours = 0;
    uint16_t minutes = 0;
    uint16_t seconds = 0;
    uint16_t milliseconds = 0;
};

IntervalParts Interval_Split(uint64_t interval100ns);
