#include "platform/CMillisecondClock.h"

#include <chrono>

std::uint32_t CMillisecondClock::Now() const
{
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count());
}
