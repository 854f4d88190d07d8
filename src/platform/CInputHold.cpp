#include "platform/CInputHold.h"

#include <QCoreApplication>
#include <QKeyEvent>

CInputHold::CInputHold()
{
    QCoreApplication::instance()->installEventFilter(this);
    // Input that an earlier hold posted again is older than any that
    // arrives now: it is held first, so the order stays.
    QCoreApplication::sendPostedEvents();
}

CInputHold::~CInputHold()
{
    QCoreApplication::instance()->removeEventFilter(this);
    for (auto& [receiver, event] : m_held) {
        if (receiver)
            QCoreApplication::postEvent(receiver, event.release());
    }
}

bool CInputHold::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Close:
        m_closeRequested = true;
        return false;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            m_closeRequested = true;
            return false;
        }
        break;
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        break;
    default:
        return false;
    }
    m_held.emplace_back(watched, event->clone());
    return true;
}
