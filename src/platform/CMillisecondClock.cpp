#include "platform/CMillisecondClock.h"

#include <chrono>

std::uint32_t CMillisecondClock::Monotonic()
{
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count());
}

std::uint32_t CMillisecondClock::Now() const
{
    return Monotonic() + m_offset;
}

void CMillisecondClock::Set(std::uint32_t now)
{
    m_offset = now - Monotonic();
}
