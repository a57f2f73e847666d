#include "Interval.h"

IntervalParts Interval_Split(uint64_t interval) {
    constexpr uint64_t kDay = 864000000000ull;
    constexpr uint64_t kHour = 36000000000ull;
    constexpr uint64_t kMinute = 600000000ull;
    constexpr uint64_t kSecond = 10000000ull;
    constexpr uint64_t kMillisecond = 10000ull;
    IntervalParts parts;
    parts.days = static_cast<uint16_t>(interval / kDay);
    interval %= kDay;
    parts.hours = static_cast<uint16_t>(interval / kHour);
    interval %= kHour;
    parts.minutes = static_cast<uint16_t>(interval / kMinute);
    interval %= kMinute;
    parts.seconds = static_cast<uint16_t>(interval / kSecond);
    interval %= kSecond;
    parts.milliseconds = static_cast<uint16_t>(interval / kMillisecond);
    return parts;
}
