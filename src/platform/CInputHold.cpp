#include "platform/CInputHold.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

CInputHold::CInputHold()
{
    QCoreApplication::instance()->installEventFilter(this);
}

CInputHold::~CInputHold()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

void CInputHold::Begin()
{
    m_holding = true;
    m_closeRequested = false;
}

void CInputHold::End()
{
    m_holding = false;
    if (!m_kept.empty())
        SendLater();
}

void CInputHold::SendLater()
{
    if (m_sendPosted)
        return;
    m_sendPosted = true;
    QCoreApplication::postEvent(this, new QEvent(QEvent::User));
}

bool CInputHold::eventFilter(QObject* watched, QEvent* event)
{
    if (event == m_sending || !watched->isWindowType() || (!m_holding && m_kept.empty()))
        return false;
    Kept kept;
    kept.window = watched;
    switch (event->type()) {
    case QEvent::Close:
        m_closeRequested = true;
        return false;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            m_closeRequested = true;
            return false;
        }
        [[fallthrough]];
    case QEvent::KeyRelease:
        kept.key.reset(static_cast<QKeyEvent*>(event->clone()));
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        const auto& mouse = *static_cast<QMouseEvent*>(event);
        kept.type = mouse.type();
        kept.position = mouse.position();
        kept.scenePosition = mouse.scenePosition();
        kept.globalPosition = mouse.globalPosition();
        kept.button = mouse.button();
        kept.buttons = mouse.buttons();
        kept.modifiers = mouse.modifiers();
        kept.device = mouse.pointingDevice();
        kept.timestamp = mouse.timestamp();
        break;
    }
    default:
        return false;
    }
    m_kept.push_back(std::move(kept));
    if (!m_holding)
        SendLater();
    return true;
}

void CInputHold::customEvent(QEvent*)
{
    m_sendPosted = false;
    // All of it in one pass, as the event loop handles input that waited;
    // a handler that runs an event loop of its own meets the rest there.
    while (!m_holding && !m_kept.empty()) {
        const Kept kept = std::move(m_kept.front());
        m_kept.pop_front();
        if (!m_kept.empty())
            SendLater();
        if (!kept.window)
            continue;
        if (kept.key) {
            m_sending = kept.key.get();
            QCoreApplication::sendEvent(kept.window, kept.key.get());
        } else {
            QMouseEvent mouse(kept.type, kept.position, kept.scenePosition, kept.globalPosition, kept.button,
                kept.buttons, kept.modifiers, kept.device);
            mouse.setTimestamp(kept.timestamp);
            m_sending = &mouse;
            QCoreApplication::sendEvent(kept.window, &mouse);
        }
        m_sending = nullptr;
    }
}
