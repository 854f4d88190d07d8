#include "shell/CCaptionStatic.h"

#include "media/CMediaCatalogue.h"
#include "platform/CPlatform.h"

#include <QMouseEvent>
#include <QWindow>

CCaptionStatic::CCaptionStatic(int controlId, CPlatform& platform, QWidget* parent)
    : QLabel(parent)
    , m_controlId(controlId)
    , m_platform(platform)
{
}

void CCaptionStatic::SetPicture(int bitmap)
{
    m_picture = bitmap;
    const QImage image = CMediaCatalogue::Bitmap(bitmap);
    setPixmap(QPixmap::fromImage(image));
    if (!image.isNull())
        resize(image.size()); // a picture static takes its picture's size
}

void CCaptionStatic::OnLButtonDown(const QPointF& globalPosition)
{
    switch (m_controlId) {
    case CloseArea:
        // The sound is heard to its end before the panel goes away.
        m_platform.PlayClipSync(Clip::CloseBlips);
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

void CCaptionStatic::OnLButtonUp()
{
    m_dragging = false;
}

void CCaptionStatic::StartDrag(const QPointF& globalPosition)
{
    QWindow* handle = window()->windowHandle();
    if (handle != nullptr && handle->startSystemMove())
        return;
    // No window manager to move us: follow the mouse while the button is held.
    m_dragging = true;
    m_dragOffset = globalPosition.toPoint() - window()->pos();
}

void CCaptionStatic::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(event->globalPosition());
    QLabel::mousePressEvent(event);
}

void CCaptionStatic::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && event->buttons().testFlag(Qt::LeftButton))
        window()->move(event->globalPosition().toPoint() - m_dragOffset);
    QLabel::mouseMoveEvent(event);
}

void CCaptionStatic::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonUp();
    QLabel::mouseReleaseEvent(event);
}
