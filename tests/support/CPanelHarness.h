#pragma once

#include "CFakePlatform.h"
#include "shell/CDialerDlg.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class QAbstractButton;

// A panel on the fake platform, offscreen, in a temporary working directory.
// The working directory holds a "script" folder unless the test asks for
// none; the panel detects it when it is made, as at start-up.
//
// AfterIntro shows the panel and runs its opening sequence to the end (a
// mouse movement is scheduled 2 s after the flashes), so the panel is in the
// state a user meets. Constructed leaves the panel as its constructor left
// it: not shown, the opening sequence still posted.
class CPanelHarness {
public:
    enum Start { AfterIntro, Constructed };

    explicit CPanelHarness(Start start = AfterIntro, bool scriptFolder = true, int pointSize = 10);
    ~CPanelHarness();
    CPanelHarness(const CPanelHarness&) = delete;
    CPanelHarness& operator=(const CPanelHarness&) = delete;

    CFakePlatform& Platform() { return m_platform; }
    CDialerDlg& Dialog() { return *m_dialog; }
    CPanelControls& Controls() { return m_dialog->Panel().controls; }
    CDialScript& Script() { return m_dialog->Script(); }

    // Where scripts are listed and saved: the "script" folder or the working
    // directory itself, with a trailing '/'.
    QString ScriptDir() const;
    void WriteFile(const QString& name, const QByteArray& bytes) const;
    QByteArray ReadFile(const QString& name) const;

    // Shows the panel and waits until it is the active window.
    void Show();
    // A left click on the control with this id (a button or a list).
    void Click(int id);
    void Click(QAbstractButton* button);
    // A key press and release delivered to the focused control, as the
    // keyboard would.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = QString());
    // A key of the numeric keypad: '0'-'9', '*', '/', '+', '-', '.'.
    void Keypad(char key);
    void Type(const QString& text);

    // Puts text on the clipboard and pastes it into the focused control
    // with Ctrl+V.
    void Paste(const QString& text);
    // A click, or a double-click, on entry row of the script list.
    void ClickEntry(int row);
    void DoubleClickEntry(int row);
    // The entries of the script list, in the order shown.
    QStringList Entries() const;
    // Names the animation controls "banner", "lamp" and "reel", so that
    // CFakePlatform::AnimationLog tells them apart.
    void NameAnimations();

    // Which of PLAY, REC, STOP, PAUSE, REPEAT and the close area are
    // enabled: "play+ rec+ stop- pause- repeat- close+".
    QString Buttons() const;
    // The status line's text as shown.
    QString Status() const;
    QString DisplayText() const;

private:
    QString m_previousDirectory;
    QTemporaryDir m_workDir;
    CFakePlatform m_platform;
    std::unique_ptr<CDialerDlg> m_dialog;
};
