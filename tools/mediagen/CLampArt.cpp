#include "CLampArt.h"

#include "CPixelCanvas.h"
#include "media/MediaIds.h"

#include <cmath>
#include <numbers>

namespace {

constexpr int LampSize = 15;
constexpr double Centre = LampSize / 2.0;
constexpr double Radius = 6.9;
constexpr double RimWidth = 1.2;

double Distance(double x, double y)
{
    return std::hypot(x - Centre, y - Centre);
}

// The angle from 12 o'clock, clockwise, in turns from 0 to 1.
double Turn(double x, double y)
{
    const double angle = std::atan2(x - Centre, Centre - y) / (2.0 * std::numbers::pi);
    return angle < 0.0 ? angle + 1.0 : angle;
}

} // namespace

QImage CLampArt::Lamp(int eighths, bool sectorLight)
{
    CPixelCanvas canvas(QSize(LampSize, LampSize));
    const QRect all(0, 0, LampSize, LampSize);
    const double sector = eighths / 8.0;
    canvas.FillWhere(
        all,
        [&](double x, double y) {
            const double distance = Distance(x, y);
            if (distance > Radius)
                return false;
            if (distance > Radius - RimWidth)
                return true;
            const bool inSector = Turn(x, y) < sector;
            return inSector != sectorLight;
        },
        CPixelCanvas::Dark);
    return canvas.ToIndexed();
}

QImage CLampArt::Burst()
{
    // A star of eight rays, long ones straight and short ones diagonal,
    // around a light heart: the lamp flashing.
    CPixelCanvas canvas(QSize(LampSize, LampSize));
    canvas.FillWhere(
        QRect(0, 0, LampSize, LampSize),
        [](double x, double y) {
            const double distance = Distance(x, y);
            const double turn = Turn(x, y);
            const double straight = std::pow(std::abs(std::cos(4.0 * std::numbers::pi * turn)), 12.0);
            const double diagonal = std::pow(std::abs(std::sin(4.0 * std::numbers::pi * turn)), 12.0);
            return distance > 1.6 && distance <= 3.2 + 4.6 * straight + 3.4 * diagonal;
        },
        CPixelCanvas::Dark);
    return canvas.ToIndexed();
}

std::vector<QImage> CLampArt::Frames(int clip)
{
    std::vector<QImage> frames;
    if (clip == Clip::LampFlash) {
        // Dark, a light sector growing clockwise, fully light, a burst.
        for (int eighths = 0; eighths <= 8; ++eighths)
            frames.push_back(Lamp(eighths, true));
        frames.push_back(Burst());
    } else if (clip == Clip::LampCycle) {
        // A dark sector growing until the lamp is dark at frame 7, then a
        // light one until it is light again at frame 15.
        for (int eighths = 1; eighths <= 8; ++eighths)
            frames.push_back(Lamp(eighths, false));
        for (int eighths = 1; eighths <= 8; ++eighths)
            frames.push_back(Lamp(eighths, true));
    }
    return frames;
}

QImage CLampArt::TogglePicture(int id)
{
    CPixelCanvas canvas(QSize(20, 15));
    const QRect all(0, 0, 20, 15);
    if (id == Bitmap::LampSpeaker) {
        // A loudspeaker with three sound lines.
        canvas.Fill(QRect(2, 5, 3, 5), CPixelCanvas::Dark);
        canvas.FillWhere(
            QRect(5, 1, 5, 13), [](double x, double y) { return std::abs(y - 7.5) <= 2.5 + (x - 5.0); },
            CPixelCanvas::Dark);
        for (double radius : {4.0, 6.5, 9.0}) {
            canvas.FillWhere(
                all,
                [radius](double x, double y) {
                    const double distance = std::hypot(x - 8.0, y - 7.5);
                    return x > 11.0 && std::abs(distance - radius) <= 0.6 && std::abs(y - 7.5) < 0.8 * (x - 8.0);
                },
                CPixelCanvas::Dark);
        }
    } else if (id == Bitmap::LampBox) {
        // A small box with a row of five squares, standing on two feet.
        canvas.Fill(QRect(1, 2, 18, 9), CPixelCanvas::Dark);
        canvas.Fill(QRect(2, 3, 16, 7), CPixelCanvas::Light);
        for (int square = 0; square < 5; ++square)
            canvas.Fill(QRect(3 + 3 * square, 5, 2, 3), CPixelCanvas::Dark);
        canvas.Fill(QRect(4, 11, 2, 3), CPixelCanvas::Dark);
        canvas.Fill(QRect(14, 11, 2, 3), CPixelCanvas::Dark);
        canvas.Fill(QRect(3, 13, 4, 1), CPixelCanvas::Dark);
        canvas.Fill(QRect(13, 13, 4, 1), CPixelCanvas::Dark);
    } else {
        return {};
    }
    return canvas.ToIndexed();
}
