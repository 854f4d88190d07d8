#include "CIconPainter.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

const QColor Edge(26, 29, 26);
const QColor Body(85, 95, 85);
const QColor Screen(42, 191, 255);
const QColor ScreenText(0, 95, 255);
const QColor Key(255, 159, 0);
const QColor KeyShade(176, 96, 0);
const QColor KeyLight(255, 214, 140);

// A small size drawn pixel by pixel: the handset's outline and body, the
// screen in its frame and the grid of keys, each key with an optional
// shaded right and bottom edge.
struct PixelPlan {
    int size;
    QRect edge;
    int edgeCut;
    QRect body;
    int bodyCut;
    QRect screenFrame; // none at 16 pixels
    QRect screen;
    QPoint firstKey;
    QSize key;
    QSize pitch;
    bool shaded;
};

const PixelPlan PixelPlans[] = {
    {16, {2, 0, 12, 16}, 1, {3, 1, 10, 14}, 0, {}, {4, 2, 8, 2}, {4, 6}, {2, 1}, {3, 2}, false},
    {22, {3, 0, 16, 22}, 2, {4, 1, 14, 20}, 1, {5, 2, 12, 5}, {6, 3, 10, 3}, {6, 8}, {3, 2}, {4, 3}, true},
    {24, {4, 0, 16, 24}, 2, {5, 1, 14, 22}, 1, {6, 2, 12, 6}, {7, 3, 10, 4}, {7, 10}, {3, 2}, {4, 3}, true},
    {32, {5, 0, 22, 32}, 3, {6, 1, 20, 30}, 2, {8, 3, 16, 6}, {9, 4, 14, 4}, {9, 11}, {4, 4}, {5, 5}, true},
};

// A rectangle with its corner pixels left out.
void FillRounded(QPainter& painter, const QRect& rect, const QColor& colour, int cut)
{
    for (int row = 0; row < rect.height(); ++row) {
        const int fromEdge = std::min(row, rect.height() - 1 - row);
        const int inset = std::max(0, cut - fromEdge);
        painter.fillRect(QRect(rect.left() + inset, rect.top() + row, rect.width() - 2 * inset, 1), colour);
    }
}

QImage PaintPixels(const PixelPlan& plan)
{
    QImage icon(plan.size, plan.size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    FillRounded(painter, plan.edge, Edge, plan.edgeCut);
    FillRounded(painter, plan.body, Body, plan.bodyCut);
    if (!plan.screenFrame.isNull())
        painter.fillRect(plan.screenFrame, Edge);
    painter.fillRect(plan.screen, Screen);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QRect key(plan.firstKey + QPoint(column * plan.pitch.width(), row * plan.pitch.height()), plan.key);
            if (plan.shaded) {
                painter.fillRect(key, KeyShade);
                painter.fillRect(key.adjusted(0, 0, -1, -1), Key);
            } else {
                painter.fillRect(key, Key);
            }
        }
    }
    return icon;
}

} // namespace

CIconPainter::CIconPainter(const CFontBook& fonts)
    : m_fonts(fonts)
{
}

QImage CIconPainter::Paint(int size) const
{
    for (const PixelPlan& plan : PixelPlans) {
        if (plan.size == size)
            return PaintPixels(plan);
    }
    if (std::find(ThemeSizes.begin(), ThemeSizes.end(), size) == ThemeSizes.end())
        return {};
    return PaintSmooth(size);
}

QImage CIconPainter::PaintSmooth(int size) const
{
    // The layout of the 32-pixel drawing in its units, every edge snapped
    // to this size's pixels so that straight edges stay sharp.
    const double unit = size / 32.0;
    const auto snap = [unit](double units) { return static_cast<int>(std::lround(units * unit)); };
    const int line = std::max(1, snap(0.75));
    const double radius = 3.5 * unit;

    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);

    const QRect outline((size - snap(22)) / 2, 0, snap(22), size);
    painter.setBrush(Edge);
    painter.drawRoundedRect(outline, radius, radius);
    const QRect body = outline.adjusted(line, line, -line, -line);
    QLinearGradient bodyShade(body.topLeft(), body.bottomLeft());
    bodyShade.setColorAt(0, Body.lighter(125));
    bodyShade.setColorAt(1, Body.darker(115));
    painter.setBrush(bodyShade);
    painter.drawRoundedRect(body, radius - line, radius - line);

    const QRect frame((size - snap(16)) / 2, snap(3), snap(16), snap(6));
    if (size >= 64) {
        // The earpiece: a slot in the middle of the strip above the screen.
        const int slotHeight = std::max(1, snap(0.6));
        const QRect slot((size - snap(6)) / 2, (body.top() + frame.top() - slotHeight) / 2, snap(6), slotHeight);
        painter.setBrush(Edge);
        painter.drawRoundedRect(slot, slotHeight / 2.0, slotHeight / 2.0);
    }
    painter.setBrush(Edge);
    painter.drawRoundedRect(frame, line, line);
    const QRect screen = frame.adjusted(line, line, -line, -line);
    QLinearGradient screenShade(screen.topLeft(), screen.bottomLeft());
    screenShade.setColorAt(0, Screen.lighter(115));
    screenShade.setColorAt(1, Screen);
    painter.setBrush(screenShade);
    painter.drawRect(screen);
    if (size >= 128) {
        // A number being dialled, in the panel's display colour.
        painter.setPen(ScreenText);
        painter.setFont(m_fonts.Sans(screen.height() * 3 / 4, false, false, true));
        painter.drawText(
            screen.adjusted(line * 2, 0, -line * 2, 0), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("555"));
        painter.setPen(Qt::NoPen);
    }

    // The keys: a whole number of pixels apart, the grid centred under the
    // screen.
    const int pitch = static_cast<int>(5 * unit); // rounded down, so that four rows fit
    const int gap = std::max(1, static_cast<int>(unit));
    const int keySize = pitch - gap;
    const int left = frame.left() + (frame.width() - (3 * pitch - gap)) / 2;
    const int top = snap(11);
    const double keyRadius = keySize / 6.0;
    const QString labels = QStringLiteral("123456789*0#");
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QRect key(left + column * pitch, top + row * pitch, keySize, keySize);
            painter.setBrush(KeyShade);
            painter.drawRoundedRect(key, keyRadius, keyRadius);
            const QRect face = key.adjusted(0, 0, -line, -line);
            if (size >= 128) {
                painter.setBrush(KeyLight);
                painter.drawRoundedRect(face, keyRadius, keyRadius);
                painter.setBrush(Key);
                painter.drawRoundedRect(face.adjusted(line, line, 0, 0), keyRadius, keyRadius);
            } else {
                painter.setBrush(Key);
                painter.drawRoundedRect(face, keyRadius, keyRadius);
            }
            if (size >= 128) {
                // Black italic digits, as on the panel's keys.
                painter.setPen(Qt::black);
                painter.setFont(m_fonts.Sans(face.height() * 3 / 4, true, true, true));
                painter.drawText(face, Qt::AlignCenter, labels.mid(row * 3 + column, 1));
                painter.setPen(Qt::NoPen);
            }
        }
    }
    return icon;
}
