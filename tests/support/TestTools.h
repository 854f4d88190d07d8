#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>

#include <csignal>
#include <functional>
#include <sys/resource.h>

// Writes bytes as the whole content of the file at path; a test that cannot
// set up its files stops.
inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        qFatal("cannot write %s", qPrintable(path));
}

// The wall-clock milliseconds a call takes.
inline double TimedMs(const std::function<void()>& call)
{
    QElapsedTimer timer;
    timer.start();
    call();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Runs call with files limited to bytes (a full disk as a writer meets it:
// a short write, then an error); -1 leaves the limit as it is.
template<class Call> auto WithFileSizeLimit(long long bytes, Call call)
{
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limit = previous;
    limit.rlim_cur = bytes >= 0 ? rlim_t(bytes) : previous.rlim_cur;
    setrlimit(RLIMIT_FSIZE, &limit);
    const auto result = call();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, handler);
    return result;
}
