#pragma once

#include "CFontBook.h"

#include <QImage>
#include <QString>

// Paints the button faces: caption plus face letter, 'U' normal, 'D'
// pressed, 'X' disabled. Keys are orange with black italic digits, the
// transport buttons steel blue with their symbols and words.
class CButtonPainter {
public:
    explicit CButtonPainter(const CFontBook& fonts);

    // The face, or a null image for a caption or letter that has none.
    QImage Paint(const QString& caption, char letter) const;

private:
    QImage PaintKey(const QString& caption, bool pressed) const;
    QImage PaintTransport(const QString& caption, char letter) const;

    const CFontBook& m_fonts;
};
