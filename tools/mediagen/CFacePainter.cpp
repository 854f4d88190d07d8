#include "CFacePainter.h"

#include "media/CMediaCatalogue.h"
#include "media/MediaIds.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

// The face is drawn around the controls of the panel layout.
using namespace ControlId;

namespace {

// The handset's plastic: the body colour and its darker shades.
const QColor Body(85, 95, 85);
const QColor BodyShade(62, 70, 62);
const QColor BodyDeep(40, 45, 40);
const QColor BodyEdge(26, 29, 26);
const QColor BodyHighlight(112, 124, 112);
const QColor Engraving(196, 206, 196);

const QColor Screen(42, 191, 255);
const QColor ScreenLine(42, 63, 255);
const QColor Cell(212, 255, 255);

// Animation controls take their clip's size, not the layout's: the banner
// shows 77 x 15 clips, the light 15 x 15, the reel 116 x 75; the toggle
// lamp shows a 20 x 15 picture.
QSize ShownSize(int id, QSize layoutSize)
{
    switch (id) {
    case ModeBanner:
        return {77, 15};
    case ActivityLight:
        return {15, 15};
    case IntroReel:
        return {116, 75};
    case ToggleLamp:
        return {20, 15};
    default:
        return layoutSize;
    }
}

QPainterPath Rounded(const QRectF& rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

} // namespace

CFacePainter::CFacePainter(const CFontBook& fonts, const CDialogLayout& panel)
    : m_fonts(fonts)
    , m_panel(panel)
{
}

QRect CFacePainter::ControlRect(int id) const
{
    const CDialogControl* control = m_panel.Control(id);
    if (!control)
        qFatal("the panel layout has no control %d", id);
    const QSize size = ShownSize(id, QSize(control->width, control->height) * PixelsPerUnit);
    return {QPoint(control->x, control->y) * PixelsPerUnit, size};
}

QRect CFacePainter::UnionOf(std::initializer_list<int> ids) const
{
    QRect rect;
    for (int id : ids)
        rect |= ControlRect(id);
    return rect;
}

QImage CFacePainter::Paint() const
{
    QImage face(Width, Height, QImage::Format_RGB32);
    face.fill(BodyEdge);
    QPainter painter(&face);
    painter.setRenderHint(QPainter::Antialiasing, true);
    PaintBody(painter);
    PaintTopStrip(painter);
    PaintScreen(painter);
    PaintKeyGrid(painter);
    return face;
}

void CFacePainter::PaintBody(QPainter& painter) const
{
    // A moulded shell: a light edge at the top left, a shadow at the bottom
    // right, the flat body inside.
    const QRectF all(0, 0, Width, Height);
    painter.fillPath(Rounded(all.adjusted(0.5, 0.5, -0.5, -0.5), 18), BodyShade);
    painter.fillPath(Rounded(all.adjusted(1.5, 1.5, -3.5, -3.5), 16), BodyHighlight);
    painter.fillPath(Rounded(all.adjusted(3, 3, -3, -3), 15), Body);
}

void CFacePainter::PaintTopStrip(QPainter& painter) const
{
    const QRect strip = ControlRect(DragBar);
    const QRect power = ControlRect(CloseArea);

    // The maker's label at the top left of the strip.
    painter.setFont(m_fonts.Sans(10, true, false, true));
    painter.setPen(Engraving);
    const QRect label(strip.left() + 12, strip.top() + 6, 60, strip.height() - 10);
    painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("PELMORA"));

    // The earpiece: a row of four slots in the middle of the handset.
    constexpr int SlotPitch = 9;
    constexpr int SlotWidth = 6;
    const int slotsLeft = (Width - (3 * SlotPitch + SlotWidth)) / 2;
    for (int slot = 0; slot < 4; ++slot) {
        const QRectF groove(slotsLeft + SlotPitch * slot, strip.top() + 9, SlotWidth, 10);
        painter.fillPath(Rounded(groove, 2.5), BodyEdge);
        painter.fillPath(Rounded(groove.adjusted(1, 1, -1, -2), 2), BodyDeep);
    }

    // The word POWER beside the red round button under the close area.
    painter.setFont(m_fonts.Sans(8, true, false, true));
    painter.setPen(Engraving);
    const QRect word(power.left() - 34, power.top(), 32, power.height());
    painter.drawText(word, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("POWER"));

    const QPointF centre = QRectF(power).center();
    painter.setPen(Qt::NoPen);
    painter.setBrush(BodyEdge);
    painter.drawEllipse(centre, 10.5, 10.5);
    QRadialGradient red(centre + QPointF(-3, -3), 11);
    red.setColorAt(0.0, QColor(255, 120, 100));
    red.setColorAt(0.35, QColor(226, 30, 24));
    red.setColorAt(1.0, QColor(128, 8, 6));
    painter.setBrush(red);
    painter.drawEllipse(centre, 8.5, 8.5);
}

void CFacePainter::PaintScreen(QPainter& painter) const
{
    // The screen reaches 4 pixels beyond the controls that sit on it (2 at
    // the top, where the power button is near).
    const QRect controls = UnionOf({ToggleLamp, ScriptList, LineList, Display, ModeBanner, StatusLine, InfoText,
        ActivityLight, IntroReel, LineCounter});
    const QRect screen = controls.adjusted(-4, -2, 4, 4);

    painter.fillPath(Rounded(QRectF(screen).adjusted(-3, -3, 3, 3), 7), BodyEdge);
    painter.fillPath(Rounded(QRectF(screen).adjusted(-2, -2, 2, 2), 6), BodyDeep);
    painter.fillPath(Rounded(QRectF(screen), 4), Screen);

    // Two thin lines cross the screen: under the row of indicators and
    // above the status line.
    const QRect indicators = UnionOf({ToggleLamp, ModeBanner, ActivityLight, LineCounter});
    const QRect centre = UnionOf({ScriptList, LineList, Display, InfoText});
    const QRect status = ControlRect(StatusLine);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const int upper = (indicators.bottom() + centre.top() + 1) / 2;
    const int lower = (centre.bottom() + status.top() + 1) / 2;
    painter.fillRect(QRect(screen.left(), upper, screen.width(), 1), ScreenLine);
    painter.fillRect(QRect(screen.left(), lower, screen.width(), 1), ScreenLine);
    painter.setRenderHint(QPainter::Antialiasing, true);
}

void CFacePainter::PaintKeyGrid(QPainter& painter) const
{
    // Each button sits in a light cyan cell 3 pixels wider on every side;
    // the cells stand in a dark recess, so the gaps between them read as the
    // lines of a grid.
    QRect grid;
    for (const CDialogControl& control : m_panel.controls) {
        if (control.kind == CDialogControl::Button)
            grid |= ControlRect(control.id).adjusted(-3, -3, 3, 3);
    }
    painter.fillPath(Rounded(QRectF(grid).adjusted(-3, -3, 3, 3), 6), BodyEdge);
    painter.fillPath(Rounded(QRectF(grid).adjusted(-2, -2, 2, 2), 5), BodyDeep);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const CDialogControl& control : m_panel.controls) {
        if (control.kind == CDialogControl::Button)
            painter.fillRect(ControlRect(control.id).adjusted(-3, -3, 3, 3), Cell);
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
}
