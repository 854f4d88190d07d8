#pragma once

#include <QImage>

#include <vector>

// The round activity lamp (clips Clip::LampFlash and Clip::LampCycle,
// 15 x 15 frames) and the two toggle lamp pictures (Bitmap::LampBox and
// Bitmap::LampSpeaker, 20 x 15), two-colour pixel art.
class CLampArt {
public:
    // The frames of a lamp clip; empty for any other number.
    static std::vector<QImage> Frames(int clip);
    // A toggle lamp picture; a null image for any other number.
    static QImage TogglePicture(int id);

private:
    // The lamp with the sector from 12 o'clock clockwise over `eighths` of
    // the full turn in one colour and the rest in the other.
    static QImage Lamp(int eighths, bool sectorLight);
    static QImage Burst();
};
