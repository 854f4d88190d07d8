#pragma once

#include <QLabel>
#include <QPoint>

class CPlatform;

// The three areas that stand in for a title bar: the close area over the
// face's power button, the drag bar along the top, and the toggle lamp.
// Each is told apart by its control id.
class CCaptionStatic : public QLabel {
    Q_OBJECT

public:
    static constexpr int CloseArea = 1027;
    static constexpr int DragBar = 1029;
    static constexpr int ToggleLamp = 1030;

    CCaptionStatic(int controlId, CPlatform& platform, QWidget* parent);

    int ControlId() const { return m_controlId; }
    // 0 off (picture 190, the start), 1 on (picture 189).
    int ToggleState() const { return m_toggleState; }
    // The bitmap shown now, 0 for none.
    int Picture() const { return m_picture; }
    void SetPicture(int bitmap);

    void OnLButtonDown(const QPointF& globalPosition);
    void OnLButtonUp();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void StartDrag(const QPointF& globalPosition);

    int m_controlId = 0;
    CPlatform& m_platform;
    int m_toggleState = 0;
    int m_picture = 0;
    // Our own dragging, where no window manager moves the window for us.
    bool m_dragging = false;
    QPoint m_dragOffset;
};
