#pragma once

#include <QTimer>

#include <functional>

// Runs a function from the real event loop once, ms milliseconds after it
// was made (0: at the next pass of the loop), on a precise timer. Destroying
// it first cancels the call. Tests use it to deliver input while the code
// under test waits in the event loop.
class CDelayedCall {
public:
    CDelayedCall(int ms, std::function<void()> action);

private:
    QTimer m_timer;
};
