#pragma once

#include <cstdint>

// The program's millisecond clock: an unsigned 32-bit count that wraps
// after about 49.7 days, so every difference is taken modulo 2^32. It runs
// on the system's monotonic clock (it never jumps when the date is set) and
// can be set to any reading, e.g. just before the wrap.
class CMillisecondClock {
public:
    std::uint32_t Now() const;
    // From this instant on the clock reads now and counts on from there.
    void Set(std::uint32_t now);

private:
    static std::uint32_t Monotonic();

    std::uint32_t m_offset = 0;
};
