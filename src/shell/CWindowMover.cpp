#include "shell/CWindowMover.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

CWindowMover::CWindowMover(QWidget* window)
    : m_window(window)
{
}

CWindowMover::~CWindowMover()
{
    End();
}

void CWindowMover::BeginDrag(const QPoint& globalPosition)
{
    Begin(Drag, globalPosition);
}

bool CWindowMover::CanMoveFromMenu(const QString& platformName)
{
    return !platformName.startsWith(QLatin1String("wayland"));
}

void CWindowMover::BeginMenuMove(const QPoint& globalPosition)
{
    if (!CanMoveFromMenu(QGuiApplication::platformName()))
        return;
    Begin(MenuMove, globalPosition);
    // The mouse may wander off the window before the click that ends the
    // move; the grabs keep its events and the keys coming to us.
    m_window->grabMouse();
    m_window->grabKeyboard();
}

void CWindowMover::Begin(Mode mode, const QPoint& globalPosition)
{
    End();
    if (m_window == nullptr)
        return;
    m_mode = mode;
    m_startMouse = globalPosition;
    m_startWindow = m_window->pos();
    m_nudged = QPoint();
    qApp->installEventFilter(this);
}

void CWindowMover::End()
{
    if (m_mode == Idle)
        return;
    if (m_mode == MenuMove && m_window != nullptr) {
        m_window->releaseKeyboard();
        m_window->releaseMouse();
    }
    m_mode = Idle;
    qApp->removeEventFilter(this);
}

void CWindowMover::Follow(const QPoint& globalPosition)
{
    if (m_window != nullptr)
        m_window->move(m_startWindow + m_nudged + globalPosition - m_startMouse);
}

bool CWindowMover::OnKey(int key)
{
    QPoint step;
    switch (key) {
    case Qt::Key_Left:
        step = {-ArrowStep, 0};
        break;
    case Qt::Key_Right:
        step = {ArrowStep, 0};
        break;
    case Qt::Key_Up:
        step = {0, -ArrowStep};
        break;
    case Qt::Key_Down:
        step = {0, ArrowStep};
        break;
    case Qt::Key_Escape:
        m_window->move(m_startWindow);
        End();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        End();
        return true;
    default:
        return true; // no other key acts during the move
    }
    // The window keeps following the mouse from where the key left it.
    m_nudged += step;
    m_window->move(m_window->pos() + step);
    return true;
}

bool CWindowMover::eventFilter(QObject* watched, QEvent* event)
{
    // Input from the window system passes the filter at its window and then
    // at the widget it is delivered to, a grabbing widget included; acting
    // at the widget sees every event once. A mouse event that a widget
    // ignores passes again at its parent: following the mouse to the same
    // place again does no harm.
    if (m_window == nullptr || !watched->isWidgetType())
        return false;
    switch (event->type()) {
    case QEvent::MouseMove:
        Follow(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return m_mode == MenuMove;
    case QEvent::MouseButtonRelease:
        if (m_mode == Drag && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            End();
        return m_mode == MenuMove;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (m_mode != MenuMove)
            return false;
        Follow(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        End();
        return true;
    case QEvent::KeyPress:
        return m_mode == MenuMove && OnKey(static_cast<QKeyEvent*>(event)->key());
    case QEvent::KeyRelease:
        return m_mode == MenuMove;
    default:
        return false;
    }
}
