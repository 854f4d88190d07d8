#pragma once

#include <QObject>

#include <csignal>
#include <memory>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a request that the event loop sees. The
// handler only notes the signal and writes a byte to a pipe that a socket
// notifier watches, so that a thread blocked waiting for events wakes at
// once; everything else happens outside the handler. The handlers go back
// to the default after the first signal, so that a second Ctrl-C ends the
// program at once. One object at a time; make it after the application.
class CSignalWatcher : public QObject {
public:
    CSignalWatcher();
    ~CSignalWatcher() override;
    CSignalWatcher(const CSignalWatcher&) = delete;
    CSignalWatcher& operator=(const CSignalWatcher&) = delete;

    // The first signal that arrived, 0 before any.
    static int Received();

private:
    static void Handle(int signal);
    void Drain();

    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previousInterrupt { };
    struct sigaction m_previousTerminate { };
};
