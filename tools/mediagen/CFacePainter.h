#pragma once

#include "CFontBook.h"

#include <QImage>
#include <QRect>

struct CDialogLayout;
class QPainter;

// Paints the face (Bitmap::Face), the picture of a telephone handset that the
// panel shows under its controls. Every feature is placed from the panel
// layout at 2 pixels per dialog unit, so that each control lands on its
// place: the screen behind the display, lists and indicators, a light cyan
// cell behind every button, the power button under the close area and the
// label on the drag bar's strip.
class CFacePainter {
public:
    static constexpr int Width = 182;
    static constexpr int Height = 449;
    static constexpr int PixelsPerUnit = 2;

    CFacePainter(const CFontBook& fonts, const CDialogLayout& panel);

    QImage Paint() const;

private:
    // A control's rectangle in pixels.
    QRect ControlRect(int id) const;
    QRect UnionOf(std::initializer_list<int> ids) const;

    void PaintBody(QPainter& painter) const;
    void PaintTopStrip(QPainter& painter) const;
    void PaintScreen(QPainter& painter) const;
    void PaintKeyGrid(QPainter& painter) const;

    const CFontBook& m_fonts;
    const CDialogLayout& m_panel;
};
