#pragma once

#include <QAbstractButton>
#include <QPixmap>

// A button drawn entirely from pictures named after its caption: "U" the
// normal face (required), "D" pressed, "F" focused and "X" disabled, each
// optional. It takes the size of its normal face.
class CBitmapButton : public QAbstractButton {
    Q_OBJECT

public:
    CBitmapButton(int controlId, QWidget* parent);

    int ControlId() const { return m_controlId; }
    // Loads the faces of caption and resizes the button to its normal face.
    // Returns false when the normal face does not exist.
    bool AutoLoad(const QString& caption);
    // The face drawn now: pressed, else focused, else disabled, else normal,
    // each only when it exists.
    QChar CurrentFace() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QPixmap& FacePixmap() const;

    int m_controlId = 0;
    QPixmap m_up;
    QPixmap m_down;
    QPixmap m_focus;
    QPixmap m_disabled;
};
