#include "CIntroReel.h"

#include <QLineF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string_view>

namespace {

const QColor Background(42, 191, 255);
const QColor Ink(42, 63, 255);
const QColor Plate(212, 255, 255);

// The greeting, written with a pen: each stroke runs through its points on
// a smooth curve (baseline at y = 30, small letters 11 pixels high).
// clang-format off
const std::vector<std::vector<QPointF>> GreetingStrokes = {
    // h, e, l, l, o in one stroke
    {{3, 29}, {7, 24}, {11, 15}, {13, 7}, {12, 3}, {9, 6}, {8, 16}, {7, 30},
     {9, 24}, {13, 20}, {17, 21}, {17, 26}, {18, 30}, {22, 29},
     {27, 24}, {28, 20}, {25, 20}, {23, 25}, {25, 30}, {30, 30},
     {35, 22}, {38, 12}, {38, 5}, {35, 6}, {33, 16}, {33, 27}, {36, 30},
     {41, 22}, {44, 12}, {44, 5}, {41, 6}, {39, 16}, {39, 27}, {42, 30},
     {47, 24}, {51, 20}, {55, 22}, {55, 28}, {51, 30}, {47, 27}, {48, 22}, {53, 19}, {58, 20}, {62, 21}},
    // the exclamation mark: stem, then dot
    {{67, 5}, {66, 14}, {65, 23}},
    {{64.6, 29}, {64.4, 29.6}},
};

// The name in a dot-matrix alphabet, 7 rows high.
struct Glyph {
    char letter;
    std::array<std::string_view, 7> rows;
};
const std::array<Glyph, 7> Alphabet = {{
    {'P', {"###.", "#..#", "#..#", "###.", "#...", "#...", "#..."}},
    {'e', {"....", "....", ".##.", "#..#", "####", "#...", ".###"}},
    {'l', {"##.", ".#.", ".#.", ".#.", ".#.", ".#.", "###"}},
    {'m', {".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"}},
    {'o', {"....", "....", ".##.", "#..#", "#..#", "#..#", ".##."}},
    {'r', {"....", "....", "#.##", "##..", "#...", "#...", "#..."}},
    {'a', {"....", "....", ".##.", "...#", ".###", "#..#", ".###"}},
}};
// clang-format on

constexpr double DotPitch = 3.0;
constexpr double DotRadius = 1.1;
const QRectF PlateRect(2, 42, 112, 31);

// The curve through points (Catmull-Rom), flattened into a dense polyline.
std::vector<QPointF> Smooth(const std::vector<QPointF>& points)
{
    if (points.size() < 3)
        return points;
    std::vector<QPointF> line;
    const auto at = [&](std::ptrdiff_t i) {
        return points[static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(i, 0, std::ssize(points) - 1))];
    };
    for (std::ptrdiff_t i = 0; i + 1 < std::ssize(points); ++i) {
        const QPointF p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
        const QPointF c1 = p1 + (p2 - p0) / 6.0;
        const QPointF c2 = p2 - (p3 - p1) / 6.0;
        constexpr int Steps = 12;
        for (int step = 0; step < Steps; ++step) {
            const double t = static_cast<double>(step) / Steps;
            const double u = 1.0 - t;
            line.push_back(u * u * u * p1 + 3 * u * u * t * c1 + 3 * u * t * t * c2 + t * t * t * p2);
        }
    }
    line.push_back(points.back());
    return line;
}

double Length(const std::vector<QPointF>& line)
{
    double length = 0.0;
    for (std::size_t i = 1; i < line.size(); ++i)
        length += QLineF(line[i - 1], line[i]).length();
    return length;
}

double Ease(double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

} // namespace

CIntroReel::CIntroReel()
{
    for (const std::vector<QPointF>& points : GreetingStrokes) {
        m_strokes.push_back(Smooth(points));
        m_strokeLength += Length(m_strokes.back());
    }

    // The dots of the name, centred on the plate, each flying in from its
    // own scattered place.
    int columns = -1;
    for (const Glyph& glyph : Alphabet)
        columns += static_cast<int>(glyph.rows[0].size()) + 1;
    // Dots centred on pixel corners all come out alike, each a round 2 x 2.
    const QPointF corner = PlateRect.center() - QPointF((columns - 1) * DotPitch / 2.0, 6 * DotPitch / 2.0);
    const QPointF origin(std::round(corner.x()), std::round(corner.y()));
    std::minstd_rand scatter(245);
    const auto random = [&scatter](double span) {
        return span * static_cast<double>(scatter() - std::minstd_rand::min())
            / static_cast<double>(std::minstd_rand::max() - std::minstd_rand::min());
    };
    int column = 0;
    for (const Glyph& glyph : Alphabet) {
        const int width = static_cast<int>(glyph.rows[0].size());
        for (int row = 0; row < 7; ++row) {
            for (int x = 0; x < width; ++x) {
                if (glyph.rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(x)] != '#')
                    continue;
                const QPointF to = origin + QPointF((column + x) * DotPitch, row * DotPitch);
                const QPointF from(random(Width - 4) + 2, random(Height - 4) + 2);
                m_dots.push_back({from, to});
            }
        }
        column += width + 1;
    }
}

std::vector<QImage> CIntroReel::Frames() const
{
    std::vector<QImage> frames;
    frames.reserve(FrameCount);
    for (int index = 0; index < FrameCount; ++index)
        frames.push_back(Frame(index));
    return frames;
}

QImage CIntroReel::Frame(int index) const
{
    const double progress = static_cast<double>(index) / (FrameCount - 1);
    QImage frame(Width, Height, QImage::Format_RGB32);
    frame.fill(Background);
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::Antialiasing, true);

    // The plate widens from its middle over the first half of the clip.
    const double plateWidth = PlateRect.width() * Ease(progress * 2.0);
    if (plateWidth > 1.0) {
        QRectF plate = PlateRect;
        plate.setWidth(plateWidth);
        plate.moveCenter(PlateRect.center());
        painter.setPen(QPen(Ink, 2.0));
        painter.setBrush(Plate);
        painter.drawRoundedRect(plate, 5, 5);
    }

    // The dots gather.
    painter.setPen(Qt::NoPen);
    painter.setBrush(Ink);
    const double gather = Ease(progress);
    for (const Dot& dot : m_dots)
        painter.drawEllipse(dot.from + (dot.to - dot.from) * gather, DotRadius, DotRadius);

    // The greeting is written out: the pen has covered this much of it.
    double ink = m_strokeLength * (index + 1) / FrameCount;
    painter.setPen(QPen(Ink, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.translate(4, 0);
    painter.scale(1.15, 1.15);
    for (const std::vector<QPointF>& stroke : m_strokes) {
        QPainterPath path(stroke.front());
        for (std::size_t i = 1; i < stroke.size() && ink > 0.0; ++i) {
            const QLineF step(stroke[i - 1], stroke[i]);
            if (step.length() > ink) {
                path.lineTo(step.pointAt(ink / step.length()));
                ink = 0.0;
                break;
            }
            ink -= step.length();
            path.lineTo(stroke[i]);
        }
        painter.drawPath(path);
        if (ink <= 0.0)
            break;
    }
    return frame;
}
