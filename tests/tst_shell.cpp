#include "CPanelHarness.h"

#include "media/CMediaCatalogue.h"
#include "panel/CNameEdit.h"
#include "platform/CAnimateCtrl.h"
#include "shell/CCaptionStatic.h"
#include "shell/CDialerApp.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

constexpr int IdDial1 = 1000;
constexpr int IdDial5 = 1010;
constexpr int IdPlay = 1001;
constexpr int IdDisplay = 1006;
constexpr int IdStatusLine = 1025;
constexpr int IdInfoText = 1032;
constexpr int IdLineCounter = 1035;
constexpr int IdLineList = 1005;

const QString ColourWarning = QStringLiteral("Your display is set to 256 (or less) colors.\n"
                                             "This application deliberately is stripped off\n"
                                             "indexed color support, and unless you will\n"
                                             "provide a valid reason to do otherwise - it\n"
                                             "is going to stay that way.\n"
                                             "Meanwhile, do yourself a favor and switch \n"
                                             "the display to Hi-Color or True-Color Mode.\n");

QString FontWarning(int logPixelsX)
{
    return QStringLiteral("Your display is set to unsupported font size,\n"
                          "(i.e. other than Small Fonts or Large Fonts).\n"
                          "It may cause, that this application will not\n"
                          "show on the screen properly.\n"
                          "\n"
                          "LOGPIXELSX = %1")
        .arg(logPixelsX);
}

CCaptionStatic* Lamp(CPanelHarness& panel)
{
    return static_cast<CCaptionStatic*>(panel.Dialog().Control(CCaptionStatic::ToggleLamp));
}

// Runs check once the next modal loop (a menu or a dialog) has started, then
// closes what it opened.
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

} // namespace

// The application shell: start-up, the display check, the panel window and
// its chrome, the system menu and the About box.
class TestShell : public QObject {
    Q_OBJECT

private slots:
    void stateRightAfterStart()
    {
        CPanelHarness panel(CPanelHarness::Constructed);
        CDialerDlg& dialog = panel.Dialog();
        const CPanelControls& c = panel.Controls();
        QCOMPARE(panel.Buttons(), QStringLiteral("play+ rec+ stop- pause- repeat- close+"));
        QVERIFY(c.display->isHidden() && !c.display->isEnabled());
        QVERIFY(c.scriptList->isHidden() && c.lineList->isHidden());
        QCOMPARE(c.lineCounter->text(), QStringLiteral("000"));
        QCOMPARE(c.statusLine->text(), QString());
        QCOMPARE(c.infoText->toPlainText(), QStringLiteral("\n\n\n\n\n\n(c) 2000 Pelmora team\npelmora@example.org"));
        QCOMPARE(c.modeBanner->Clip(), int(Clip::BannerReady));
        QVERIFY(c.modeBanner->IsPlaying() && c.modeBanner->RepeatsLeft() == CAnimateCtrl::ForEver);
        QCOMPARE(c.introReel->Clip(), int(Clip::IntroReel));
        QCOMPARE(Lamp(panel)->Picture(), int(Bitmap::LampSpeaker));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Pelmora"));
        QCOMPARE(panel.Script().GetMode(), ModeIdle);

        // The opening sequence waits for the panel to be on the screen.
        QCoreApplication::processEvents();
        QVERIFY(!dialog.IntroRunning());
        QCOMPARE(c.statusLine->text(), QString());

        dialog.SkipIntro();
        panel.Show();
        QCOMPARE(QApplication::focusWidget(), dialog.Control(IdDial1));
    }

    void controlsLandOnTheFace_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("panel") << 0 << QRect(0, 0, 182, 448);
        QTest::newRow("DIAL1 takes its face's size") << IdDial1 << QRect(14, 290, 46, 30);
        QTest::newRow("PLAY") << IdPlay << QRect(14, 214, 100, 30);
        QTest::newRow("display") << IdDisplay << QRect(20, 52, 142, 24);
        QTest::newRow("info text") << IdInfoText << QRect(16, 54, 150, 116);
        QTest::newRow("status line") << IdStatusLine << QRect(18, 174, 146, 16);
        QTest::newRow("toggle lamp takes its picture's size")
            << int(CCaptionStatic::ToggleLamp) << QRect(144, 30, 20, 15);
        QTest::newRow("close area") << int(CCaptionStatic::CloseArea) << QRect(154, 6, 22, 22);
    }

    void controlsLandOnTheFace()
    {
        QFETCH(int, id);
        // The layout's 10-point font at 96 pixels per inch: 2 pixels a unit.
        CPanelHarness panel(CPanelHarness::Constructed, true, 10);
        QWidget* widget = id == 0 ? &panel.Dialog() : panel.Dialog().Control(id);
        QTEST(QRect(id == 0 ? QPoint() : widget->pos(), widget->size()), "rect");
    }

    void fontsByCellHeight_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("cellHeight");
        QTest::newRow("display") << IdDisplay << 24;
        QTest::newRow("status line") << IdStatusLine << 14;
        QTest::newRow("line counter") << IdLineCounter << 16;
        QTest::newRow("line list") << IdLineList << 16;
    }

    void fontsByCellHeight()
    {
        QFETCH(int, id);
        QFETCH(int, cellHeight);
        CPanelHarness panel(CPanelHarness::Constructed);
        QFont font = panel.Dialog().Control(id)->font();
        // The largest font whose ascent and descent fit the cell.
        QVERIFY(QFontMetrics(font).height() <= cellHeight);
        font.setPixelSize(font.pixelSize() + 1);
        QVERIFY(QFontMetrics(font).height() > cellHeight);
    }

    void statusTextsFitTheStatusLine()
    {
        CPanelHarness panel;
        const QLabel* line = panel.Controls().statusLine;
        for (const char* text : {"(...)", "...", "Press PAUSE to continue", "Script Not Recorded.",
                 "Enter Script Name [ENTER]", "Script Not Saved", "Select Name to Load Script.", "No Script (*.dsq) !",
                 "Script Not Loaded", "Load / Record Script First.", "Play Script / Record New", "No Script Loaded",
                 "This Script is Empty", "Script Aborted.", "Load / Record Script", "Stopped: Sound Not Found"}) {
            QVERIFY2(QFontMetrics(line->font()).horizontalAdvance(QString::fromLatin1(text)) <= line->width(), text);
        }
    }

    void checkDisplay_data()
    {
        QTest::addColumn<int>("logPixelsX");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<QStringList>("warnings");
        QTest::newRow("small fonts") << 96 << 32 << 10 << QStringList();
        QTest::newRow("large fonts") << 120 << 24 << 8 << QStringList();
        QTest::newRow("high colour") << 96 << 16 << 10 << QStringList();
        QTest::newRow("other size keeps 8 points") << 144 << 32 << 8 << QStringList{FontWarning(144)};
        QTest::newRow("256 colours") << 96 << 8 << 10 << QStringList{ColourWarning};
        QTest::newRow("16 colours") << 120 << 4 << 8 << QStringList{ColourWarning};
        QTest::newRow("both, colours first") << 144 << 8 << 8 << QStringList{ColourWarning, FontWarning(144)};
    }

    void checkDisplay()
    {
        QFETCH(int, logPixelsX);
        QFETCH(int, depth);
        QFETCH(int, pointSize);
        QStringList shown;
        const CDialogLayout layout = CDialerApp::CheckDisplay(
            CMediaCatalogue::PanelLayout(), logPixelsX, depth, [&](const QString& caption, const QString& text) {
                QCOMPARE(caption, QStringLiteral("Warning"));
                shown << text;
            });
        QCOMPARE(layout.pointSize, pointSize);
        QCOMPARE(layout.fontFace, QStringLiteral("Courier New"));
        QTEST(shown, "warnings");
    }

    void systemMenu()
    {
        CPanelHarness panel(CPanelHarness::Constructed);
        QStringList entries;
        for (const QAction* action : panel.Dialog().SystemMenu()->actions()) {
            entries << (action->isSeparator()
                    ? QStringLiteral("-")
                    : QStringLiteral("%1 %2").arg(action->text()).arg(action->data().toInt(), 0, 16));
        }
        QCOMPARE(entries, (QStringList{"&Move f010", "Mi&nimize f020", "&Close f060", "-", "&About mirvat01... 10"}));
    }

    void systemCommands_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("aboutBoxes");
        QTest::addColumn<bool>("closes");
        for (int command = 0x0010; command <= 0x001F; ++command)
            QTest::addRow("0x%04x", command) << command << 1 << false;
        QTest::newRow("0x000f") << 0x000F << 0 << false;
        QTest::newRow("0x0020") << 0x0020 << 0 << false;
        QTest::newRow("move") << int(CDialerDlg::ScMove) << 0 << false;
        QTest::newRow("close") << int(CDialerDlg::ScClose) << 0 << true;
        QTest::newRow("close, low bits set") << int(CDialerDlg::ScClose) + 3 << 0 << true;
    }

    void systemCommands()
    {
        QFETCH(int, command);
        QFETCH(bool, closes);
        CPanelHarness panel;
        int opened = 0;
        panel.Dialog().runAboutBox = [&] { ++opened; };
        panel.Dialog().OnSysCommand(command);
        QTEST(opened, "aboutBoxes");
        QCOMPARE(panel.Dialog().isVisible(), !closes);
    }

    // The About box opens from the menu command as often as asked, with its
    // texts, icon, OK button and the dialog colours.
    void aboutBox()
    {
        CPanelHarness panel;
        const CDialerApp app(panel.Platform()); // sets the dialog colours
        for (int time = 0; time < 2; ++time) {
            QStringList texts;
            WhenModalOpens([&] {
                const QWidget* about = QApplication::activeModalWidget();
                texts << about->windowTitle();
                for (const QLabel* label : about->findChildren<QLabel*>())
                    texts << (label->pixmap().isNull() ? label->text()
                                                       : QStringLiteral("icon %1").arg(label->pixmap().width()));
                for (const QPushButton* button : about->findChildren<QPushButton*>())
                    texts << button->text() + (button->isDefault() ? " default" : "");
                texts << about->palette().color(QPalette::Window).name() + " "
                        + about->palette().color(QPalette::WindowText).name();
            });
            panel.Dialog().OnSysCommand(CDialerDlg::IdmAboutBox);
            QCOMPARE(texts,
                (QStringList{"About mirvat01", "icon 32", "mirvat01 Version 1.0", "Made by the Pelmora developers",
                    "OK default", "#2abfff #005fff"}));
            QVERIFY(panel.Dialog().isVisible());
        }
    }

    void systemMenuOpens_data()
    {
        QTest::addColumn<bool>("altSpace");
        QTest::addColumn<int>("target");
        QTest::newRow("Alt+Space on the focused key") << true << IdDial1;
        QTest::newRow("right-click on a key") << false << IdDial5;
        QTest::newRow("right-click on the info text") << false << IdInfoText;
    }

    void systemMenuOpens()
    {
        QFETCH(bool, altSpace);
        QFETCH(int, target);
        CPanelHarness panel;
        panel.Dialog().Control(IdDial1)->setFocus();
        panel.Platform().ClearLogs();
        const QWidget* shown = nullptr;
        WhenModalOpens([&] { shown = QApplication::activePopupWidget(); });
        if (altSpace) {
            panel.Key(Qt::Key_Space, Qt::AltModifier, QStringLiteral(" "));
        } else {
            QWidget* widget = panel.Dialog().Control(target);
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(widget, &event);
        }
        QCOMPARE(shown, panel.Dialog().SystemMenu());
        // The Space did not reach the focused key: no key was pressed.
        QCOMPARE(panel.Platform().SoundLog(), QStringList());
        QVERIFY(!static_cast<QAbstractButton*>(panel.Dialog().Control(IdDial1))->isDown());
    }

    // Escape closes the panel at once; the close area first plays its
    // sound to the end.
    void closes_data()
    {
        QTest::addColumn<bool>("closeArea");
        QTest::addColumn<QStringList>("sounds");
        QTest::newRow("Escape on a key") << false << QStringList{};
        QTest::newRow("close area") << true << QStringList{"sync 261"};
    }

    void closes()
    {
        QFETCH(bool, closeArea);
        CPanelHarness panel;
        panel.Platform().ClearLogs();
        double closedAt = -1;
        connect(&panel.Dialog(), &QDialog::finished, this, [&] { closedAt = panel.Platform().PreciseTime(); });
        const double pressedAt = panel.Platform().PreciseTime();
        if (closeArea) {
            panel.Click(CCaptionStatic::CloseArea);
        } else {
            panel.Dialog().Control(IdDial1)->setFocus();
            panel.Key(Qt::Key_Escape);
        }
        QTEST(panel.Platform().SoundLog(), "sounds");
        QVERIFY(!panel.Dialog().isVisible());
        QCOMPARE(panel.Dialog().result(), int(QDialog::Rejected));
        const double clipMs = closeArea ? CMediaCatalogue::SoundClipSamples(Clip::CloseBlips) * 1000.0 / 11025 : 0;
        QVERIFY(qAbs(closedAt - pressedAt - clipMs) < 0.01);
    }

    // Each press flips the lamp's picture; a second brings the speaker back.
    void toggleLamp()
    {
        CPanelHarness panel;
        panel.Platform().ClearLogs();
        for (const int picture : {Bitmap::LampBox, Bitmap::LampSpeaker}) {
            panel.Click(CCaptionStatic::ToggleLamp);
            QCOMPARE(Lamp(panel)->Picture(), picture);
            QCOMPARE(Lamp(panel)->ToggleState(), picture == Bitmap::LampBox ? 1 : 0);
            QCOMPARE(Lamp(panel)->size(), QSize(20, 15));
        }
        QCOMPARE(panel.Platform().SoundLog(), QStringList());
    }

    void dragBarMovesThePanelWhileHeld()
    {
        // No window manager moves the window here: the panel follows the
        // mouse by itself.
        CPanelHarness panel;
        CDialerDlg& dialog = panel.Dialog();
        QWidget* bar = dialog.Control(CCaptionStatic::DragBar);
        const QPoint start = dialog.pos();
        const QPoint grip = bar->mapToGlobal(QPoint(40, 10));
        QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(40, 10));
        for (const QPoint step : {QPoint(10, 5), QPoint(60, 40)})
            QTest::mouseMove(bar, bar->mapFromGlobal(grip + step));
        QCOMPARE(dialog.pos(), start + QPoint(60, 40));
        QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, bar->mapFromGlobal(grip + QPoint(60, 40)));
        QVERIFY(!dialog.Mover().IsMoving());
        QTest::mouseMove(bar, QPoint(5, 5));
        QCOMPARE(dialog.pos(), start + QPoint(60, 40));
    }

    void menuMove_data()
    {
        QTest::addColumn<QPoint>("mouse");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QPoint>("moved");
        const QList<int> none;
        QTest::newRow("mouse, then a click") << QPoint(30, 20) << none << QPoint(30, 20);
        QTest::newRow("arrows, then Enter")
            << QPoint() << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Up, Qt::Key_Return}
            << QPoint(2 * CWindowMover::ArrowStep, -CWindowMover::ArrowStep);
        QTest::newRow("Escape puts it back") << QPoint(30, 20) << QList<int>{Qt::Key_Left, Qt::Key_Escape} << QPoint();
    }

    void menuMove()
    {
        QFETCH(QPoint, mouse);
        QFETCH(QList<int>, keys);
        QFETCH(QPoint, moved);
        CPanelHarness panel;
        CDialerDlg& dialog = panel.Dialog();
        panel.Platform().ClearLogs();
        const QPoint start = dialog.pos();
        const QPoint from = dialog.mapToGlobal(QPoint(90, 300));
        QCursor::setPos(from);
        QCoreApplication::processEvents();
        dialog.OnSysCommand(CDialerDlg::ScMove);
        QVERIFY(dialog.Mover().IsMoving());
        for (const int key : keys)
            panel.Key(key);
        if (dialog.Mover().IsMoving()) {
            QTest::mouseMove(&dialog, dialog.mapFromGlobal(from + mouse));
            QTest::mouseClick(&dialog, Qt::LeftButton, Qt::NoModifier, dialog.mapFromGlobal(from + mouse));
        }
        QVERIFY(!dialog.Mover().IsMoving());
        QCOMPARE(dialog.pos(), start + moved);
        QVERIFY(dialog.isVisible()); // Escape ended the move, not the panel
        QCOMPARE(panel.Platform().SoundLog(), QStringList());
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
