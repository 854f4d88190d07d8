#include "CPanelHarness.h"

#include "panel/CNameEdit.h"

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QtTest>

// One pass through the whole cycle a user makes first: record, name, save,
// list, load and play.
class TestPanelSmoke : public QObject {
    Q_OBJECT

private slots:
    void recordSaveLoadPlay()
    {
        CPanelHarness panel;
        QCOMPARE(panel.Status(), QStringLiteral("Load / Record Script"));
        panel.Click(1019); // REC
        QCOMPARE(panel.Script().GetMode(), ModeRecording);
        panel.Platform().Advance(500);
        panel.Keypad('1');
        panel.Platform().Advance(3500);
        panel.Keypad('5');
        panel.Click(1021); // STOP
        QCOMPARE(panel.Status(), QStringLiteral("Enter Script Name [ENTER]"));
        panel.Type(QStringLiteral("ab.c"));
        panel.Key(Qt::Key_Return);
        QCOMPARE(panel.Status(), QStringLiteral("..."));
        QCOMPARE(panel.ReadFile("abc.dsq"), QByteArray("dial 1\r\r\nwait 3\r\r\ndial 5\r\r\n"));

        panel.Keypad('/'); // '#' while idle: the numeric keypad only refuses
        panel.Click(1015); // '*': the list of scripts
        QCOMPARE(panel.Script().GetMode(), ModeLoading);
        QCOMPARE(panel.Controls().scriptList->count(), 1);
        panel.Key(Qt::Key_Return);
        QCOMPARE(panel.Script().GetName(), std::string("abc"));

        panel.Platform().ClearLogs();
        panel.Click(1001); // PLAY
        QCOMPARE(panel.Script().GetMode(), ModeIdle);
        QCOMPARE(panel.Controls().lineCounter->text(), QStringLiteral("003"));
        const QStringList sounds = panel.Platform().SoundLog();
        QCOMPARE(sounds, (QStringList{"sync 193", "sync 197"}));
    }
};

QTEST_MAIN(TestPanelSmoke)
#include "tst_panel_smoke.moc"
