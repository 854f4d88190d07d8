#pragma once

#include "CFontBook.h"

#include <QImage>

#include <array>

// Icon Bitmap::Icon: a small handset seen from the front, its screen above a
// telephone keypad of twelve orange keys, transparent around the handset.
// Every size is drawn for its own pixel grid rather than scaled from
// another: up to 32 pixels pixel by pixel, larger sizes with smooth
// outlines and, as room allows, more detail (shaded keys, an earpiece slot,
// the digits on the keys, a number on the screen).
class CIconPainter {
public:
    // The sizes of the icon theme; 32 and 16 are also the program's own icon.
    static constexpr std::array<int, 8> ThemeSizes = {16, 22, 24, 32, 48, 64, 128, 256};

    explicit CIconPainter(const CFontBook& fonts);

    // The image of the given size; a null image for a size not in ThemeSizes.
    QImage Paint(int size) const;

private:
    QImage PaintSmooth(int size) const;

    const CFontBook& m_fonts;
};
