#include "shell/CSignalWatcher.h"

#include <QSocketNotifier>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t received = 0;
int wakePipe[2] = {-1, -1};

} // namespace

CSignalWatcher::CSignalWatcher()
{
    received = 0;
    if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_notifier = std::make_unique<QSocketNotifier>(wakePipe[0], QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &CSignalWatcher::Drain);
    }
    struct sigaction action { };
    action.sa_handler = &CSignalWatcher::Handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, &m_previousInterrupt);
    sigaction(SIGTERM, &action, &m_previousTerminate);
}

CSignalWatcher::~CSignalWatcher()
{
    sigaction(SIGINT, &m_previousInterrupt, nullptr);
    sigaction(SIGTERM, &m_previousTerminate, nullptr);
    m_notifier.reset();
    for (int& fd : wakePipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

int CSignalWatcher::Received()
{
    return received;
}

void CSignalWatcher::Handle(int signal)
{
    if (received == 0)
        received = signal;
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakePipe[1], &byte, 1);
    errno = savedErrno;
}

void CSignalWatcher::Drain()
{
    char bytes[64];
    while (::read(wakePipe[0], bytes, sizeof bytes) > 0) { }
}
