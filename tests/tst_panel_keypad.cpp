#include "CPanelHarness.h"

#include "media/CMediaCatalogue.h"
#include "playback/CKeyTable.h"

#include <QApplication>
#include <QtTest>

namespace {

constexpr int IdRec = 1019;

// The sound log of one key's tone, or of none for "".
QStringList ToneOf(const QString& character)
{
    if (character.isEmpty())
        return {};
    return {QStringLiteral("async %1").arg(CKeyTable::FromCharacter(character.at(0).toLatin1())->toneClip)};
}

void KeypadClick(char key)
{
    const Qt::Key code = key == '*' ? Qt::Key_Asterisk : key == '/' ? Qt::Key_Slash : Qt::Key(key);
    QTest::keyClick(QApplication::focusWidget(), code, Qt::KeypadModifier);
}

} // namespace

// The twelve keys: the buttons, the numeric keypad through real key events,
// the tones they sound and the characters they record.
class TestPanelKeypad : public QObject {
    Q_OBJECT

private slots:
    // Each key button records the key its caption names and sounds that
    // key's tone (the media test checks the tone's frequencies).
    void buttons_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("character");
        for (const CDialogControl& control : CMediaCatalogue::PanelLayout().controls) {
            if (control.text.startsWith(QLatin1String("DIAL"))) {
                const QChar key = control.text.back();
                QTest::newRow(qPrintable(control.text)) << control.id
                                                        << QString(key == 'S'   ? '*'
                                                                   : key == 'H' ? '#'
                                                                                : key);
            }
        }
    }

    void buttons()
    {
        QFETCH(int, id);
        QFETCH(QString, character);
        CPanelHarness panel;
        panel.Click(IdRec);
        panel.Platform().ClearLogs();
        panel.Click(id);
        QCOMPARE(QString::fromStdString(panel.Script().GetDigits()), character);
        QCOMPARE(panel.Platform().SoundLog(), ToneOf(character));
    }

    // Key presses while recording, as the keyboard delivers them to the
    // focused control. Only the keypad's digits, multiply and divide are
    // keys; every key press flashes the activity light.
    void keyboardWhileRecording_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<QString>("recorded");
        for (int digit = 0; digit <= 9; ++digit)
            QTest::addRow("keypad %d", digit) << int(Qt::Key_0 + digit) << true << QString::number(digit);
        const auto row = [](const char* name, Qt::Key key, bool keypad, const char* recorded) {
            QTest::newRow(name) << int(key) << keypad << recorded;
        };
        row("keypad multiply", Qt::Key_Asterisk, true, "*");
        row("keypad divide is #", Qt::Key_Slash, true, "#");
        row("keypad plus", Qt::Key_Plus, true, "");
        row("keypad minus", Qt::Key_Minus, true, "");
        row("keypad decimal", Qt::Key_Period, true, "");
        row("keypad separator", Qt::Key_Comma, true, "");
        row("digit row 5", Qt::Key_5, false, "");
        row("main asterisk", Qt::Key_Asterisk, false, "");
        row("main slash", Qt::Key_Slash, false, "");
        row("letter", Qt::Key_A, false, "");
    }

    void keyboardWhileRecording()
    {
        QFETCH(int, key);
        QFETCH(bool, keypad);
        QFETCH(QString, recorded);
        CPanelHarness panel;
        panel.NameAnimations();
        panel.Click(IdRec);
        panel.Platform().ClearLogs();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), keypad ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(QString::fromStdString(panel.Script().GetDigits()), recorded);
        QCOMPARE(panel.DisplayText(), recorded);
        QCOMPARE(panel.Platform().SoundLog(), ToneOf(recorded));
        QCOMPARE(panel.Platform().AnimationLog().filter("lamp"),
            (QStringList{"lamp open 242", "lamp play 242 0..65535 x1"}));
        // The panel refreshed into the recording look, whatever the key.
        QCOMPARE(
            panel.Platform().AnimationLog().filter("banner").last(), QStringLiteral("banner play 170 0..65535 x-1"));
        QCOMPARE(panel.Script().GetMode(), ModeRecording);
    }

    // A held key records once for every key press the keyboard repeats.
    void autoRepeatRecordsEachPress()
    {
        CPanelHarness panel;
        panel.Click(IdRec);
        QWidget* focus = QApplication::focusWidget();
        QTest::keyPress(focus, Qt::Key_4, Qt::KeypadModifier);
        for (int i = 0; i < 3; ++i) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_4, Qt::KeypadModifier, QStringLiteral("4"), true);
            QApplication::sendEvent(focus, &repeat);
        }
        QTest::keyRelease(focus, Qt::Key_4, Qt::KeypadModifier);
        QCOMPARE(panel.Script().GetDigits(), std::string("4444"));
    }

    // Modes in which the numeric keypad has no effect of its own; while
    // naming, it types into the name like any keyboard.
    void keyboardWithoutEffect_data()
    {
        QTest::addColumn<QString>("mode");
        for (const char* mode : {"saving", "loading", "info", "playing"})
            QTest::newRow(mode) << mode;
    }

    void keyboardWithoutEffect()
    {
        QFETCH(QString, mode);
        CPanelHarness panel;
        panel.WriteFile("a.dsq", "dial 1\r\n");
        if (mode == "saving") {
            panel.Click(IdRec);
            panel.Keypad('1');
            panel.Click(1021); // STOP
        } else if (mode == "loading" || mode == "info") {
            panel.Click(mode == "loading" ? 1015 : 1017); // '*' or '#'
        } else {
            panel.Script().SetMode(ModePlaying);
            panel.Dialog().Modes().RefreshPanel();
        }
        const DialMode before = panel.Script().GetMode();
        const QString status = panel.Status();
        panel.Platform().ClearLogs();
        for (const char key : {'5', '*', '/', '0'})
            KeypadClick(key);
        QCOMPARE(panel.Script().GetMode(), before);
        QCOMPARE(panel.Status(), status);
        const bool saving = mode == "saving";
        if (saving)
            QCOMPARE(panel.DisplayText(), QStringLiteral("50"));
        QCOMPARE(panel.Platform().SoundLog(), QStringList(saving ? 2 : 0, QStringLiteral("beep")));
    }
};

QTEST_MAIN(TestPanelKeypad)
#include "tst_panel_keypad.moc"
