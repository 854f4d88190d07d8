#include "CDelayedCall.h"

CDelayedCall::CDelayedCall(int ms, std::function<void()> action)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, std::move(action));
    m_timer.start(ms);
}
