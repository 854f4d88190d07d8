#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

class QWidget;

// Moves a frameless top-level window with the mouse by itself, for desktops
// whose window manager does not move it (or that have none, as under a bare
// X server). Two ways to move:
//  - a drag: the window follows the mouse while the left button, pressed on
//    a drag area, is held, and stays where the button is released;
//  - the window menu's Move: the window follows the mouse (the arrow keys
//    nudge it) until a click or Enter leaves it there, or Escape puts it
//    back where it was. Only where the window system lets the program place
//    its window and grab the mouse and keyboard (CanMoveFromMenu).
// While a move runs, the mover sees the program's mouse and key events first
// and consumes those that belong to the move.
class CWindowMover : public QObject {
    Q_OBJECT

public:
    // Pixels an arrow key moves the window during a menu move.
    static constexpr int ArrowStep = 8;

    explicit CWindowMover(QWidget* window);
    ~CWindowMover() override;
    CWindowMover(const CWindowMover&) = delete;
    CWindowMover& operator=(const CWindowMover&) = delete;

    // Starts a drag with the button pressed at this global position.
    void BeginDrag(const QPoint& globalPosition);
    // Starts a menu move from the mouse's present global position; does
    // nothing where the window system offers no menu move.
    void BeginMenuMove(const QPoint& globalPosition);
    // Whether a menu move can work on the named Qt platform. Wayland lets a
    // program neither place its window nor grab input outside a popup, and
    // its compositors move a window only while a button pressed on it is
    // held, as on the drag bar, never from a menu command.
    static bool CanMoveFromMenu(const QString& platformName);
    bool IsMoving() const { return m_mode != Idle; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum Mode { Idle, Drag, MenuMove };

    void Begin(Mode mode, const QPoint& globalPosition);
    void End();
    void Follow(const QPoint& globalPosition);
    bool OnKey(int key);

    QPointer<QWidget> m_window;
    Mode m_mode = Idle;
    // Where the mouse was when the move started, where the window was, and
    // how far the arrow keys have nudged it since.
    QPoint m_startMouse;
    QPoint m_startWindow;
    QPoint m_nudged;
};
