#include "CIconPainter.h"

#include <QPainter>

#include <algorithm>

namespace {

const QColor Edge(26, 29, 26);
const QColor Body(85, 95, 85);
const QColor Screen(42, 191, 255);
const QColor Key(255, 159, 0);
const QColor KeyShade(176, 96, 0);

// A rectangle with its corner pixels left out.
void FillRounded(QPainter& painter, const QRect& rect, const QColor& colour, int cut)
{
    for (int row = 0; row < rect.height(); ++row) {
        const int fromEdge = std::min(row, rect.height() - 1 - row);
        const int inset = std::max(0, cut - fromEdge);
        painter.fillRect(QRect(rect.left() + inset, rect.top() + row, rect.width() - 2 * inset, 1), colour);
    }
}

} // namespace

QImage CIconPainter::Paint(int size)
{
    if (size != 32 && size != 16)
        return {};
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    if (size == 32) {
        FillRounded(painter, QRect(5, 0, 22, 32), Edge, 3);
        FillRounded(painter, QRect(6, 1, 20, 30), Body, 2);
        painter.fillRect(QRect(8, 3, 16, 6), Edge);
        painter.fillRect(QRect(9, 4, 14, 4), Screen);
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 3; ++column) {
                const QRect key(9 + 5 * column, 11 + 5 * row, 4, 4);
                painter.fillRect(key, KeyShade);
                painter.fillRect(key.adjusted(0, 0, -1, -1), Key);
            }
        }
    } else {
        FillRounded(painter, QRect(2, 0, 12, 16), Edge, 1);
        painter.fillRect(QRect(3, 1, 10, 14), Body);
        painter.fillRect(QRect(4, 2, 8, 2), Screen);
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 3; ++column)
                painter.fillRect(QRect(4 + 3 * column, 6 + 2 * row, 2, 1), Key);
        }
    }
    return icon;
}
