#pragma once

#include <QImage>

// Icon 128: a small handset seen from the front, its screen above a
// telephone keypad of twelve orange keys. Drawn pixel by pixel for 32 x 32
// and 16 x 16, transparent around the handset.
class CIconPainter {
public:
    // The image of the given size (32 or 16); a null image for other sizes.
    static QImage Paint(int size);
};
