#include "CPanelHarness.h"

#include "media/CMediaCatalogue.h"
#include "panel/CNameEdit.h"
#include "platform/CAnimateCtrl.h"
#include "shell/CBitmapButton.h"
#include "shell/CCaptionStatic.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTextEdit>
#include <QtTest>

namespace {

// A shown panel whose opening sequence the test runs itself. At every hold
// it notes which buttons are shown pressed and what the status line and
// STOP show.
struct CIntroPanel {
    CIntroPanel()
    {
        platform.onHold = [this](int ms) {
            QStringList pressed;
            for (const CBitmapButton* button : dialog.findChildren<CBitmapButton*>()) {
                if (button->isDown())
                    pressed << button->text();
            }
            const CPanelControls& c = harness.Controls();
            holds << QStringLiteral("%1 %2ms %3 %4")
                         .arg(pressed.join(QLatin1Char('+')))
                         .arg(ms)
                         .arg(c.statusLine->text(), c.stop->isEnabled() ? QStringLiteral("stop") : QStringLiteral("-"));
        };
        harness.Controls().introReel->setObjectName(QStringLiteral("reel"));
        dialog.SkipIntro();
        harness.Show();
    }

    // A mouse movement over the panel at a virtual time. Every movement of
    // the test program goes to a new place: a move to where the pointer
    // rests makes no event.
    void MouseMoveAt(std::uint32_t ms)
    {
        platform.At(ms, [this] {
            static int moves = 0;
            ++moves;
            QTest::mouseMove(&dialog, QPoint(30 + moves % 100, 100 + moves / 100));
        });
    }

    // Runs the opening sequence and returns the virtual time it ended at.
    double RunIntro()
    {
        platform.ClearLogs();
        dialog.OnIntro();
        return platform.PreciseTime();
    }

    CPanelHarness harness{CPanelHarness::Constructed};
    CFakePlatform& platform = harness.Platform();
    CDialerDlg& dialog = harness.Dialog();
    QStringList holds;
};

} // namespace

// The opening sequence: the reel, the blips, the keys flashed row by row,
// and the wait for the first mouse movement.
class TestShellIntro : public QObject {
    Q_OBJECT

private slots:
    // The reel plays once, the blips sound before the flashes, the keys
    // flash row by row with STOP live, and after the first mouse movement
    // the reel closes and the idle texts and buttons show.
    void wholeSequence()
    {
        CIntroPanel panel;
        const CPanelControls& c = panel.harness.Controls();
        panel.MouseMoveAt(5000);
        QVERIFY(c.introReel->isVisible());
        panel.RunIntro();
        QStringList expected;
        for (const char* key : {"DIAL1", "DIAL2", "DIAL3", "DIAL6", "DIAL5", "DIAL4", "DIAL7", "DIAL8", "DIAL9",
                 "DIALH", "DIAL0", "DIALS"})
            expected << QStringLiteral("%1 100ms ... stop").arg(QLatin1String(key));
        QCOMPARE(panel.holds, expected);
        QCOMPARE(panel.platform.SoundLog(), QStringList{"async 262"});
        QCOMPARE(panel.platform.Sounds().front().time, 0u);
        QCOMPARE(panel.platform.AnimationLog(), (QStringList{"reel play 245 0..65535 x1", "reel open 0"}));
        QCOMPARE(panel.platform.Animations().back().time, 5000u);
        QVERIFY(!c.introReel->isVisible() && !c.introReel->IsOpen());

        QCOMPARE(c.statusLine->text(), QStringLiteral("Load / Record Script"));
        QCOMPARE(c.infoText->toPlainText(), QStringLiteral("\n\n\nFor latest version visit:\npelmora.example.org"));
        QVERIFY(c.infoText->isVisible() && c.display->isEnabled() && !c.display->isVisible());
        for (const QAbstractButton* button : {c.stop, c.pause, c.repeat})
            QVERIFY(!button->isEnabled());
        QVERIFY(c.play->isEnabled() && c.rec->isEnabled());
        QVERIFY(!panel.dialog.IntroRunning());
        QCOMPARE(panel.dialog.Script().GetMode(), ModeIdle);
    }

    void endsOnTheFirstMouseMove_data()
    {
        QTest::addColumn<QList<int>>("moves");
        QTest::addColumn<double>("end");
        // The flashes take 1200 ms; input made meanwhile waits in the queue.
        QTest::newRow("a move during the flashes") << QList<int>{500} << 1200.0;
        QTest::newRow("already moving when the wait begins") << QList<int>{1150, 1200} << 1200.0;
        QTest::newRow("a move long after") << QList<int>{61000} << 61000.0;
        QTest::newRow("the first of several") << QList<int>{2500, 2600, 2700} << 2500.0;
    }

    void endsOnTheFirstMouseMove()
    {
        QFETCH(QList<int>, moves);
        CIntroPanel panel;
        for (const int ms : moves)
            panel.MouseMoveAt(static_cast<std::uint32_t>(ms));
        QTEST(panel.RunIntro(), "end");
    }

    void eventsDuringTheWait_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<bool>("lampToggled");
        QTest::addColumn<bool>("closed");
        QTest::newRow("keypad 5 does nothing") << "keypad 5" << false << false;
        QTest::newRow("keypad divide does nothing") << "keypad /" << false << false;
        QTest::newRow("a click reaches the toggle lamp") << "lamp" << true << false;
        QTest::newRow("Escape closes the panel") << "escape" << false << true;
        QTest::newRow("Escape during the flashes closes it") << "early escape" << false << true;
    }

    void eventsDuringTheWait()
    {
        QFETCH(QString, event);
        QFETCH(bool, lampToggled);
        QFETCH(bool, closed);
        CIntroPanel panel;
        CDialerDlg& dialog = panel.dialog;
        const auto send = [](int key, Qt::KeyboardModifiers modifiers, const QString& text) {
            QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
            QApplication::sendEvent(QApplication::focusWidget(), &press);
        };
        // Escape is let through the flashes; other input waits for them.
        const bool early = event.startsWith(QLatin1String("early"));
        const std::uint32_t at = early ? 500 : 2000;
        panel.platform.At(
            at,
            [&] {
                QCOMPARE(dialog.WaitingForMouse(), !early);
                if (event.endsWith(QLatin1String("escape")))
                    send(Qt::Key_Escape, Qt::NoModifier, QString());
                else if (event == QLatin1String("keypad 5"))
                    send(Qt::Key_5, Qt::KeypadModifier, QStringLiteral("5"));
                else if (event == QLatin1String("keypad /"))
                    send(Qt::Key_Slash, Qt::KeypadModifier, QStringLiteral("/"));
                else
                    QTest::mouseClick(dialog.Control(CCaptionStatic::ToggleLamp), Qt::LeftButton);
            },
            early);
        panel.MouseMoveAt(3000);
        const double end = panel.RunIntro();
        QCOMPARE(panel.platform.SoundLog(), QStringList{"async 262"});
        QCOMPARE(dialog.Panel().displayText, std::string());
        const auto* lamp = static_cast<CCaptionStatic*>(dialog.Control(CCaptionStatic::ToggleLamp));
        QCOMPARE(lamp->Picture(), int(lampToggled ? Bitmap::LampBox : Bitmap::LampSpeaker));
        QCOMPARE(dialog.isVisible(), !closed);
        QCOMPARE(end, closed ? double(at) : 3000.0);

        // Once the sequence has ended the numeric keypad acts again.
        if (!closed) {
            panel.platform.ClearLogs();
            send(Qt::Key_5, Qt::KeypadModifier, QStringLiteral("5"));
            QCOMPARE(panel.platform.SoundLog(), QStringList{"async 267"});
        }
    }
};

QTEST_MAIN(TestShellIntro)
#include "tst_shell_intro.moc"
