#include "CButtonPainter.h"

#include "media/MediaTable.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

constexpr int Width = 46;
constexpr int Height = 30;
constexpr int PlayWidth = 100;

// The colours of a key's body and its raised (or, pressed, sunken) edges.
struct BodyColours {
    QColor face;
    QColor light;
    QColor dark;
    QColor border;
};

const BodyColours KeyUp = {QColor(255, 159, 0), QColor(255, 214, 140), QColor(196, 112, 0), QColor(92, 52, 0)};
const BodyColours KeyDown = {QColor(255, 198, 96), QColor(222, 150, 40), QColor(255, 226, 170), QColor(92, 52, 0)};
const BodyColours SteelUp = {QColor(42, 127, 170), QColor(132, 196, 226), QColor(22, 78, 108), QColor(8, 34, 50)};
const BodyColours SteelDown = {QColor(84, 162, 204), QColor(30, 98, 134), QColor(150, 208, 236), QColor(8, 34, 50)};
const BodyColours SteelOff = {QColor(88, 124, 142), QColor(132, 160, 174), QColor(64, 90, 104), QColor(36, 50, 58)};

const QColor SymbolWhite(255, 255, 255);
const QColor SymbolRed(232, 28, 24);
const QColor SymbolGreen(44, 214, 64);
const QColor DisabledInk(176, 198, 210);

// The small letters of each digit key.
QString KeyLetters(QChar digit)
{
    static const char* const letters[] = {"", "", "ABC", "DEF", "GHI", "JKL", "MNO", "PRS", "TUV", "WXY"};
    return QString::fromLatin1(letters[digit.digitValue()]);
}

void PaintBody(QPainter& painter, const QRect& rect, const BodyColours& colours)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(rect, colours.border);
    const QRect inner = rect.adjusted(1, 1, -1, -1);
    painter.fillRect(inner, colours.dark);
    painter.fillRect(inner.adjusted(0, 0, -2, -2), colours.light);
    painter.fillRect(inner.adjusted(2, 2, -2, -2), colours.face);
    // Round the four corners off against the cell behind.
    for (const QPoint& corner : {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()})
        painter.fillRect(QRect(corner, QSize(1, 1)), QColor(212, 255, 255));
    painter.setRenderHint(QPainter::Antialiasing, true);
}

// The transport symbols, centred on centre, about size pixels tall.
QPainterPath Symbol(const QString& caption, QPointF centre, qreal size)
{
    QPainterPath path;
    const qreal half = size / 2;
    if (caption == QLatin1String("PLAY")) {
        path.addPolygon(QPolygonF({centre + QPointF(-half * 0.8, -half), centre + QPointF(half * 0.9, 0),
            centre + QPointF(-half * 0.8, half)}));
    } else if (caption == QLatin1String("REPEAT")) {
        path.addPolygon(QPolygonF({centre + QPointF(half * 0.8, -half), centre + QPointF(-half * 0.9, 0),
            centre + QPointF(half * 0.8, half)}));
    } else if (caption == QLatin1String("REC")) {
        path.addEllipse(centre, half * 0.9, half * 0.9);
    } else if (caption == QLatin1String("STOP")) {
        path.addRect(QRectF(centre - QPointF(half * 0.8, half * 0.8), QSizeF(size * 0.8, size * 0.8)));
    } else if (caption == QLatin1String("PAUSE")) {
        path.addRect(QRectF(centre + QPointF(-half * 0.8, -half), QSizeF(size * 0.3, size)));
        path.addRect(QRectF(centre + QPointF(half * 0.2, -half), QSizeF(size * 0.3, size)));
    }
    path.closeSubpath();
    return path;
}

// Where text drawn at the origin puts its ink: measured by drawing it,
// since the font's own bounds are only estimates for some glyphs.
QRect InkRect(const QFont& font, const QString& text)
{
    if (text.isEmpty())
        return {};
    const QPoint origin(64, 64);
    QImage scratch(256, 128, QImage::Format_ARGB32);
    scratch.fill(Qt::transparent);
    {
        QPainter painter(&scratch);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(origin, text);
    }
    QRect ink;
    for (int y = 0; y < scratch.height(); ++y) {
        for (int x = 0; x < scratch.width(); ++x) {
            if (qAlpha(scratch.pixel(x, y)) > 0)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink.translated(-origin);
}

QString TransportWord(const QString& caption)
{
    return caption == QLatin1String("REC") ? QStringLiteral("RECORD") : caption;
}

} // namespace

CButtonPainter::CButtonPainter(const CFontBook& fonts)
    : m_fonts(fonts)
{
}

QImage CButtonPainter::Paint(const QString& caption, char letter) const
{
    const MediaTable::ButtonFaceSpec* spec = MediaTable::FindButtonFace(caption.toStdString());
    if (!spec || spec->letters.find(letter) == std::string_view::npos)
        return {};
    if (caption.startsWith(QLatin1String("DIAL")))
        return PaintKey(caption, letter == 'D');
    return PaintTransport(caption, letter);
}

QImage CButtonPainter::PaintKey(const QString& caption, bool pressed) const
{
    QImage face(Width, Height, QImage::Format_RGB32);
    QPainter painter(&face);
    PaintBody(painter, face.rect(), pressed ? KeyDown : KeyUp);

    // The sign and its small word or letters, centred as a group; a pressed
    // key shows them one pixel down and to the right.
    const QChar key = caption.at(4);
    QString sign(key);
    QString small;
    if (key == QLatin1Char('S')) {
        sign = QStringLiteral("*");
        small = QStringLiteral("LOAD");
    } else if (key == QLatin1Char('H')) {
        sign = QStringLiteral("#");
        small = QStringLiteral("HELP");
    } else {
        small = KeyLetters(key);
    }
    // The sign is placed by its ink, not by its font box, so that signs of
    // any shape sit in the middle of the key; the small letters stand on a
    // common baseline, their capitals centred on the key's middle.
    const QFont signFont = m_fonts.Sans(key == QLatin1Char('S') ? 30 : 21, true, true, true);
    const QFont smallFont = m_fonts.Sans(8, true, false, true);
    const QRect signInk = InkRect(signFont, sign);
    const QRect smallInk = InkRect(smallFont, small);
    const int gap = small.isEmpty() ? 0 : 3;
    const int offset = pressed ? 1 : 0;
    const int left = (Width - signInk.width() - gap - smallInk.width()) / 2 + offset;

    painter.setPen(Qt::black);
    if (!small.isEmpty()) {
        painter.setFont(smallFont);
        const int capHeight = qRound(QFontMetricsF(smallFont).capHeight());
        painter.drawText(QPoint(left - smallInk.left(), (Height + capHeight) / 2 + offset), small);
    }
    painter.setFont(signFont);
    const int signTop = (Height - signInk.height()) / 2 + offset;
    painter.drawText(QPoint(left + smallInk.width() + gap - signInk.left(), signTop - signInk.top()), sign);
    return face;
}

QImage CButtonPainter::PaintTransport(const QString& caption, char letter) const
{
    const bool wide = caption == QLatin1String("PLAY");
    QImage face(wide ? PlayWidth : Width, Height, QImage::Format_RGB32);
    QPainter painter(&face);
    const bool pressed = letter == 'D';
    const bool disabled = letter == 'X';
    PaintBody(painter, face.rect(), disabled ? SteelOff : pressed ? SteelDown : SteelUp);

    QColor symbolColour = SymbolWhite;
    if (letter == 'U' && caption == QLatin1String("STOP"))
        symbolColour = SymbolRed;
    else if (letter == 'U' && (caption == QLatin1String("PAUSE") || caption == QLatin1String("REPEAT")))
        symbolColour = SymbolGreen;
    const QColor wordColour = disabled ? DisabledInk : SymbolWhite;

    const int offset = pressed ? 1 : 0;
    const QString word = TransportWord(caption);
    QPainterPath symbol;
    QRect wordRect;
    if (wide) {
        // Symbol and word side by side.
        symbol = Symbol(caption, QPointF(32.5 + offset, 15 + offset), 14);
        painter.setFont(m_fonts.Sans(14, true, false, true));
        wordRect = QRect(44 + offset, offset, 48, Height);
        painter.setPen(wordColour);
        painter.drawText(wordRect, Qt::AlignLeft | Qt::AlignVCenter, word);
    } else {
        // Symbol above, word below.
        symbol = Symbol(caption, QPointF(23 + offset, 10.5 + offset), 10);
        painter.setFont(m_fonts.Sans(word.size() > 5 ? 8 : 9, true, false, true));
        painter.setPen(wordColour);
        painter.drawText(QRect(offset, 16 + offset, Width, 12), Qt::AlignHCenter | Qt::AlignVCenter, word);
    }
    if (disabled) {
        // Disabled: the symbol in a light outline only.
        painter.setPen(QPen(DisabledInk, 1.2));
        painter.setBrush(Qt::NoBrush);
    } else {
        painter.setPen(QPen(symbolColour.darker(160), 0.8));
        painter.setBrush(symbolColour);
    }
    painter.drawPath(symbol);
    return face;
}
