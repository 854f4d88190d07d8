#pragma once

#include <QEvent>
#include <QObject>
#include <QPointF>
#include <QPointer>

#include <deque>
#include <memory>

class QKeyEvent;
class QPointingDevice;

// Holds input back while the program blocks, and hands it on afterwards in
// its order. From Begin to End, keys, mouse buttons and mouse movements that
// reach a window are kept instead of handled; after End the event loop's
// next pass sends them to their windows again, all of them, unless a
// handler runs an event loop of its own (PLAY), which then meets the rest.
// Input that arrives while some is still kept queues up behind it. A
// press of Escape and the window system's close pass at once, so that a
// program holding its input for a while can still be closed.
// Make it after the QApplication.
class CInputHold : public QObject {
public:
    CInputHold();
    ~CInputHold() override;
    CInputHold(const CInputHold&) = delete;
    CInputHold& operator=(const CInputHold&) = delete;

    void Begin();
    void End();
    // Whether Escape or a close has passed since Begin.
    bool CloseRequested() const { return m_closeRequested; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Sends the input kept on to its windows.
    void customEvent(QEvent* event) override;

private:
    // A key event is kept as a copy; a mouse event by its values, since a
    // copy would share its positions with the pointing device's record,
    // which every later mouse event changes.
    struct Kept {
        QPointer<QObject> window;
        std::unique_ptr<QKeyEvent> key;
        QEvent::Type type = QEvent::None;
        QPointF position;
        QPointF scenePosition;
        QPointF globalPosition;
        Qt::MouseButton button = Qt::NoButton;
        Qt::MouseButtons buttons;
        Qt::KeyboardModifiers modifiers;
        const QPointingDevice* device = nullptr;
        quint64 timestamp = 0;
    };

    void SendLater();

    std::deque<Kept> m_kept;
    const QEvent* m_sending = nullptr;
    bool m_holding = false;
    bool m_sendPosted = false;
    bool m_closeRequested = false;
};
