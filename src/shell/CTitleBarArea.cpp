#include "shell/CTitleBarArea.h"

#include "media/CMediaCatalogue.h"
#include "platform/CPlatform.h"
#include "shell/CWindowMover.h"

#include <QMouseEvent>
#include <QWindow>

CTitleBarArea::CTitleBarArea(int controlId, CPlatform& platform, CWindowMover& mover, QWidget* parent)
    : QLabel(parent)
    , m_controlId(controlId)
    , m_platform(platform)
    , m_mover(mover)
{
}

void CTitleBarArea::SetPicture(int bitmap)
{
    m_picture = bitmap;
    const QImage image = CMediaCatalogue::Bitmap(bitmap);
    setPixmap(QPixmap::fromImage(image));
    if (!image.isNull())
        resize(image.size()); // a picture static takes its picture's size
}

void CTitleBarArea::OnPressed(const QPoint& globalPosition)
{
    switch (m_controlId) {
    case CloseArea:
        // The sound is heard to its end before the panel goes away.
        m_platform.PlayClip(Clip::CloseBlips);
        window()->close();
        break;
    case DragBar:
        StartDrag(globalPosition);
        break;
    case ToggleLamp:
        m_toggleState = m_toggleState == 1 ? 0 : 1;
        SetPicture(m_toggleState == 1 ? Bitmap::LampBox : Bitmap::LampSpeaker);
        break;
    default:
        break;
    }
}

void CTitleBarArea::StartDrag(const QPoint& globalPosition)
{
    // The window manager moves the panel where it offers to; without one
    // (a bare X server) the panel follows the mouse by itself.
    QWindow* handle = window()->windowHandle();
    if (handle != nullptr && handle->startSystemMove())
        return;
    m_mover.BeginDrag(globalPosition);
}

void CTitleBarArea::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnPressed(event->globalPosition().toPoint());
    QLabel::mousePressEvent(event);
}
