#pragma once

#include "media/MediaIds.h"

#include <QLabel>

class CPlatform;
class CWindowMover;

// The three areas that stand in for a title bar: the close area over the
// face's power button, the drag bar along the top, and the toggle lamp.
// Each is told apart by its control id.
class CTitleBarArea : public QLabel {
    Q_OBJECT

public:
    static constexpr int CloseArea = ControlId::CloseArea;
    static constexpr int DragBar = ControlId::DragBar;
    static constexpr int ToggleLamp = ControlId::ToggleLamp;

    // mover moves the panel where the window manager does not.
    CTitleBarArea(int controlId, CPlatform& platform, CWindowMover& mover, QWidget* parent);

    int ControlId() const { return m_controlId; }
    // 0 off (picture 190, the start), 1 on (picture 189).
    int ToggleState() const { return m_toggleState; }
    // The bitmap shown now, 0 for none.
    int Picture() const { return m_picture; }
    void SetPicture(int bitmap);

    // The left button pressed over the area: the close area plays its
    // sound to the end and then closes the panel, the drag bar moves the
    // panel while the button is held, the toggle lamp flips its picture.
    void OnPressed(const QPoint& globalPosition);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void StartDrag(const QPoint& globalPosition);

    int m_controlId = 0;
    CPlatform& m_platform;
    CWindowMover& m_mover;
    int m_toggleState = 0;
    int m_picture = 0;
};
