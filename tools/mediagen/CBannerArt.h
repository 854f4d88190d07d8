#pragma once

#include "CFontBook.h"

#include <QImage>
#include <QStringList>

#include <vector>

class CPixelCanvas;

// The mode banner clips, 77 x 15 pixels each: a small symbol at the left
// and a label with the mode's word at the right. A light label is outlined
// in blue with blue letters; a dark one is blue with light letters.
class CBannerArt {
public:
    explicit CBannerArt(const CFontBook& fonts);

    // The frames of a banner clip (Clip::Banner...), in order; empty for
    // any other number.
    std::vector<QImage> Frames(int clip) const;

    // A pixel-art symbol: rows of '#' (blue) and '.' (left as it is).
    using Sprite = QStringList;

private:
    QImage Frame(const QString& word, bool darkLabel, const Sprite& symbol) const;
    QImage ReadyFrame(int step) const;
    void Label(CPixelCanvas& canvas, const QRect& rect, const QString& word, bool dark) const;

    QFont m_font;
};
