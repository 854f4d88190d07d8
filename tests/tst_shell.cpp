#include "CPanelHarness.h"
#include "TestRows.h"

#include "media/CMediaCatalogue.h"
#include "platform/CAnimateCtrl.h"
#include "shell/CBitmapButton.h"
#include "shell/CDialerApp.h"
#include "shell/CTitleBarArea.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

// Runs check once the next menu or dialog has opened, then closes it.
void WhenModalOpens(const std::function<void()>& check)
{
    QTimer::singleShot(0, [check] {
        check();
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        else if (QWidget* modal = QApplication::activeModalWidget())
            static_cast<QDialog*>(modal)->accept();
    });
}

QString Text(CPanelHarness& panel, const char* name)
{
    return static_cast<QTextEdit*>(panel.Widget(name))->toPlainText();
}

} // namespace

// Start-up, the opening sequence, the window's chrome and its menu.
class TestShell : public QObject {
    Q_OBJECT

private slots:
    // Before the sequence the credits show and nothing is enabled that
    // would act before it. Then the reel plays once and the blips sound,
    // the keys flash row by row with STOP, PAUSE and REPEAT live, and after
    // the first mouse movement the reel goes and the idle texts show.
    void openingSequence()
    {
        CPanelHarness panel(CPanelHarness::Constructed);
        panel.Dialog().SkipIntro();
        panel.Show();
        QCOMPARE(panel.Look(), QString("idle: PLAY REC close keys | info | DIAL1 | 186* 244.15"));
        QCOMPARE(panel.Texts(), QString("||000"));
        QCOMPARE(Text(panel, "info"), QString("\n\n\n\n\n\n(c) 2000 Pelmora team\npelmora@example.org"));
        QCOMPARE(static_cast<CAnimateCtrl*>(panel.Widget("reel"))->Clip(), int(Clip::IntroReel));
        QCOMPARE(static_cast<CTitleBarArea*>(panel.Widget("LAMP"))->Picture(), int(Bitmap::LampSpeaker));
        QCOMPARE(panel.Dialog().windowTitle(), QString("Pelmora"));
        QStringList holds;
        panel.platform.onBlock = [&](const QString& what) {
            QStringList down;
            for (QAbstractButton* button : panel.Dialog().findChildren<QAbstractButton*>()) {
                if (button->isDown())
                    down << button->text();
            }
            holds << what + ' ' + down.join('+') + ' ' + panel.Look().section(':', 1, 1).section('|', 0, 0).trimmed();
        };
        panel.platform.At(5000, [&] { QTest::mouseMove(&panel.Dialog(), QPoint(30, 100)); });
        panel.Dialog().OnIntro();
        QStringList expected;
        for (const char* key : {"1", "2", "3", "6", "5", "4", "7", "8", "9", "H", "0", "S"})
            expected << QStringLiteral("hold 100 DIAL%1 PLAY REC STOP PAUSE REPEAT close keys").arg(key);
        QCOMPARE(holds, expected);
        QCOMPARE(panel.platform.sounds, QStringList{"262"});
        QCOMPARE(panel.platform.Now(), 5000.0);
        QCOMPARE(panel.Look(), QString("idle: PLAY REC close keys | info | DIAL1 | 186* 244.15"));
        QCOMPARE(panel.Texts(), QString("Load / Record Script||000"));
        QCOMPARE(Text(panel, "info"), QString("\n\n\n\nFor latest version visit:\npelmora.example.org").mid(1));
        QVERIFY(panel.Widget("reel")->isHidden() && !static_cast<CAnimateCtrl*>(panel.Widget("reel"))->IsOpen());
        QVERIFY(panel.Widget("display")->isEnabled());
        panel.Do("B#");
        QVERIFY(Text(panel, "info").contains("for easy recording and playback\nof dial-up sequences."));
    }

    // Without a sound device the panel says so once the sequence has ended,
    // and stays usable.
    void soundNotice()
    {
        CPanelHarness panel(CPanelHarness::Constructed);
        panel.platform.soundProblem = "No sound device found: tones cannot be heard.";
        panel.Dialog().SkipIntro();
        panel.Show();
        panel.platform.At(2000, [&] { QTest::mouseMove(&panel.Dialog(), QPoint(50, 120)); });
        panel.Dialog().OnIntro();
        const QMessageBox* notice = panel.Dialog().findChild<QMessageBox*>();
        QVERIFY(notice && notice->isVisible() && !notice->isModal());
        QCOMPARE(notice->text(), QString::fromStdString(panel.platform.soundProblem));
    }

    // Input during the flashes waits for them; during the wait for the
    // mouse the numeric keypad does nothing and other input acts; the first
    // mouse movement ends the sequence, and what comes after it is handled
    // by the panel as usual.
    void inputDuringTheSequence_data()
    {
        // input: "ms step", as in the harness, "ms MOVE" a mouse movement
        Columns<QString, double, QString, QString>({"input", "end", "look", "status"});
        const char* idle = "idle: PLAY REC close keys | info | DIAL1 | 186* 244.15";
        Row("a move during the flashes", "500 MOVE", 1200.0, idle, "Load / Record Script");
        Row("already moving", "1150 MOVE; 1200 MOVE", 1200.0, idle, "Load / Record Script");
        Row("a move long after", "61000 MOVE", 61000.0, idle, "Load / Record Script");
        Row("the keypad does nothing", "2000 K5; 2100 K#; 3000 MOVE", 3000.0, idle, "Load / Record Script");
        Row("a click on '*' behind the move", "500 MOVE; 600 B*; 4000 MOVE", 1200.0,
            "loading: close keys | display scripts | scripts | 264.3 244.15", "Select Name to Load Script.");
        Row("Escape", "2000 ESC", 2000.0, "closed", "...");
        Row("Escape during the flashes", "500 ESC", 500.0, "closed", "...");
    }

    void inputDuringTheSequence()
    {
        QFETCH(QString, input);
        CPanelHarness panel(CPanelHarness::Constructed);
        panel.Dialog().SkipIntro();
        panel.Show();
        static int moves = 0; // every movement to a new place: one to where the pointer rests is none
        for (const QString& action : input.split("; ")) {
            const QString step = action.section(' ', 1);
            panel.platform.At(
                action.section(' ', 0, 0).toUInt(),
                [&panel, step] {
                    if (step == "MOVE")
                        QTest::mouseMove(&panel.Dialog(), QPoint(30 + ++moves, 100));
                    else
                        panel.Do(step);
                },
                step == "ESC");
        }
        panel.Dialog().OnIntro();
        QTEST(panel.platform.Now(), "end");
        while (panel.platform.HasActions())
            panel.platform.WaitForEvents(-1);
        QTEST(panel.Look(), "look");
        QTEST(panel.Texts().section('|', 0, 0), "status");
        QCOMPARE(panel.platform.sounds.mid(0, 1), QStringList{"262"});
        if (!panel.Look().startsWith("idle"))
            return;
        // Once the sequence has ended the numeric keypad acts again.
        panel.platform.sounds.clear();
        panel.Do("K5");
        QCOMPARE(panel.platform.sounds, QStringList{"267"});
    }

    // The program shows the panel, runs its opening sequence and ends with
    // status 0 once the panel is closed.
    void runUntilClosed()
    {
        CFakePlatform platform;
        CDialerApp app(platform);
        app.messageBox = [](const QString&, const QString&) {};
        bool shown = false;
        platform.At(5000, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (qobject_cast<CDialerDlg*>(widget) != nullptr && widget->isVisible())
                    shown = widget->close();
            }
        });
        QCOMPARE(app.Run(), 0);
        QVERIFY(shown);
    }

    // Every status text fits the status line in the panel's font.
    void statusTextsFitTheStatusLine()
    {
        CPanelHarness panel;
        const auto* line = static_cast<QLabel*>(panel.Widget("status"));
        for (const char* text : {"Press PAUSE to continue", "Script Not Recorded.", "Enter Script Name [ENTER]",
                 "Select Name to Load Script.", "No Script (*.dsq) !", "Load / Record Script First.",
                 "Play Script / Record New", "This Script is Empty", "Stopped: Sound Not Found"})
            QVERIFY2(QFontMetrics(line->font()).horizontalAdvance(text) <= line->width(), text);
    }

    void checkDisplay_data()
    {
        Columns<int, int, int, QString>({"dpi", "depth", "pointSize", "warnings"});
        Row("small fonts", 96, 32, 10, "");
        Row("large fonts", 120, 16, 8, "");
        Row("other size keeps 8 points", 144, 24, 8, "font 144");
        Row("256 colours", 96, 8, 10, "colours");
        Row("both, colours first", 72, 4, 8, "colours font 72");
    }

    void checkDisplay()
    {
        QFETCH(int, dpi);
        QFETCH(int, depth);
        QStringList shown;
        const CDialogLayout layout = CDialerApp::CheckDisplay(
            CMediaCatalogue::PanelLayout(), dpi, depth, [&](const QString& caption, const QString& text) {
                QCOMPARE(caption, QString("Warning"));
                if (text.startsWith("Your display is set to 256 (or less) colors.\n"))
                    shown << "colours";
                if (text.startsWith("Your display is set to unsupported font size,\n")
                    && text.endsWith(" = " + QString::number(dpi)))
                    shown << "font " + QString::number(dpi);
            });
        QTEST(layout.pointSize, "pointSize");
        QTEST(shown.join(' '), "warnings");
    }

    // The window menu opens from Alt+Space and from a right-click, without
    // the Space reaching the focused key; its commands act.
    void windowMenu()
    {
        CPanelHarness panel;
        QStringList entries;
        for (const QAction* action : panel.Dialog().WindowMenu()->actions())
            entries << (action->isSeparator() ? "-" : action->text() + (action->isEnabled() ? "" : " (off)"));
        QCOMPARE(entries, (QStringList{"&Move", "Mi&nimize", "&Close", "-", "&About mirvat01..."}));
        for (const char* how : {"Alt+Space", "right-click on the info text"}) {
            const QWidget* shown = nullptr;
            WhenModalOpens([&] { shown = QApplication::activePopupWidget(); });
            if (QByteArray(how).startsWith("Alt")) {
                panel.Key(Qt::Key_Space, Qt::AltModifier, " ");
            } else {
                QContextMenuEvent event(
                    QContextMenuEvent::Mouse, QPoint(5, 5), panel.Widget("info")->mapToGlobal(QPoint(5, 5)));
                QApplication::sendEvent(panel.Widget("info"), &event);
            }
            QVERIFY2(shown == panel.Dialog().WindowMenu(), how);
        }
        QCOMPARE(panel.platform.sounds, QStringList{});

        // About opens the box as often as asked.
        for (int time = 0; time < 2; ++time) {
            QString title;
            WhenModalOpens([&] { title = QApplication::activeModalWidget()->windowTitle(); });
            panel.Dialog().RunWindowCommand(CDialerDlg::WindowCommand::About);
            QCOMPARE(title, QString("About mirvat01"));
        }
        panel.Dialog().RunWindowCommand(CDialerDlg::WindowCommand::Minimize);
        QVERIFY(panel.Dialog().isMinimized());
        panel.Dialog().RunWindowCommand(CDialerDlg::WindowCommand::Close);
        QCOMPARE(panel.Look(), QString("closed"));
    }

    // Escape closes at once; the close area plays its sound to the end
    // first, and only then closes.
    void closing_data()
    {
        Columns<QString, QString, double>({"steps", "sounds", "tookMs"});
        Row("Escape", "ESC", "", 0.0);
        Row("close area", "CLOSE", "s261", 2973 * 1000.0 / 11025);
    }

    void closing()
    {
        QFETCH(QString, steps);
        CPanelHarness panel;
        double closedAt = -1;
        connect(&panel.Dialog(), &QDialog::finished, this, [&] { closedAt = panel.platform.Now(); });
        const double before = panel.platform.Now();
        panel.Do(steps);
        QTEST(panel.platform.sounds.join(' '), "sounds");
        QFETCH(double, tookMs);
        QVERIFY(qAbs(closedAt - before - tookMs) < 0.01);
        QCOMPARE(panel.Look(), QString("closed"));
    }

    // Each press on the lamp flips its picture; the drag bar moves the
    // panel while the button is held, where no window manager does.
    void lampAndDrag()
    {
        CPanelHarness panel;
        auto* lamp = static_cast<CTitleBarArea*>(panel.Widget("LAMP"));
        for (const int picture : {Bitmap::LampBox, Bitmap::LampSpeaker, Bitmap::LampBox}) {
            panel.Do("LAMP");
            QCOMPARE(lamp->Picture(), picture);
            QCOMPARE(lamp->size(), QSize(20, 15));
        }
        QWidget* bar = panel.Widget("drag");
        const QPoint start = panel.Dialog().pos();
        const QPoint grip = bar->mapToGlobal(QPoint(40, 10));
        QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(40, 10));
        for (const QPoint step : {QPoint(10, 5), QPoint(60, 40)})
            QTest::mouseMove(bar, bar->mapFromGlobal(grip + step));
        QCOMPARE(panel.Dialog().pos(), start + QPoint(60, 40));
        QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(40, 10));
        QTest::mouseMove(bar, QPoint(5, 5));
        QCOMPARE(panel.Dialog().pos(), start + QPoint(60, 40));
        QCOMPARE(panel.platform.sounds, QStringList{});
    }

    // Move from the window menu: the panel follows the mouse until a click
    // or Enter, the arrows nudge it, Escape puts it back.
    void menuMove_data()
    {
        Columns<QPoint, QString, QPoint>({"mouse", "keys", "moved"});
        Row("mouse, then a click", QPoint(30, 20), "", QPoint(30, 20));
        Row("arrows, then Enter; other keys do nothing", QPoint(), "RIGHT RIGHT K5 UP DOWN UP LEFT ENTER",
            QPoint(8, -8));
        Row("Escape puts it back", QPoint(30, 20), "LEFT ESC", QPoint());
    }

    void menuMove()
    {
        QFETCH(QPoint, mouse);
        QFETCH(QString, keys);
        CPanelHarness panel;
        CDialerDlg& dialog = panel.Dialog();
        const QPoint start = dialog.pos();
        const QPoint from = dialog.mapToGlobal(QPoint(90, 300));
        QCursor::setPos(from);
        dialog.RunWindowCommand(CDialerDlg::WindowCommand::Move);
        static const std::map<QString, int> arrows{{"LEFT", Qt::Key_Left}, {"RIGHT", Qt::Key_Right}, {"UP", Qt::Key_Up},
            {"DOWN", Qt::Key_Down}, {"ENTER", Qt::Key_Return}, {"ESC", Qt::Key_Escape}};
        for (const QString& key : keys.split(' ', Qt::SkipEmptyParts))
            key.startsWith('K') ? panel.Do(key) : panel.Key(arrows.at(key));
        if (dialog.Mover().IsMoving()) {
            QTest::mouseMove(&dialog, dialog.mapFromGlobal(from + mouse));
            QTest::mouseClick(&dialog, Qt::LeftButton, Qt::NoModifier, dialog.mapFromGlobal(from + mouse));
        }
        QVERIFY(!dialog.Mover().IsMoving());
        QVERIFY(QWidget::mouseGrabber() == nullptr && QWidget::keyboardGrabber() == nullptr);
        QTEST(dialog.pos() - start, "moved");
        QVERIFY(dialog.isVisible());
        QCOMPARE(panel.platform.sounds, QStringList{});
    }

    // The panel shows its skin as the media draw it: the face where no
    // control lies, each button the face of its state, the lamp its picture
    // and each animation its frame, none shifted or cut; the text views
    // show their text in the panel's blue on its light blue.
    void skin_data()
    {
        Columns<QString>({"steps"});
        Row("idle", "");
        Row("a script loaded", "B* ENTER");
        Row("recording, lamp toggled", "REC K1 LAMP");
        Row("choosing a script", "B*");
    }

    void skin()
    {
        QFETCH(QString, steps);
        CPanelHarness panel;
        panel.WriteFile("a.dsq", "dial 1\r\nwait 2\r\n");
        panel.Do(steps);
        CDialerDlg& dialog = panel.Dialog();
        QImage shot = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
        // The panel's size comes from the layout in dialog units: the face's
        // last row lies below it.
        QImage expected = CMediaCatalogue::Bitmap(Bitmap::Face).convertToFormat(QImage::Format_RGB32).copy(shot.rect());
        QPainter painter(&expected);
        QPainter blank(&shot);
        for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const QPoint at = child->pos();
            const auto* animation = qobject_cast<CAnimateCtrl*>(child);
            if (!child->isVisible() || (animation && !animation->IsOpen()))
                continue;
            if (const auto* button = qobject_cast<CBitmapButton*>(child)) {
                painter.drawImage(at, CMediaCatalogue::ButtonFace(button->text(), button->CurrentFace().toLatin1()));
            } else if (const auto* area = qobject_cast<CTitleBarArea*>(child)) {
                painter.drawImage(at, CMediaCatalogue::Bitmap(area->Picture()));
            } else if (animation) {
                const CAnimationClip* clip = CMediaCatalogue::AnimationClip(animation->Clip());
                const QSize size = clip->frameSize;
                QCOMPARE(child->size(), size);
                painter.drawImage(
                    at, clip->strip.copy(QRect(QPoint(animation->CurrentFrame() * size.width(), 0), size)));
            } else {
                // A text view: the text is the font's; the colours are the panel's.
                QCOMPARE(QColor(shot.pixel(child->geometry().bottomRight())), QColor(CDialerApp::DialogBackground));
                QCOMPARE(child->palette().color(child->foregroundRole()), QColor(CDialerApp::DialogText));
                painter.fillRect(child->geometry(), Qt::magenta);
                blank.fillRect(child->geometry(), Qt::magenta);
            }
        }
        painter.end();
        blank.end();
        if (shot != expected)
            shot.save(QDir::temp().filePath("pelmora-skin.png"));
        QCOMPARE(shot, expected);
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
