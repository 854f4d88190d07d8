#pragma once

#include <cstdint>

// The program's millisecond clock: an unsigned 32-bit count that wraps
// after about 49.7 days, so every difference is taken modulo 2^32. It runs
// on the system's monotonic clock (it never jumps when the date is set).
class CMillisecondClock {
public:
    std::uint32_t Now() const;
};
