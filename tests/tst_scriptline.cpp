#include "playback/CScriptLine.h"

#include <QtTest>

using namespace std::string_literals;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(CScriptLine::Command)

// How the player reads one line, as GetLine hands it over. The player tests
// run the rules end to end (typical lines, every play line case); these rows
// pin the remaining parsing edge cases.
class TestScriptLine : public QObject {
    Q_OBJECT

    // Rows of a line text and what one of the functions makes of it.
    static void Rows(const char* result, std::initializer_list<std::pair<const char*, std::string>> rows)
    {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<std::string>(result);
        for (const auto& [text, expected] : rows)
            QTest::newRow(text) << std::string(text) << expected;
    }

private slots:
    void recognise_data()
    {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<CScriptLine::Command>("command");
        QTest::newRow("dial") << "dial 555"s << CScriptLine::Dial;
        QTest::newRow("word alone") << "dial"s << CScriptLine::Dial;
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
        QTEST(CScriptLine::Recognise(text), "command");
    }

    void dialKeys_data()
    {
        Rows("keys",
            {{"dial 1-800 555#", "1800555#"}, {"dial", ""}, {"dial (0)12,x*", "012*"}, {"dial9", "9"},
                {"dialled 12", "12"}});
    }

    void dialKeys()
    {
        QFETCH(std::string, text);
        QTEST(CScriptLine::DialKeys(text), "keys");
    }

    void waitMs_data()
    {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<int>("ms");
        QTest::newRow("zero") << "wait 0"s << 0;
        QTest::newRow("three") << "wait 3"s << 3000;
        QTest::newRow("negative") << "wait -5"s << -5000;
        QTest::newRow("plus sign") << "wait +4"s << 4000;
        QTest::newRow("blanks and tabs") << "wait \t 12 s"s << 12000;
        QTest::newRow("no digits") << "waiting"s << 0;
        QTest::newRow("sign without digits") << "wait -"s << 0;
        QTest::newRow("largest") << "wait 2147483"s << 2147483000;
        QTest::newRow("one more") << "wait 2147484"s << 2147483000;
        QTest::newRow("very long number") << "wait 123456789012345678901234567890"s << 2147483000;
        QTest::newRow("very negative") << "wait -99999999"s << -2147483000;
    }

    void waitMs()
    {
        QFETCH(std::string, text);
        QTEST(int(CScriptLine::WaitMs(text)), "ms");
    }

    void previewText_data()
    {
        Rows("preview",
            {{"dial 555", "555"}, {"wait 4", "4"}, {"dial 12345678901234", "12345678901>"},
                {"dial 12345678901", "12345678901"}, {"dial  1 2 3 4 5 6 7  ", "1 2 3 4 5 6>"},
                {"show 0123456789abcdef", "0123456789abcdef"}, {"dial  1#  ", "1#"}, {"pau", ""}, {"pause", "e"}});
    }

    void previewText()
    {
        QFETCH(std::string, text);
        QTEST(CScriptLine::PreviewText(text), "preview");
    }
};

QTEST_GUILESS_MAIN(TestScriptLine)
#include "tst_scriptline.moc"
