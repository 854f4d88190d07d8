#include "CPanelHarness.h"

#include "document/CDialScript.h"
#include "panel/CPanelState.h"
#include "playback/CKeyTable.h"
#include "playback/CKeypad.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QtTest>

namespace {

// Notes which keypad buttons are drawn pressed while a tone sounds and while
// the line is held silent after it.
class CWatchingPlatform : public CFakePlatform {
public:
    std::array<QAbstractButton*, 12> keys{};
    QStringList seen;

    void PlayClipSync(int clip) override
    {
        seen << QStringLiteral("tone %1 with %2 down").arg(clip).arg(DownKeys());
        CFakePlatform::PlayClipSync(clip);
    }
    void Hold(int ms) override
    {
        seen << QStringLiteral("hold %1 with %2 down").arg(ms).arg(DownKeys());
        CFakePlatform::Hold(ms);
    }

private:
    QString DownKeys() const
    {
        QStringList down;
        for (const QAbstractButton* key : keys) {
            if (key->isDown())
                down << key->text();
        }
        return down.isEmpty() ? QStringLiteral("none") : down.join(',');
    }
};

} // namespace

// The twelve keys: the buttons, the numeric keypad through real key events,
// the tones they sound and the characters they record.
class TestPanelKeypad : public QObject {
    Q_OBJECT

private slots:
    // The key table as the panel uses it: each button records its character
    // and sounds its tone clip.
    void buttons_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("character");
        QTest::addColumn<int>("tone");
        const struct {
            int id;
            const char* character;
            int tone;
        } keys[] = {{1000, "1", 193}, {1007, "2", 194}, {1008, "3", 195}, {1009, "4", 196}, {1010, "5", 197},
            {1011, "6", 198}, {1012, "7", 199}, {1013, "8", 200}, {1014, "9", 192}, {1015, "*", 247}, {1016, "0", 201},
            {1017, "#", 246}};
        for (const auto& key : keys)
            // clang-format off
            QTest::addRow("%s", key.character) << key.id << key.character << key.tone;
        // clang-format on
    }

    void buttons()
    {
        QFETCH(int, id);
        QFETCH(QString, character);
        QFETCH(int, tone);
        CPanelHarness panel;
        panel.Click(1019); // REC
        panel.Platform().ClearLogs();
        panel.Click(id);
        QCOMPARE(QString::fromStdString(panel.Script().GetDigits()), character);
        QCOMPARE(panel.Platform().SoundLog(), QStringList{QStringLiteral("async %1").arg(tone)});
        QCOMPARE(static_cast<QAbstractButton*>(panel.Dialog().Control(id))->text(),
            character == "*"       ? QStringLiteral("DIALS")
                : character == "#" ? QStringLiteral("DIALH")
                                   : QStringLiteral("DIAL") + character);
    }

    // Key presses while recording, as the keyboard delivers them to the
    // focused control. Only the keypad's digits, multiply and divide are
    // keys; every key press flashes the activity light.
    void keyboardWhileRecording_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<QString>("recorded");
        QTest::addColumn<QStringList>("sounds");
        for (int digit = 0; digit <= 9; ++digit) {
            const CKeyTableRow* row = CKeyTable::FromCharacter(char('0' + digit));
            QTest::addRow("keypad %d", digit) << int(Qt::Key_0 + digit) << true << QString::number(digit)
                                              << QStringList{QStringLiteral("async %1").arg(row->toneClip)};
        }
        // clang-format off
        QTest::newRow("keypad multiply") << int(Qt::Key_Asterisk) << true << "*" << QStringList{"async 247"};
        QTest::newRow("keypad divide is #") << int(Qt::Key_Slash) << true << "#" << QStringList{"async 246"};
        QTest::newRow("keypad plus") << int(Qt::Key_Plus) << true << "" << QStringList{};
        QTest::newRow("keypad minus") << int(Qt::Key_Minus) << true << "" << QStringList{};
        QTest::newRow("keypad decimal") << int(Qt::Key_Period) << true << "" << QStringList{};
        QTest::newRow("keypad separator") << int(Qt::Key_Comma) << true << "" << QStringList{};
        QTest::newRow("digit row 5") << int(Qt::Key_5) << false << "" << QStringList{};
        QTest::newRow("main asterisk") << int(Qt::Key_Asterisk) << false << "" << QStringList{};
        QTest::newRow("letter") << int(Qt::Key_A) << false << "" << QStringList{};
        QTest::newRow("arrow") << int(Qt::Key_Down) << false << "" << QStringList{};
        // clang-format on
    }

    void keyboardWhileRecording()
    {
        QFETCH(int, key);
        QFETCH(bool, keypad);
        QFETCH(QString, recorded);
        QFETCH(QStringList, sounds);
        CPanelHarness panel;
        panel.NameAnimations();
        panel.Click(1019); // REC
        panel.Platform().ClearLogs();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), keypad ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(QString::fromStdString(panel.Script().GetDigits()), recorded);
        QCOMPARE(panel.DisplayText(), recorded);
        QCOMPARE(panel.Platform().SoundLog(), sounds);
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
        panel.Click(1019); // REC
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
        // clang-format off
        QTest::newRow("saving") << "saving";
        QTest::newRow("loading") << "loading";
        QTest::newRow("info") << "info";
        QTest::newRow("playing") << "playing";
        // clang-format on
    }

    void keyboardWithoutEffect()
    {
        QFETCH(QString, mode);
        CPanelHarness panel;
        panel.WriteFile("a.dsq", "dial 1\r\n");
        panel.WriteFile("b.dsq", "dial 2\r\n");
        if (mode == "saving") {
            panel.Click(1019);
            panel.Keypad('1');
            panel.Click(1021);
        } else if (mode == "loading") {
            panel.Click(1015);
        } else if (mode == "info") {
            panel.Click(1017);
        } else {
            panel.Script().SetMode(ModePlaying);
            panel.Dialog().Modes().RefreshPanel();
        }
        const DialMode before = panel.Script().GetMode();
        const QString status = panel.Status();
        panel.Platform().ClearLogs();
        for (const char key : {'5', '*', '/', '0'})
            QTest::keyClick(QApplication::focusWidget(),
                key == '*'       ? Qt::Key_Asterisk
                    : key == '/' ? Qt::Key_Slash
                                 : Qt::Key(key),
                Qt::KeypadModifier);
        QCOMPARE(panel.Script().GetMode(), before);
        QCOMPARE(panel.Status(), status);
        if (mode == "saving") {
            QCOMPARE(panel.DisplayText(), QStringLiteral("50"));
            QCOMPARE(panel.Platform().SoundLog(), (QStringList{"beep", "beep"}));
        } else {
            QCOMPARE(panel.Platform().SoundLog(), QStringList{});
        }
    }

    // A key sent by a script: its own button is drawn pressed for exactly
    // its tone and released before the silence that follows it.
    void sendKeyTone_data()
    {
        QTest::addColumn<char>("character");
        QTest::addColumn<QStringList>("seen");
        // clang-format off
        QTest::newRow("9") << '9' << QStringList{"tone 192 with DIAL9 down", "hold 70 with none down"};
        QTest::newRow("0") << '0' << QStringList{"tone 201 with DIAL0 down", "hold 70 with none down"};
        QTest::newRow("*") << '*' << QStringList{"tone 247 with DIALS down", "hold 70 with none down"};
        QTest::newRow("#") << '#' << QStringList{"tone 246 with DIALH down", "hold 70 with none down"};
        QTest::newRow("blank") << ' ' << QStringList{};
        QTest::newRow("hyphen") << '-' << QStringList{};
        QTest::newRow("letter") << 'a' << QStringList{};
        QTest::newRow("end marker") << '\0' << QStringList{};
        // clang-format on
    }

    void sendKeyTone()
    {
        QFETCH(char, character);
        QFETCH(QStringList, seen);
        CWatchingPlatform platform;
        CDialScript script(platform);
        QWidget window;
        CPanelControls controls;
        for (std::size_t i = 0; i < controls.keys.size(); ++i) {
            controls.keys[i] = new QPushButton(QString::fromLatin1(CKeyTable::Rows()[i].caption), &window);
            platform.keys[i] = controls.keys[i];
        }
        CPanelState state(script, platform, controls);
        CKeypad keypad(state);
        keypad.SendKeyTone(character);
        QCOMPARE(platform.seen, seen);
        QCOMPARE(platform.SoundLog().size(), seen.isEmpty() ? 0 : 1);
    }
};

QTEST_MAIN(TestPanelKeypad)
#include "tst_panel_keypad.moc"
