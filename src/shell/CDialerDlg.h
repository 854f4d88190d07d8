#pragma once

// The panel: a frameless window painted with the face of a handset, over
// which the controls of the panel layout sit. It owns the one script
// document and the parts that drive the panel, and only routes events to
// them:
//  - CDialScript holds the script, its files, the recorder and the mode;
//  - CPanelState holds the controls and the four panel texts;
//  - CPanelModes gives the panel the look of the current mode;
//  - CKeypad sounds, sends and enables the twelve keys;
//  - CPanelCommands carries out every button and key but PLAY, including
//    the keyboard handling that sees each key press first;
//  - CPanelPlayback starts PLAY and presents the playback that its
//    CScriptPlayer runs inside the click handler.
// The window itself paints the face, offers the system menu with the About
// box, moves with the mouse where no window manager moves it, and runs the
// opening sequence once it is on the screen.

#include "document/CDialScript.h"
#include "panel/CPanelCommands.h"
#include "panel/CPanelModes.h"
#include "panel/CPanelPlayback.h"
#include "panel/CPanelState.h"
#include "playback/CKeypad.h"
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
    // Commands of the system menu.
    static constexpr int IdmAboutBox = 0x0010;
    static constexpr int ScMove = 0xF010;
    static constexpr int ScMinimize = 0xF020;
    static constexpr int ScClose = 0xF060;
    static constexpr int ScRestore = 0xF120;

    // layout is the panel layout with the point size the display check
    // chose for the dialog font.
    CDialerDlg(CPlatform& platform, const CDialogLayout& layout, QWidget* parent = nullptr);
    ~CDialerDlg() override;

    CDialScript& Script() { return m_script; }
    CPanelState& Panel() { return m_panel; }
    CPanelModes& Modes() { return m_modes; }
    CPanelCommands& Commands() { return m_commands; }
    CPanelPlayback& Playback() { return m_playback; }
    // The control with this id, nullptr for none.
    QWidget* Control(int id) const;
    // Pixels per dialog unit of the dialog font.
    double DialogUnit() const { return m_unit; }

    // The opening sequence. It runs once, from the event loop, after the
    // panel has first been painted on the screen; tests may turn it off
    // before that, or run it themselves.
    void OnIntro();
    void SkipIntro() { m_introDue = false; }
    bool IntroRunning() const { return m_introRunning; }
    // Whether the opening sequence waits for the first mouse movement.
    bool WaitingForMouse() const { return m_waitingForMouse; }

    // The system menu: Move, Minimize, Close, a separator and the About
    // item. Each entry carries its command id as its data.
    QMenu* SystemMenu() const { return m_systemMenu; }
    void ShowSystemMenu(const QPoint& globalPosition);
    // A command of the system menu (or of the window system): ids 0x0010 to
    // 0x001F open the About box, the others move, minimise, restore or
    // close the panel.
    void OnSysCommand(int command);
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
    QRect ToPixels(const CDialogControl& control) const;
    void SetUpFonts();
    void SetUpColours();
    void ConnectControls();
    void CreateSystemMenu();
    // The last steps of the opening sequence, once the mouse has moved.
    void EndIntro();
    bool IsKeyForPanel(QObject* watched) const;

    CPlatform& m_platform;
    CWindowMover m_mover{this};
    double m_unit = 2.0;
    QFont m_dialogFont;
    std::vector<std::pair<int, QWidget*>> m_controlsById;

    CDialScript m_script;
    CPanelState m_panel;
    CKeypad m_keypad;
    CPanelModes m_modes;
    CPanelCommands m_commands;
    CPanelPlayback m_playback;

    QPixmap m_face;
    QMenu* m_systemMenu = nullptr;
    // Set by the initialisation until the first paint posts the sequence.
    bool m_introDue = false;
    bool m_introRunning = false;
    bool m_waitingForMouse = false;
};
