#include "CPixelCanvas.h"

#include <QPainter>

CPixelCanvas::CPixelCanvas(QSize size)
    : m_image(size, QImage::Format_RGB32)
{
    m_image.fill(Light);
}

void CPixelCanvas::Fill(const QRect& rect, QRgb colour)
{
    const QRect clipped = rect & m_image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            m_image.setPixel(x, y, colour);
    }
}

void CPixelCanvas::FillWhere(const QRect& rect, const std::function<bool(double x, double y)>& inside, QRgb colour)
{
    const QRect clipped = rect & m_image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (inside(x + 0.5, y + 0.5))
                m_image.setPixel(x, y, colour);
        }
    }
}

void CPixelCanvas::Text(const QRect& rect, const QString& text, const QFont& font, QRgb colour)
{
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(colour));
    painter.drawText(rect, Qt::AlignCenter, text);
}

QImage CPixelCanvas::ToIndexed() const
{
    QImage indexed(m_image.size(), QImage::Format_Indexed8);
    indexed.setColorTable({Light, Dark});
    for (int y = 0; y < m_image.height(); ++y) {
        for (int x = 0; x < m_image.width(); ++x) {
            const QRgb pixel = m_image.pixel(x, y);
            if (pixel != Light && pixel != Dark)
                qFatal("a third colour %08x at %d,%d in a two-colour picture", pixel, x, y);
            indexed.setPixel(x, y, pixel == Light ? 0 : 1);
        }
    }
    return indexed;
}
