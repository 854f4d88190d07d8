#pragma once

#include <QImage>
#include <QPointF>

#include <vector>

// Clip::IntroReel, the opening drawing, 15 frames of 116 x 75 pixels at 15 per
// second: a handwritten "hello!" is written out at the top left while a
// plate with the name Pelmora in large dotted letters gathers below it from
// dots scattered over the picture. The last frame holds the finished
// drawing.
class CIntroReel {
public:
    static constexpr int Width = 116;
    static constexpr int Height = 75;
    static constexpr int FrameCount = 15;

    CIntroReel();

    std::vector<QImage> Frames() const;

private:
    struct Dot {
        QPointF from;
        QPointF to;
    };

    QImage Frame(int index) const;

    // The greeting as pen strokes, each a dense polyline.
    std::vector<std::vector<QPointF>> m_strokes;
    double m_strokeLength = 0.0;
    std::vector<Dot> m_dots;
};
