#include "CFakePlatform.h"
#include "document/CDialScript.h"
#include "document/CScriptFile.h"

#include <QtTest>

using namespace std::string_literals;

Q_DECLARE_METATYPE(std::string)

// Puts one line into a fresh document through the file layer, byte for byte.
static void LoadOneLine(CDialScript& script, const QTemporaryDir& dir, const std::string& line)
{
    const std::string path = dir.filePath(QStringLiteral("one.dsq")).toStdString();
    QVERIFY(CScriptFile::Write(path, line));
    QVERIFY(script.Load(path));
    QCOMPARE(script.GetLineCount(), 1);
}

class TestDialScript : public QObject {
    Q_OBJECT

private slots:
    void freshDocument()
    {
        CFakePlatform platform;
        CDialScript script(platform);
        QCOMPARE(script.GetLineCount(), CDialScript::LineLimit);
        QCOMPARE(script.GetName(), ""s);
        QCOMPARE(script.GetMode(), ModeIdle);
        QCOMPARE(script.StoredLine(16383), ""s);
    }

    void clearKeepsDirectory()
    {
        CFakePlatform platform;
        CDialScript script(platform);
        script.SetDirectory("./script/");
        script.SetName("bank");
        script.SetMode(ModeLoading);
        script.Clear();
        QCOMPARE(script.GetLineCount(), 0);
        QCOMPARE(script.GetName(), ""s);
        QCOMPARE(script.GetMode(), ModeIdle);
        QCOMPARE(script.GetDirectory(), "./script/"s);
    }

    void newRecordingDiscardsLoadedScript()
    {
        CFakePlatform platform;
        CDialScript script(platform);
        QTemporaryDir dir;
        LoadOneLine(script, dir, "dial 7\r\n");
        script.SetName("seven");
        QVERIFY(script.NewRecording());
        QCOMPARE(script.GetLineCount(), 0);
        QCOMPARE(script.GetName(), "noname"s);
        QCOMPARE(script.GetMode(), ModeRecording);
        QCOMPARE(script.GetDigits(), ""s);
    }

    void getLine_data()
    {
        QTest::addColumn<std::string>("stored");
        QTest::addColumn<std::string>("returned");
        QTest::addColumn<std::string>("kept");
        QTest::newRow("blanks, capitals, CR") << "  DIAL 123\r"s
                                              << "dial 123"s
                                              << "dial 123\r"s;
        QTest::newRow("saved by the program") << "  Wait 3\r\r\n"s
                                              << "wait 3"s
                                              << "wait 3\r"s;
        QTest::newRow("only blanks") << "    "s
                                     << ""s
                                     << ""s;
        QTest::newRow("all six white spaces") << " \t\v\f\rShow X"s
                                              << "show x"s
                                              << "show x"s;
        QTest::newRow("trailing blanks stay") << "dial 1  \r"s
                                              << "dial 1  "s
                                              << "dial 1  \r"s;
        QTest::newRow("lone CR cuts") << "dial 1\rwait 2\rdial 3"s
                                      << "dial 1"s
                                      << "dial 1\rwait 2\rdial 3"s;
        QTest::newRow("NUL kept") << "dial 1\0002"s
                                  << "dial 1\0002"s
                                  << "dial 1\0002"s;
        QTest::newRow("8-bit bytes not lowered") << "SHOW \xC4\xD6"s
                                                 << "show \xC4\xD6"s
                                                 << "show \xC4\xD6"s;
        QTest::newRow("byte-order mark stays") << "\xEF\xBB\xBF"
                                                  "dial 1"s
                                               << "\xEF\xBB\xBF"
                                                  "dial 1"s
                                               << "\xEF\xBB\xBF"
                                                  "dial 1"s;
    }

    void getLine()
    {
        QFETCH(std::string, stored);
        QFETCH(std::string, returned);
        QFETCH(std::string, kept);
        CFakePlatform platform;
        CDialScript script(platform);
        QTemporaryDir dir;
        LoadOneLine(script, dir, stored);
        QCOMPARE(script.GetLine(0), returned);
        QCOMPARE(script.StoredLine(0), kept);
    }

    void getShowText_data()
    {
        QTest::addColumn<std::string>("stored");
        QTest::addColumn<std::string>("note");
        QTest::newRow("word alone") << "show"s
                                    << ""s;
        QTest::newRow("padded") << "show   hello   "s
                                << "hello"s;
        QTest::newRow("cut to twelve") << "show 0123456789abcdef"s
                                       << "0123456789ab"s;
        QTest::newRow("no blank after word") << "showtime"s
                                             << "time"s;
        QTest::newRow("leading blanks, CR LF") << "  show menu\r\n"s
                                               << "menu"s;
        QTest::newRow("case kept") << "Show Balance"s
                                   << "Balance"s;
        QTest::newRow("short line") << "sh"s
                                    << ""s;
        QTest::newRow("text after CR ignored") << "show a\rshow b"s
                                               << "a"s;
    }

    void getShowText()
    {
        QFETCH(std::string, stored);
        QFETCH(std::string, note);
        CFakePlatform platform;
        CDialScript script(platform);
        QTemporaryDir dir;
        LoadOneLine(script, dir, stored);
        QCOMPARE(script.GetShowText(0), note);
        QCOMPARE(script.StoredLine(0), CScriptFile::Decode(stored).front());
    }

    void showTextAfterGetLineIsLowerCase()
    {
        CFakePlatform platform;
        CDialScript script(platform);
        QTemporaryDir dir;
        LoadOneLine(script, dir, "Show   Balance menu ok\r\n");
        script.GetLine(0);
        QCOMPARE(script.GetShowText(0), "balance menu"s);
    }
};

QTEST_GUILESS_MAIN(TestDialScript)
#include "tst_dialscript.moc"
