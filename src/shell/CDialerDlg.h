#pragma once

// The panel window: frameless, painted with the face of a handset, over
// which the controls of the panel layout sit. It builds the controls, owns
// the script document and the panel controller (see CPanelController.h for
// how the parts fit) and routes events to it. It also offers the window
// menu with the About box, moves with the mouse where no window manager
// moves it, and runs the opening sequence once it is on the screen.

#include "document/CDialScript.h"
#include "panel/CPanelController.h"
#include "shell/CWindowMover.h"

#include <QDialog>
#include <QFont>
#include <QPixmap>

#include <functional>
#include <memory>

class CPlatform;
class QMenu;
struct CDialogLayout;
struct CDialogControl;

class CDialerDlg : public QDialog {
    Q_OBJECT

public:
    // The commands of the window menu; each menu action carries its own.
    enum class WindowCommand { About, Move, Minimize, Close };

    // layout is the panel layout with the point size the display check
    // chose for the dialog font.
    CDialerDlg(CPlatform& platform, const CDialogLayout& layout, QWidget* parent = nullptr);
    ~CDialerDlg() override;

    CDialScript& Script() { return m_script; }
    CPanelController& Controller() { return m_controller; }
    // The control with this id, nullptr for none.
    QWidget* Control(int id) const;

    // The opening sequence. It runs once, from the event loop, after the
    // panel has first been painted on the screen; tests may turn it off
    // before that, or run it themselves.
    void OnIntro();
    void SkipIntro() { m_introDue = false; }
    bool IntroRunning() const { return m_introRunning; }
    // Whether the opening sequence waits for the first mouse movement.
    bool WaitingForMouse() const { return m_waitingForMouse; }

    // The window menu, which the window manager gives no frameless window:
    // Move, Minimize, Close, a separator and the About item.
    QMenu* WindowMenu() const { return m_windowMenu; }
    void ShowWindowMenu(const QPoint& globalPosition);
    void RunWindowCommand(WindowCommand command);
    // Opens the About box modally; replaceable so that tests can count it.
    std::function<void()> runAboutBox;
    CWindowMover& Mover() { return m_mover; }

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnInitDialog();
    CPanelControls CreateControls(const CDialogLayout& layout);
    // The widget of one control of the layout, nullptr for none.
    QWidget* CreateWidget(const CDialogControl& control);
    QRect ToPixels(const CDialogControl& control) const;
    void SetUpFonts();
    void SetUpColours();
    void ConnectControls();
    void CreateWindowMenu();
    // The last steps of the opening sequence, once the mouse has moved.
    void EndIntro();
    // Says once, beside the panel, that tones cannot be heard and why, when
    // the platform found no sound device: the panel works on silently.
    void ShowSoundNotice();
    bool IsKeyForPanel(QObject* watched) const;

    CPlatform& m_platform;
    CWindowMover m_mover{this};
    double m_unit = 2.0;
    QFont m_dialogFont;
    std::vector<std::pair<int, QWidget*>> m_controlsById;

    CDialScript m_script;
    CPanelController m_controller;

    QPixmap m_face;
    QMenu* m_windowMenu = nullptr;
    // Set by the initialisation until the first paint posts the sequence.
    bool m_introDue = false;
    bool m_introRunning = false;
    bool m_waitingForMouse = false;
};
