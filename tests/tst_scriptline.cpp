#include "playback/CKeyTable.h"
#include "playback/CScriptLine.h"

#include <QtTest>

using namespace std::string_literals;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(CScriptLine::Command)

class TestScriptLine : public QObject {
    Q_OBJECT

private slots:
    void recognise_data()
    {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<CScriptLine::Command>("command");
        QTest::newRow("dial") << "dial 555"s << CScriptLine::Dial;
        QTest::newRow("dialled") << "dialled 12"s << CScriptLine::Dial;
        QTest::newRow("word alone") << "dial"s << CScriptLine::Dial;
        QTest::newRow("waiting") << "waiting"s << CScriptLine::Wait;
        QTest::newRow("pause") << "pause"s << CScriptLine::Pause;
        QTest::newRow("paus is short") << "paus"s << CScriptLine::None;
        QTest::newRow("show") << "show hi"s << CScriptLine::Show;
        QTest::newRow("play") << "play \"a.wav\""s << CScriptLine::Play;
        QTest::newRow("capitals are not lowered here") << "DIAL 1"s << CScriptLine::None;
        QTest::newRow("leading blank") << " dial 1"s << CScriptLine::None;
        QTest::newRow("short") << "dia"s << CScriptLine::None;
        QTest::newRow("blank line") << ""s << CScriptLine::None;
        QTest::newRow("remark") << "; call the bank"s << CScriptLine::None;
    }

    void recognise()
    {
        QFETCH(std::string, text);
        QFETCH(CScriptLine::Command, command);
        QCOMPARE(CScriptLine::Recognise(text), command);
    }

    void dialKeys_data()
    {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<std::string>("keys");
        QTest::newRow("punctuation skipped") << "dial 1-800 555#"s
                                             << "1800555#"s;
        QTest::newRow("word alone") << "dial"s
                                    << ""s;
        QTest::newRow("letters and brackets") << "dial (0)12,x*"s
                                              << "012*"s;
        QTest::newRow("from the fifth character") << "dial9"s
                                                  << "9"s;
        QTest::newRow("dialled") << "dialled 12"s
                                 << "12"s;
    }

    void dialKeys()
    {
        QFETCH(std::string, text);
        QFETCH(std::string, keys);
        QCOMPARE(CScriptLine::DialKeys(text), keys);
    }

    void waitMs_data()
    {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<int>("ms");
        QTest::newRow("no number") << "wait"s << 0;
        QTest::newRow("zero") << "wait 0"s << 0;
        QTest::newRow("three") << "wait 3"s << 3000;
        QTest::newRow("seventy") << "wait 70"s << 70000;
        QTest::newRow("negative") << "wait -5"s << -5000;
        QTest::newRow("plus sign") << "wait +4"s << 4000;
        QTest::newRow("rest ignored") << "wait 3x"s << 3000;
        QTest::newRow("blanks and tabs") << "wait \t 12 s"s << 12000;
        QTest::newRow("no digits") << "waiting"s << 0;
        QTest::newRow("sign without digits") << "wait -"s << 0;
        QTest::newRow("saturates") << "wait 99999999"s << 2147483000;
        QTest::newRow("largest") << "wait 2147483"s << 2147483000;
        QTest::newRow("one more") << "wait 2147484"s << 2147483000;
        QTest::newRow("very long number") << "wait 123456789012345678901234567890"s << 2147483000;
        QTest::newRow("very negative") << "wait -99999999"s << -2147483000;
    }

    void waitMs()
    {
        QFETCH(std::string, text);
        QFETCH(int, ms);
        QCOMPARE(CScriptLine::WaitMs(text), ms);
    }

    void playFileName_data()
    {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<QString>("name"); // "-" when the line cannot be played
        QTest::newRow("menu.wav") << "play \"menu.wav\""s
                                  << "menu.wav";
        QTest::newRow("lowered") << "play \"MENU.WAV\""s
                                 << "menu.wav";
        QTest::newRow("only .wav") << "play \".wav\""s
                                   << "-";
        QTest::newRow("five characters") << "play \"a.wav\""s
                                         << "a.wav";
        QTest::newRow("mp3") << "play \"menu.mp3\""s
                             << "-";
        QTest::newRow("no quotes") << "play menu.wav"s
                                   << "-";
        QTest::newRow("one quote") << "play \"menu.wav"s
                                   << "-";
        QTest::newRow("text around") << "play it \"x y.wav\" now \"other.wav\""s
                                     << "x y.wav";
        QTest::newRow("wav not at the end") << "play \"menu.wav2\""s
                                            << "-";
    }

    void playFileName()
    {
        QFETCH(std::string, text);
        QFETCH(QString, name);
        const std::optional<std::string> result = CScriptLine::PlayFileName(text);
        QCOMPARE(result ? QString::fromStdString(*result) : QStringLiteral("-"), name);
    }

    void previewText_data()
    {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<std::string>("preview");
        QTest::newRow("dial") << "dial 555"s
                              << "555"s;
        QTest::newRow("wait") << "wait 4"s
                              << "4"s;
        QTest::newRow("fourteen digits") << "dial 12345678901234"s
                                         << "12345678901>"s;
        QTest::newRow("eleven digits") << "dial 12345678901"s
                                       << "12345678901"s;
        QTest::newRow("long show is not cut") << "show 0123456789abcdef"s
                                              << "0123456789abcdef"s;
        QTest::newRow("trailing blanks") << "dial  1#  "s
                                         << "1#"s;
        QTest::newRow("short line") << "pau"s
                                    << ""s;
        QTest::newRow("pause") << "pause"s
                               << "e"s;
    }

    void previewText()
    {
        QFETCH(std::string, text);
        QFETCH(std::string, preview);
        QCOMPARE(CScriptLine::PreviewText(text), preview);
    }

    void keyEvents_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<QString>("character"); // empty: no key
        QTest::newRow("keypad 5") << int(Qt::Key_5) << true << "5";
        QTest::newRow("keypad 0") << int(Qt::Key_0) << true << "0";
        QTest::newRow("divide is #") << int(Qt::Key_Slash) << true << "#";
        QTest::newRow("multiply is *") << int(Qt::Key_Asterisk) << true << "*";
        QTest::newRow("plus") << int(Qt::Key_Plus) << true << "";
        QTest::newRow("minus") << int(Qt::Key_Minus) << true << "";
        QTest::newRow("decimal") << int(Qt::Key_Period) << true << "";
        QTest::newRow("comma separator") << int(Qt::Key_Comma) << true << "";
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << true << "";
        QTest::newRow("main row 5") << int(Qt::Key_5) << false << "";
        QTest::newRow("main row slash") << int(Qt::Key_Slash) << false << "";
    }

    void keyEvents()
    {
        QFETCH(int, key);
        QFETCH(bool, keypad);
        QFETCH(QString, character);
        const CKeyTableRow* row = CKeyTable::FromKeyEvent(key, keypad ? Qt::KeypadModifier : Qt::KeyboardModifiers());
        QCOMPARE(row ? QString(QChar(row->character)) : QString(), character);
    }

    void tableIsConsistent()
    {
        // Each character, control id, caption and clip appears exactly once,
        // and the lookups agree with each other.
        QSet<int> ids, clips;
        QSet<QString> captions;
        for (const CKeyTableRow& row : CKeyTable::Rows()) {
            ids.insert(row.controlId);
            clips.insert(row.toneClip);
            captions.insert(row.caption);
            QCOMPARE(CKeyTable::FromCharacter(row.character), &row);
            QCOMPARE(CKeyTable::FromControlId(row.controlId), &row);
            QCOMPARE(CKeyTable::FromKeyEvent(row.keypadKey, Qt::KeypadModifier), &row);
        }
        QCOMPARE(ids.size(), 12);
        QCOMPARE(clips.size(), 12);
        QCOMPARE(captions.size(), 12);
        QCOMPARE(CKeyTable::FromControlId(1001), nullptr); // PLAY is not a key
        QCOMPARE(CKeyTable::FromCharacter(' '), nullptr);
    }
};

QTEST_GUILESS_MAIN(TestScriptLine)
#include "tst_scriptline.moc"
