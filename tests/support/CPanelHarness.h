#pragma once

#include "CFakePlatform.h"
#include "shell/CDialerDlg.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A panel on the fake platform, offscreen, in a temporary working directory
// that holds a "script" folder unless asked not to. AfterIntro shows it and
// runs its opening sequence to the end, as a user meets it; Constructed
// leaves it as made, not shown, the opening sequence not begun.
class CPanelHarness {
public:
    enum Start { AfterIntro, Constructed };

    explicit CPanelHarness(Start start = AfterIntro, bool scriptFolder = true);
    ~CPanelHarness();
    CPanelHarness(const CPanelHarness&) = delete;
    CPanelHarness& operator=(const CPanelHarness&) = delete;

    CFakePlatform platform;
    // Shows the panel and makes it the active window.
    void Show();
    CDialerDlg& Dialog() { return *m_dialog; }
    CDialScript& Script();
    // The panel's mode: "idle", "playing", "recording", "paused", "repeat",
    // "saving", "loading" or "info".
    QString Mode() const;

    // The folder scripts are listed from, with a trailing '/'.
    QString ScriptDir() const;
    void WriteFile(const QString& name, const QByteArray& bytes) const;
    QByteArray ReadFile(const QString& name) const;

    // A user's steps, separated by blanks: "+N" lets N ms pass; "PLAY",
    // "REC", "STOP", "PAUSE", "REPEAT", "DISPLAY", "CLOSE" and "LAMP" click
    // those controls; "Bc" clicks the key button c; "Kc" presses key c of
    // the numeric keypad ('#' is its divide key; '+', '-', '.', ',' too);
    // "Nc" presses c on the main keyboard; "Rc" holds keypad key c down
    // for three repeats; "T:text" types text, "V:text" pastes it; "ENTER",
    // "KENTER" (the keypad's), "BS", "DOWN" and "ESC" press those keys;
    // "CLICKn" and "DOUBLEn" click and double-click entry n of the script
    // list.
    void Do(const QString& steps);
    // The control named as in Do, or "display", "lines", "scripts", "info",
    // "status", "counter", "banner", "light", "reel", "drag", a key's
    // character.
    QWidget* Widget(const QString& name) const;
    void Type(const QString& text);
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = QString());

    // "mode: enabled buttons | shown views | focus | banner lamp", e.g.
    // "idle: PLAY REC close keys | display lines | PLAY | 186* 244.15":
    // "display:edit" is the display open to typing, a clip is followed by
    // "*" while it plays, or by the frame it stands on; "closed" once the
    // panel has been closed.
    QString Look() const;
    // The status line, the display and the line counter as shown: "...|t|003".
    QString Texts() const;
    QStringList Entries() const;
    QStringList Lines() const;

private:
    QString m_previousDirectory;
    QTemporaryDir m_workDir;
    std::unique_ptr<CDialerDlg> m_dialog;
};
