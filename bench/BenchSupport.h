#pragma once

// Helpers shared by the benchmark programs.

#include "platform/CSdlSound.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <vector>

namespace BenchSupport {

using Clock = CSdlSound::Clock;

inline double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// CPU seconds of the process (RUSAGE_SELF) or of the calling thread
// (RUSAGE_THREAD).
inline double CpuSeconds(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The left channel of what SDL's disk driver wrote in the device format.
inline std::vector<std::int16_t> LeftChannel(const QString& path)
{
    QFile raw(path);
    if (!raw.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = raw.readAll();
    std::vector<std::int16_t> left;
    const auto* samples = reinterpret_cast<const std::int16_t*>(bytes.constData());
    for (qsizetype i = 0; i + 1 < bytes.size() / 2; i += CSdlSound::Channels)
        left.push_back(samples[i]);
    return left;
}

} // namespace BenchSupport
