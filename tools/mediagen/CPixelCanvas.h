#pragma once

#include <QImage>
#include <QRect>

#include <functional>

// A two-colour picture in the panel's light blue and blue, drawn pixel by
// pixel or with a painter that has anti-aliasing off.
class CPixelCanvas {
public:
    static constexpr QRgb Light = 0xFF2ABFFF; // RGB(42, 191, 255), the panel colour
    static constexpr QRgb Dark = 0xFF2A3FFF; // RGB(42, 63, 255)

    // A picture of the given size filled with the light colour.
    explicit CPixelCanvas(QSize size);

    QImage& Image() { return m_image; }

    void Fill(const QRect& rect, QRgb colour);
    // Sets every pixel of rect whose centre (x + 0.5, y + 0.5) satisfies
    // inside to colour. Shapes given as formulas stay exactly symmetric.
    void FillWhere(const QRect& rect, const std::function<bool(double x, double y)>& inside, QRgb colour);
    // Writes text with the font (which must not be anti-aliased) centred in
    // rect.
    void Text(const QRect& rect, const QString& text, const QFont& font, QRgb colour);

    // The picture as an 8-bit indexed image with the two colours as its
    // whole palette. Aborts when any other colour has crept in, so that a
    // smoothing painter cannot go unnoticed.
    QImage ToIndexed() const;

private:
    QImage m_image;
};
