#include "CContactSheet.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr int SheetWidth = 1500;
constexpr int Margin = 16;
constexpr int Gap = 12;
constexpr int TitleHeight = 24;
constexpr int LabelHeight = 16;
const QColor Background(72, 72, 72);
const QColor TitleInk(255, 255, 255);
const QColor LabelInk(210, 210, 210);

} // namespace

CContactSheet::CContactSheet(const CFontBook& fonts)
    : m_fonts(fonts)
{
}

void CContactSheet::Section(const QString& title)
{
    m_parts.push_back({title, {}});
}

void CContactSheet::Add(const QString& label, const QImage& image, int scale)
{
    if (m_parts.empty())
        Section(QString());
    m_parts.back().items.push_back(
        {label, image.scaled(image.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation)});
}

int CContactSheet::Layout(QPainter* painter) const
{
    int y = Margin;
    for (const Part& part : m_parts) {
        if (painter) {
            painter->setFont(m_fonts.Sans(15, true, false, true));
            painter->setPen(TitleInk);
            painter->drawText(
                QRect(Margin, y, SheetWidth - 2 * Margin, TitleHeight), Qt::AlignLeft | Qt::AlignVCenter, part.title);
        }
        y += TitleHeight;
        int x = Margin;
        int rowHeight = 0;
        for (const Item& item : part.items) {
            const QSize size = item.image.size();
            if (x > Margin && x + size.width() > SheetWidth - Margin) {
                x = Margin;
                y += rowHeight + Gap;
                rowHeight = 0;
            }
            if (painter) {
                painter->drawImage(QPoint(x, y), item.image);
                painter->setFont(m_fonts.Sans(12, false, false, true));
                painter->setPen(LabelInk);
                painter->drawText(QRect(x, y + size.height(), std::max(size.width(), 40), LabelHeight),
                    Qt::AlignLeft | Qt::AlignVCenter, item.label);
            }
            x += std::max(size.width(), 40) + Gap;
            rowHeight = std::max(rowHeight, size.height() + LabelHeight);
        }
        y += rowHeight + 2 * Gap;
    }
    return y + Margin;
}

QImage CContactSheet::Render() const
{
    QImage sheet(SheetWidth, Layout(nullptr), QImage::Format_RGB32);
    sheet.fill(Background);
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    Layout(&painter);
    return sheet;
}
