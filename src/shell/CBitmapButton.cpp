#include "shell/CBitmapButton.h"

#include "media/CMediaCatalogue.h"

#include <QPainter>

CBitmapButton::CBitmapButton(int controlId, QWidget* parent)
    : QAbstractButton(parent)
    , m_controlId(controlId)
{
    setFocusPolicy(Qt::StrongFocus);
}

bool CBitmapButton::AutoLoad(const QString& caption)
{
    setText(caption);
    m_up = QPixmap::fromImage(CMediaCatalogue::ButtonFace(caption, 'U'));
    m_down = QPixmap::fromImage(CMediaCatalogue::ButtonFace(caption, 'D'));
    m_focus = QPixmap::fromImage(CMediaCatalogue::ButtonFace(caption, 'F'));
    m_disabled = QPixmap::fromImage(CMediaCatalogue::ButtonFace(caption, 'X'));
    if (m_up.isNull())
        return false;
    resize(m_up.size());
    update();
    return true;
}

QChar CBitmapButton::CurrentFace() const
{
    if (isDown() && !m_down.isNull())
        return QLatin1Char('D');
    if (hasFocus() && !m_focus.isNull())
        return QLatin1Char('F');
    if (!isEnabled() && !m_disabled.isNull())
        return QLatin1Char('X');
    return QLatin1Char('U');
}

const QPixmap& CBitmapButton::FacePixmap() const
{
    switch (CurrentFace().toLatin1()) {
    case 'D':
        return m_down;
    case 'F':
        return m_focus;
    case 'X':
        return m_disabled;
    default:
        return m_up;
    }
}

QSize CBitmapButton::sizeHint() const
{
    return m_up.isNull() ? QAbstractButton::sizeHint() : m_up.size();
}

void CBitmapButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, FacePixmap());
}
